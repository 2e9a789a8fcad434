#include <windows.h>
#include <shlwapi.h>

#include "saving/SavePaths.h"

#include <cwchar>
#include <cwctype>

#include "platform/ShellPath.h"

namespace {

const wchar_t kDeletedCharacters[] = L":\\/*?\"|;^&+=";

bool IsSpace(wchar_t c)
{
    return std::iswspace(static_cast<wint_t>(c)) != 0;
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

bool CreateOneFolder(const std::wstring& folder)
{
    if (::CreateDirectoryW(folder.c_str(), nullptr))
        return true;
    return ::GetLastError() == ERROR_ALREADY_EXISTS;
}

} // namespace

void MakeValidFileName(std::wstring& text)
{
    size_t first = 0;
    while (first < text.size() && IsSpace(text[first]))
        ++first;
    size_t end = text.size();
    while (end > first && IsSpace(text[end - 1]))
        --end;
    text = text.substr(first, end - first);

    for (size_t i = text.size(); i-- > 0;) {
        if (text[i] == L'<')
            text[i] = L'(';
        else if (text[i] == L'>')
            text[i] = L')';
        else if (text[i] != L'\0' && std::wcschr(kDeletedCharacters, text[i]))
            text.erase(i, 1);
    }
}

std::wstring FolderNameOf(const std::vector<std::wstring>& candidates)
{
    for (const std::wstring& candidate : candidates) {
        std::wstring name = candidate;
        MakeValidFileName(name);
        if (!NamesNoFolderOfItsOwn(name))
            return name;
    }
    return L"Unknown device";
}

std::wstring MakeUniquePath(const std::wstring& path)
{
    if (!::PathFileExistsW(path.c_str()))
        return path;
    for (unsigned k = 1;; ++k) {
        // Each candidate comes from the path as given, so "x[1]" is followed by "x[2]", never "x[1][2]".
        std::wstring candidate = path + L"[" + std::to_wstring(k) + L"]";
        if (!::PathFileExistsW(candidate.c_str()))
            return candidate;
    }
}

bool CreateFolderPath(const std::wstring& path)
{
    std::wstring canonical;
    if (!CanonicalizePath(path, canonical))
        return false;
    canonical = WithBackslash(canonical);
    // The path functions that built it assume the classic limit; beyond it the folder would
    // be unreachable for them (and for Windows' own folder creation).
    if (canonical.size() >= MAX_PATH)
        return false;
    if (::PathFileExistsW(canonical.c_str()))
        return true;

    wchar_t root[kPathBufferLength] = L"";
    ::lstrcpynW(root, canonical.c_str(), static_cast<int>(kPathBufferLength));
    const size_t rootLength = ::PathStripToRootW(root) ? std::wcslen(root) : 0;

    // The closing backslash makes the last part a folder of its own as well.
    size_t partStart = rootLength;
    for (size_t i = rootLength; i < canonical.size(); ++i) {
        if (canonical[i] != L'\\')
            continue;
        if (i > partStart && !CreateOneFolder(canonical.substr(0, i)))
            return false;
        partStart = i + 1;
    }
    return true;
}

uint64_t GetFreeSpace(const std::wstring& path)
{
    // A folder on a network share is only accepted with a closing backslash; without it
    // every save to a share would report a full disk.
    const std::wstring folder = WithBackslash(path);
    ULARGE_INTEGER totalFree = {};
    if (::GetDiskFreeSpaceExW(folder.c_str(), nullptr, nullptr, &totalFree))
        return totalFree.QuadPart;
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    if (::GetDiskFreeSpaceW(folder.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
        return static_cast<uint64_t>(freeClusters) * sectorsPerCluster * bytesPerSector;
    return 0;
}

uint64_t TotalSize(const std::deque<DriverFile>& files)
{
    uint64_t total = 0;
    for (const DriverFile& file : files)
        total += file.size;
    return total;
}

std::wstring FullPathOf(const std::wstring& path)
{
    std::vector<wchar_t> buffer(kPathBufferLength);
    for (;;) {
        const DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length == 0)
            return std::wstring();
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        buffer.resize(length);
    }
}

bool IsWithinFolder(const std::wstring& path, const std::wstring& folder)
{
    const std::wstring base = WithBackslash(folder);
    const std::wstring candidate = WithBackslash(path);
    return base.size() > 1 && candidate.size() >= base.size() &&
           EqualsFoldingAsciiCase(candidate.substr(0, base.size()), base);
}

bool ResolveInFolder(const std::wstring& folder, const std::wstring& name, std::wstring& target)
{
    // A relative file name never holds a colon: it would name a drive or a stream.
    if (name.empty() || name.find(L':') != std::wstring::npos)
        return false;
    std::wstring joined = folder;
    if (!AppendPath(joined, name))
        return false;
    // The full path is what the file system will write to: ".." parts, forward slashes and
    // device names are resolved as it resolves them.
    const std::wstring full = FullPathOf(joined);
    const std::wstring base = WithBackslash(FullPathOf(folder));
    if (full.size() <= base.size() || full.size() >= MAX_PATH || !IsWithinFolder(full, base))
        return false;
    target = full;
    return true;
}
