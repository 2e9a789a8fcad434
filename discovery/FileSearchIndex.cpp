#include "discovery/FileSearchIndex.h"

#include "platform/FileNameCompare.h"
#include "platform/ShellPath.h"

FileSearchIndex::FileSearchIndex(PathResult<FolderPath> root, std::optional<FolderPath> skipped)
    : root_(std::move(root)), skipped_(std::move(skipped))
{
}

bool FileSearchIndex::Find(const std::wstring& fileName, DriverFile& file)
{
    std::wstring path;
    if (!root_ || !Locate(fileName, path))
        return false;
    PathResult<UniqueFileHandle> opened = root_->OpenInside(path);
    if (opened.refusal() == PathRefusal::NotFound) {
        // The file went away since it was listed: what a fresh walk finds now is another one.
        Invalidate();
        if (!Locate(fileName, path))
            return false;
        opened = root_->OpenInside(path);
    }
    if (opened.refusal() == PathRefusal::Outside)
        file.refusal = PathRefusal::Outside;
    return opened && ReadOpenedFile(opened->get(), path, file);
}

void FileSearchIndex::Invalidate()
{
    firstPathOfName_.clear();
    levels_.clear();
    started_ = false;
    finished_ = false;
}

bool FileSearchIndex::Locate(const std::wstring& key, std::wstring& path)
{
    const auto known = firstPathOfName_.find(key);
    if (known != firstPathOfName_.end()) {
        path = known->second;
        return true;
    }
    return !finished_ && WalkUntil(key, path);
}

void FileSearchIndex::Enter(const std::wstring& folder)
{
    // A folder whose listing pattern does not fit the path limit cannot be listed.
    const std::wstring pattern = JoinPath(folder, L"*.*");
    if (pattern.empty())
        return;
    Level level;
    level.folder = folder;
    level.listing.reset(::FindFirstFileW(pattern.c_str(), &level.entry));
    if (!level.listing)
        return;
    level.entryPending = true;
    levels_.push_back(std::move(level));
}

bool FileSearchIndex::IsSkipped(const std::wstring& folder) const
{
    return skipped_ && skipped_->Contains(folder);
}

bool FileSearchIndex::NextEntry(Level& level, WIN32_FIND_DATAW& entry)
{
    if (level.entryPending) {
        level.entryPending = false;
        entry = level.entry;
        return true;
    }
    return ::FindNextFileW(level.listing.get(), &entry) != FALSE;
}

bool FileSearchIndex::WalkUntil(const std::wstring& key, std::wstring& path)
{
    if (!started_) {
        started_ = true;
        Enter(root_->Full());
    }
    WIN32_FIND_DATAW entry;
    while (!levels_.empty()) {
        if (!NextEntry(levels_.back(), entry)) {
            levels_.pop_back();
            continue;
        }
        const std::wstring name = entry.cFileName;
        const std::wstring entryPath = JoinPath(levels_.back().folder, name);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // Junctions and directory links are not followed: one that points back up the
            // tree would make the walk endless.
            const bool link = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if (name != L"." && name != L".." && !link && !entryPath.empty() && !IsSkipped(entryPath))
                Enter(entryPath);
            continue;
        }
        if (entryPath.empty())
            continue;
        if (firstPathOfName_.emplace(name, entryPath).second && SameFileName(name, key)) {
            path = entryPath;
            return true;
        }
    }
    finished_ = true;
    return false;
}

bool ReadFoundFile(const std::wstring& path, DriverFile& file)
{
    // Wildcards would make the listing match some other file.
    if (path.empty() || path.find_first_of(L"*?") != std::wstring::npos)
        return false;
    // One attribute query: a directory search costs several more round trips to the file
    // system, and for a name that is not there a read of the whole folder under Wine.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    file.path = path;
    file.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    file.time = data.ftCreationTime;
    file.lastWrite = data.ftLastWriteTime;
    file.refusal = PathRefusal::None;
    return true;
}

bool ReadOpenedFile(HANDLE opened, const std::wstring& path, DriverFile& file)
{
    BY_HANDLE_FILE_INFORMATION data;
    if (!::GetFileInformationByHandle(opened, &data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    file.path = path;
    file.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    file.time = data.ftCreationTime;
    file.lastWrite = data.ftLastWriteTime;
    file.refusal = PathRefusal::None;
    return true;
}
