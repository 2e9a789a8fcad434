#include "tests/support/TempFolder.h"

#include <shlwapi.h>

#include <stdexcept>
#include <vector>

#include "platform/Handles.h"
#include "platform/ProcAddress.h"

namespace {

std::wstring UniqueTempPath(std::wstring parent)
{
    if (parent.empty()) {
        wchar_t temp[MAX_PATH] = L"";
        ::GetTempPathW(MAX_PATH, temp);
        parent = temp;
    }
    if (parent.back() != L'\\')
        parent += L'\\';
    static unsigned counter = 0;
    return parent + L"tarnwick-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
}

} // namespace

TempFolder::TempFolder() : TempFolder(std::wstring()) {}

TempFolder::TempFolder(const std::wstring& parent) : path_(UniqueTempPath(parent))
{
    RemoveTree(path_);
    MakeFolders(path_);
}

TempFolder::~TempFolder()
{
    RemoveTree(path_);
}

std::wstring TempFolder::operator/(const std::wstring& relative) const
{
    return path_ + L"\\" + relative;
}

bool MakeFolders(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    for (size_t slash = path.find(L'\\', 3); ; slash = path.find(L'\\', slash + 1)) {
        const std::wstring part = path.substr(0, slash);
        if (!::CreateDirectoryW(part.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        if (slash == std::wstring::npos)
            return ::PathIsDirectoryW(path.c_str()) != FALSE;
    }
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    const size_t slash = path.rfind(L'\\');
    if (slash != std::wstring::npos && !MakeFolders(path.substr(0, slash)))
        return false;
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
}

std::string ReadFileBytes(const std::wstring& path)
{
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    if (!file)
        return bytes;
    char buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

bool RemoveTree(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        return ::DeleteFileW(path.c_str()) != FALSE;
    }
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        std::vector<std::wstring> children;
        WIN32_FIND_DATAW data;
        UniqueFindHandle listing(::FindFirstFileW((path + L"\\*").c_str(), &data));
        if (listing) {
            do {
                const std::wstring name = data.cFileName;
                if (name != L"." && name != L"..")
                    children.push_back(path + L"\\" + name);
            } while (::FindNextFileW(listing.get(), &data));
        }
        listing.reset();
        for (const std::wstring& child : children)
            RemoveTree(child);
    }
    return ::RemoveDirectoryW(path.c_str()) != FALSE;
}

namespace {

bool IsDirectoryLink(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Wine's own export that maps a Windows path to the Unix one; absent on Windows.
std::string UnixPath(const std::wstring& path)
{
    using UnixFileNameFunction = char*(CDECL*)(const wchar_t*);
    const auto unixFileName =
        GetProcAddressAs<UnixFileNameFunction>(::GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name");
    if (!unixFileName)
        return std::string();
    char* name = unixFileName(path.c_str());
    if (!name)
        return std::string();
    std::string result = name;
    ::HeapFree(::GetProcessHeap(), 0, name);
    return result;
}

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

bool IsFileLink(const std::wstring& path)
{
    // Wine shows no reparse point on a file link: the link is there when its target's bytes
    // can be opened through it.
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A Unix symbolic link, made by Wine's start of a Unix program; done once the check sees it.
bool MakeUnixLink(const std::wstring& link, const std::wstring& target, bool (*made)(const std::wstring&))
{
    const std::string unixLink = UnixPath(link);
    const std::string unixTarget = UnixPath(target);
    if (unixLink.empty() || unixTarget.empty())
        return false;
    // Wine starts Unix programs too.
    std::wstring commandLine = L"/bin/ln -s \"" + Widen(unixTarget) + L"\" \"" + Widen(unixLink) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(L"Z:\\bin\\ln", &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info))
        return false;
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    // Wine cannot wait for a Unix process: its handle is signalled at once. Watch for the link.
    for (int tries = 0; tries < 200 && !made(link); ++tries)
        ::Sleep(50);
    return made(link);
}

} // namespace

bool MakeDirectoryLink(const std::wstring& link, const std::wstring& target)
{
    if (::CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) && IsDirectoryLink(link))
        return true;
    return MakeUnixLink(link, target, IsDirectoryLink);
}

bool MakeFileLink(const std::wstring& link, const std::wstring& target)
{
    if (::CreateSymbolicLinkW(link.c_str(), target.c_str(), 0) && IsFileLink(link))
        return true;
    return MakeUnixLink(link, target, IsFileLink);
}

CurrentFolderGuard::CurrentFolderGuard(const std::wstring& folder)
{
    const DWORD length = ::GetCurrentDirectoryW(0, nullptr);
    std::wstring previous(length, L'\0');
    if (length > 0 && ::GetCurrentDirectoryW(length, &previous[0]) == length - 1) {
        previous.resize(length - 1);
        previous_ = previous;
        entered_ = ::SetCurrentDirectoryW(folder.c_str()) != FALSE;
    }
}

CurrentFolderGuard::~CurrentFolderGuard()
{
    if (entered_)
        ::SetCurrentDirectoryW(previous_.c_str());
}

FolderPath FolderOf(const std::wstring& path, const PathRules& rules)
{
    PathResult<FolderPath> folder = FolderPath::Resolve(path, rules);
    if (!folder)
        throw std::runtime_error("the path makes no folder value");
    return *std::move(folder);
}
