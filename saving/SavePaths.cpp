#include <windows.h>
#include <shlwapi.h>

#include "saving/SavePaths.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

#include "platform/Handles.h"
#include "platform/ShellPath.h"

namespace {

const wchar_t kDeletedCharacters[] = L":\\/*?\"|;^&+=";

bool IsSpace(wchar_t c)
{
    return std::iswspace(static_cast<wint_t>(c)) != 0;
}

bool IsControl(wchar_t c)
{
    return c >= 0x01 && c <= 0x1F;
}

// Drops white space at both ends and, when trailingDots, dots at the end as well.
void Trim(std::wstring& text, bool trailingDots)
{
    size_t first = 0;
    while (first < text.size() && IsSpace(text[first]))
        ++first;
    size_t end = text.size();
    while (end > first && (IsSpace(text[end - 1]) || (trailingDots && text[end - 1] == L'.')))
        --end;
    text = text.substr(first, end - first);
}

// A name that starts with two dots reads as "the parent folder" to the path functions, even
// with more letters after them ("..Evil" joined to C:\Out\Class gives C:\OutEvil): the dots go.
// A reserved device name gets an underscore after its first part ("NUL_.txt"), so that it
// names a folder.
std::wstring UsableFolderName(std::wstring name)
{
    if (name.compare(0, 2, L"..") == 0) {
        name.erase(0, name.find_first_not_of(L'.'));
        Trim(name, true);
    }
    if (IsReservedDeviceName(name)) {
        const size_t dot = name.find(L'.');
        name.insert(dot == std::wstring::npos ? name.size() : dot, 1, L'_');
    }
    return name;
}

// Only dots and white space: the file system drops trailing dots and blanks, and "." and
// ".." name the current and the parent folder.
bool NamesNoFolderOfItsOwn(const std::wstring& name)
{
    for (wchar_t c : name) {
        if (c != L'.' && !IsSpace(c))
            return false;
    }
    return true;
}

bool Exists(const std::wstring& path)
{
    return ::GetFileAttributesW(OpenablePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CreateOneFolder(const std::wstring& folder)
{
    if (::CreateDirectoryW(OpenablePath(folder).c_str(), nullptr))
        return true;
    return ::GetLastError() == ERROR_ALREADY_EXISTS;
}

// The folder first and its parents only when they are missing: most parents exist, and
// asking for each of them from the root on costs a round trip to the file system apiece
// (and for a name that is not there, under Wine, a read of the whole parent folder).
// Parents created before a failure stay. A file of that name counts as existing. On failure
// GetLastError holds the system's reason.
bool CreateFolderAndParents(const std::wstring& folder, size_t rootLength)
{
    // The top of a drive or a share cannot be made: it is there (a share's top is only found
    // with a closing backslash) or the target cannot be reached.
    if (folder.size() <= rootLength)
        return Exists(WithBackslash(folder));
    if (::CreateDirectoryW(OpenablePath(folder).c_str(), nullptr))
        return true;
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS)
        return true;
    size_t parentEnd = folder.rfind(L'\\');
    if (error != ERROR_PATH_NOT_FOUND || parentEnd == std::wstring::npos || parentEnd < rootLength) {
        // A medium or folder that refuses new folders may still hold this one.
        if (Exists(folder))
            return true;
        ::SetLastError(error);
        return false;
    }
    while (parentEnd > rootLength && folder[parentEnd - 1] == L'\\')
        --parentEnd;
    return CreateFolderAndParents(folder.substr(0, parentEnd), rootLength) && CreateOneFolder(folder);
}

size_t RootLength(const std::wstring& full)
{
    // "\\server\share": the share is the top, nothing above it can be made.
    if (full.compare(0, 2, L"\\\\") == 0) {
        const size_t server = full.find(L'\\', 2);
        const size_t share = server == std::wstring::npos ? server : full.find(L'\\', server + 1);
        return share == std::wstring::npos ? full.size() : share;
    }
    // "C:\".
    return std::min<size_t>(full.size(), 3);
}

} // namespace

void MakeValidFileName(std::wstring& text)
{
    Trim(text, false);
    for (size_t i = text.size(); i-- > 0;) {
        if (text[i] == L'<')
            text[i] = L'(';
        else if (text[i] == L'>')
            text[i] = L')';
        else if (IsControl(text[i]) || (text[i] != L'\0' && std::wcschr(kDeletedCharacters, text[i])))
            text.erase(i, 1);
    }
    // Once characters are gone, blanks or dots may end the name ('Foo ?' leaves 'Foo '). The
    // file system drops them when it creates the folder, so the name would not find its own
    // folder again.
    Trim(text, true);
}

std::wstring FolderNameOf(const std::vector<std::wstring>& candidates)
{
    for (const std::wstring& candidate : candidates) {
        std::wstring name = candidate;
        MakeValidFileName(name);
        if (!NamesNoFolderOfItsOwn(name))
            return UsableFolderName(name);
    }
    return L"Unknown device";
}

std::wstring MakeUniquePath(const std::wstring& path)
{
    if (!Exists(path))
        return path;
    // A name that always "exists" (a device name slipped through) must not loop for ever.
    for (unsigned k = 1; k <= kMostNumberedPaths; ++k) {
        // Each candidate comes from the path as given, so "x[1]" is followed by "x[2]", never "x[1][2]".
        std::wstring candidate = path + L"[" + std::to_wstring(k) + L"]";
        if (!Exists(candidate))
            return candidate;
    }
    return std::wstring();
}

PathResult<FolderPath> CreateUniqueFolder(const FolderPath& parent, const std::wstring& name, std::wstring& tried)
{
    tried = parent.WithSeparator() + name;
    // A name past the path limit is not cut: nothing is made for it, not even its parent.
    if (const PathResult<FolderPath> plain = parent.Folder(name, kAnyLength); !plain)
        return plain;
    if (!CreateFolderPath(parent))
        return PathRefusal::CannotOpen;
    for (unsigned k = 0; k <= kMostNumberedPaths; ++k) {
        const std::wstring numbered = k == 0 ? name : name + L"[" + std::to_wstring(k) + L"]";
        tried = parent.WithSeparator() + numbered;
        // Nor is a numbered one: the device gets no folder.
        PathResult<FolderPath> folder = parent.Folder(numbered, kAnyLength);
        if (!folder)
            return folder;
        if (::CreateDirectoryW(folder->Openable().c_str(), nullptr))
            return folder;
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            return PathRefusal::CannotOpen;
    }
    tried = parent.WithSeparator() + name;
    return PathRefusal::CannotOpen;
}

bool CreateFolderPath(const FolderPath& folder)
{
    // Made at any length: each folder is asked for in the form that lifts the path limit.
    return CreateFolderAndParents(folder.Full(), RootLength(folder.Full()));
}

PathResult<PathInside> SavedFilePath(const FolderPath& deviceFolder, const DriverFile& file)
{
    return deviceFolder.Inside(file.name, kAnyLength);
}

bool GetFreeSpace(const std::wstring& path, uint64_t& freeBytes)
{
    // A folder on a network share is only accepted with a closing backslash; without it
    // every save to a share would report a full disk.
    const std::wstring folder = OpenablePath(WithBackslash(path));
    ULARGE_INTEGER totalFree = {};
    if (::GetDiskFreeSpaceExW(folder.c_str(), nullptr, nullptr, &totalFree)) {
        freeBytes = totalFree.QuadPart;
        return true;
    }
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    if (::GetDiskFreeSpaceW(folder.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
        freeBytes = static_cast<uint64_t>(freeClusters) * sectorsPerCluster * bytesPerSector;
        return true;
    }
    freeBytes = 0;
    return false;
}

bool SameFileContent(const std::wstring& left, const std::wstring& right)
{
    const DWORD chunk = 1 << 16;
    UniqueFileHandle files[2];
    const std::wstring* paths[2] = {&left, &right};
    for (int i = 0; i < 2; ++i) {
        files[i].reset(::CreateFileW(OpenablePath(*paths[i]).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!files[i])
            return false;
    }
    std::vector<char> buffers[2] = {std::vector<char>(chunk), std::vector<char>(chunk)};
    for (;;) {
        DWORD read[2] = {0, 0};
        for (int i = 0; i < 2; ++i) {
            if (!::ReadFile(files[i].get(), buffers[i].data(), chunk, &read[i], nullptr))
                return false;
        }
        if (read[0] != read[1] || !std::equal(buffers[0].begin(), buffers[0].begin() + read[0], buffers[1].begin()))
            return false;
        if (read[0] == 0)
            return true;
    }
}

uint64_t TotalSize(const std::deque<DriverFile>& files)
{
    uint64_t total = 0;
    for (const DriverFile& file : files)
        total += file.size;
    return total;
}

bool GetAllocationUnit(const std::wstring& path, uint64_t& unitBytes)
{
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    // Asked of the folder itself first, so that a volume mounted in a folder answers for itself;
    // older systems take only the volume's root.
    std::wstring folder = OpenablePath(WithBackslash(path));
    if (!::GetDiskFreeSpaceW(folder.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
        std::vector<wchar_t> root(kPathBufferLength, L'\0');
        if (!::GetVolumePathNameW(folder.c_str(), root.data(), static_cast<DWORD>(root.size())) ||
            !::GetDiskFreeSpaceW(root.data(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
            return false;
    }
    unitBytes = static_cast<uint64_t>(sectorsPerCluster) * bytesPerSector;
    return unitBytes != 0;
}

uint64_t SpaceTaken(uint64_t fileSize, uint64_t unitBytes)
{
    if (unitBytes <= 1)
        return fileSize;
    return (fileSize / unitBytes + (fileSize % unitBytes != 0 ? 1 : 0)) * unitBytes;
}

uint64_t SpaceTaken(const std::deque<DriverFile>& files, uint64_t unitBytes)
{
    uint64_t total = 0;
    for (const DriverFile& file : files)
        total += SpaceTaken(file.size, unitBytes);
    return std::max<uint64_t>(total, std::max<uint64_t>(unitBytes, 1));
}
