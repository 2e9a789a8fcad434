#include "discovery/ImageDriverStore.h"

#include <vector>

#include "platform/Handles.h"
#include "platform/ShellPath.h"

namespace {

// A file's bytes, read only when it lies in image as it is opened; false when it cannot be
// read whole.
bool ReadBytes(const FolderPath& image, const std::wstring& path, std::vector<char>& bytes)
{
    const PathResult<UniqueFileHandle> file = image.OpenInside(path);
    LARGE_INTEGER size = {};
    if (!file || !::GetFileSizeEx(file->get(), &size) || size.QuadPart > 64 * 1024 * 1024)
        return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return bytes.empty() ||
           (::ReadFile(file->get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
            read == bytes.size());
}

// The entries of a listing of pattern, with whether each is a folder; "." and ".." left out.
std::vector<std::pair<std::wstring, bool>> List(const std::wstring& pattern)
{
    std::vector<std::pair<std::wstring, bool>> entries;
    WIN32_FIND_DATAW entry;
    UniqueFindHandle listing(::FindFirstFileW(pattern.c_str(), &entry));
    if (!listing)
        return entries;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..")
            entries.emplace_back(name, (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (::FindNextFileW(listing.get(), &entry));
    return entries;
}

} // namespace

std::wstring FindStoreCopyByContent(const FolderPath& image, const std::wstring& publishedInf,
                                    const std::wstring& repository)
{
    std::vector<char> published;
    if (!ReadBytes(image, publishedInf, published))
        return std::wstring();
    for (const auto& package : List(JoinPath(repository, L"*"))) {
        if (!package.second)
            continue;
        const std::wstring folder = JoinPath(repository, package.first);
        for (const auto& file : List(JoinPath(folder, L"*.inf"))) {
            std::vector<char> candidate;
            const std::wstring path = JoinPath(folder, file.first);
            if (!file.second && ReadBytes(image, path, candidate) && candidate == published)
                return path;
        }
    }
    return std::wstring();
}

DriverStore ImageDriverStore(const SystemFolders& folders)
{
    return DriverStore([folders](const std::wstring& fileName) -> std::wstring {
        if (!folders.image || folders.infFolders.empty() || folders.driverStoreDir.empty())
            return std::wstring();
        const std::wstring published = JoinPath(folders.infFolders.front(), FileNamePart(fileName));
        return published.empty() ? std::wstring()
                                 : FindStoreCopyByContent(*folders.image, published, folders.driverStoreDir);
    });
}
