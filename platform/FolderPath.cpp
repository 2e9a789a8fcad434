#include "platform/FolderPath.h"

#include <cwctype>
#include <vector>

#include "platform/FileNameCompare.h"
#include "platform/ShellPath.h"

namespace {

bool IsSeparator(wchar_t c) noexcept
{
    return c == L'\\' || c == L'/';
}

bool IsBlank(const std::wstring& text)
{
    for (wchar_t c : text) {
        if (!std::iswspace(c))
            return false;
    }
    return true;
}

// "X:" at the start: a drive of its own.
bool StartsWithDrive(const std::wstring& text)
{
    return text.size() >= 2 && text[1] == L':' && std::iswalpha(text[0]);
}

// The plain form of a path given in the form that lifts the length limit: "\\?\C:\x" is
// "C:\x" and "\\?\UNC\server\share" is "\\server\share", so that both compare as one.
std::wstring WithoutLongPrefix(const std::wstring& path)
{
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        return L"\\\\" + path.substr(8);
    if (path.compare(0, 4, L"\\\\?\\") == 0)
        return path.substr(4);
    return path;
}

// The one call that makes a full path of a text (GetFullPathNameW, however long the result).
// Trailing separators go, but for a drive's root. Empty when the system makes none, or when
// the text names a device ("\\.\NUL").
std::wstring FullPathOfText(const std::wstring& text)
{
    std::vector<wchar_t> buffer(kPathBufferLength);
    DWORD length = 0;
    for (;;) {
        length = ::GetFullPathNameW(text.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length == 0)
            return std::wstring();
        if (length < buffer.size())
            break;
        buffer.resize(length);
    }
    std::wstring full(buffer.data(), length);
    if (full.compare(0, 4, L"\\\\.\\") == 0 || full.compare(0, 4, L"\\\\?\\") == 0)
        return std::wstring();
    while (full.size() > 3 && IsSeparator(full.back()))
        full.pop_back();
    return full;
}

// Whether any part of the path (split at either separator) names a device.
bool NamesDevice(const std::wstring& path)
{
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = start;
        while (end < path.size() && !IsSeparator(path[end]))
            ++end;
        if (end > start && IsReservedDeviceName(path.substr(start, end - start)))
            return true;
        start = end + 1;
    }
    return false;
}

// A colon past a leading drive names a stream ("f.dll:ads") or is no name at all.
bool NamesStream(const std::wstring& path)
{
    const size_t from = StartsWithDrive(path) ? 2 : 0;
    return path.find(L':', from) != std::wstring::npos;
}

PathRefusal CheckFolderThere(const std::wstring& full)
{
    // A share's top is only found with a closing backslash; a file with one is not found at all.
    const bool share = full.compare(0, 2, L"\\\\") == 0;
    const DWORD attributes = ::GetFileAttributesW(OpenablePath(share ? WithBackslash(full) : full).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return PathRefusal::NotFound;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathRefusal::None : PathRefusal::NotAFolder;
}

// Where the system puts an open file within its volume: the volume's serial number and the
// path from the volume's top ("\Drivers\x.sys"). Asked where the system reports no full
// path of the file: Wine 8 reports none past MAX_PATH (ERROR_MORE_DATA at any buffer size).
struct PlaceInVolume {
    DWORD serial = 0;
    std::wstring name;
};

bool PlaceOf(HANDLE file, PlaceInVolume& place)
{
    BY_HANDLE_FILE_INFORMATION information = {};
    std::vector<BYTE> buffer(sizeof(FILE_NAME_INFO) + kLongPathLength * sizeof(wchar_t));
    if (!::GetFileInformationByHandle(file, &information) ||
        !::GetFileInformationByHandleEx(file, FileNameInfo, buffer.data(), static_cast<DWORD>(buffer.size())))
        return false;
    const auto* name = reinterpret_cast<const FILE_NAME_INFO*>(buffer.data());
    place.serial = information.dwVolumeSerialNumber;
    place.name.assign(name->FileName, name->FileNameLength / sizeof(wchar_t));
    return !place.name.empty();
}

UniqueFileHandle OpenToAsk(const std::wstring& folder)
{
    return UniqueFileHandle(::CreateFileW(OpenablePath(WithBackslash(folder)).c_str(), 0,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// The place in the volume decides: the same volume, and a path below the folder's.
bool IsInsideByPlace(HANDLE file, const std::wstring& folder)
{
    const UniqueFileHandle opened = OpenToAsk(folder);
    PlaceInVolume inFolder;
    PlaceInVolume inFile;
    if (!opened || !PlaceOf(opened.get(), inFolder) || !PlaceOf(file, inFile) || inFolder.serial != inFile.serial)
        return false;
    const std::wstring base = WithBackslash(inFolder.name);
    return inFile.name.size() > base.size() && StartsWithFileName(inFile.name, base);
}

} // namespace

std::wstring OpenablePath(const std::wstring& full)
{
    // CreateDirectoryW takes no more than MAX_PATH - 12 characters in the plain form.
    const size_t plainLimit = MAX_PATH - 12;
    if (full.size() < plainLimit || full.compare(0, 4, L"\\\\?\\") == 0 || full.compare(0, 4, L"\\\\.\\") == 0)
        return full;
    if (full.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    if (StartsWithDrive(full) && full.size() > 2 && IsSeparator(full[2]))
        return L"\\\\?\\" + full;
    return full;
}

std::wstring RefusalText(PathRefusal refusal)
{
    switch (refusal) {
    case PathRefusal::None:
        return std::wstring();
    case PathRefusal::Empty:
        return L"no name";
    case PathRefusal::Unresolvable:
        return L"the path cannot be resolved";
    case PathRefusal::NotFound:
        return L"not found";
    case PathRefusal::NotAFolder:
        return L"not a folder";
    case PathRefusal::Outside:
        return L"outside the folder";
    case PathRefusal::DeviceName:
        return L"a device name";
    case PathRefusal::AlternateStream:
        return L"an alternate data stream";
    case PathRefusal::TooLong:
        return L"the path is too long";
    case PathRefusal::CannotOpen:
        return L"cannot be opened";
    }
    return std::wstring();
}

bool IsReservedDeviceName(const std::wstring& name)
{
    std::wstring base = FoldAsciiCase(name.substr(0, name.find(L'.')));
    while (!base.empty() && std::iswspace(base.back()))
        base.pop_back();
    if (base == L"con" || base == L"prn" || base == L"aux" || base == L"nul" || base == L"conin$" ||
        base == L"conout$")
        return true;
    if (base.size() != 4 || (base.compare(0, 3, L"com") != 0 && base.compare(0, 3, L"lpt") != 0))
        return false;
    const wchar_t digit = base[3];
    return (digit >= L'0' && digit <= L'9') || digit == L'\x00b9' || digit == L'\x00b2' || digit == L'\x00b3';
}

PathResult<FolderPath> FolderPath::Resolve(const std::wstring& text, const PathRules& rules)
{
    if (IsBlank(text))
        return PathRefusal::Empty;
    std::wstring plain = WithoutLongPrefix(text);
    // A bare drive ("E:", as one names an attached disk) is that disk's root, not the drive's
    // current folder.
    if (plain.size() == 2 && StartsWithDrive(plain))
        plain += L'\\';
    if (NamesStream(plain))
        return PathRefusal::AlternateStream;
    if (NamesDevice(plain))
        return PathRefusal::DeviceName;
    std::wstring full = FullPathOfText(plain);
    if (full.empty())
        return PathRefusal::Unresolvable;
    if (full.size() > rules.longest)
        return PathRefusal::TooLong;
    FolderPath folder(text, std::move(full));
    if (rules.mustExist) {
        const PathRefusal there = CheckFolderThere(folder.full_);
        if (there != PathRefusal::None)
            return there;
        folder.opened_ = folder.OpenedFolderPath();
    }
    return folder;
}

std::wstring FolderPath::WithSeparator() const
{
    return WithBackslash(full_);
}

bool FolderPath::Contains(const std::wstring& path) const
{
    const std::wstring full = FullPathOfText(WithoutLongPrefix(path));
    if (full.empty())
        return false;
    return SameFileName(full, full_) || StartsWithFileName(full, WithSeparator());
}

std::optional<std::wstring> FolderPath::RelativeName(const std::wstring& path) const
{
    const std::wstring full = FullPathOfText(WithoutLongPrefix(path));
    const std::wstring base = WithSeparator();
    if (full.size() <= base.size() || !StartsWithFileName(full, base))
        return std::nullopt;
    return full.substr(base.size());
}

PathResult<PathInside> FolderPath::Inside(const std::wstring& relativeName, const PathRules& rules) const
{
    if (relativeName.empty())
        return PathRefusal::Empty;
    // A drive ("C:\x", "C:x") or a share ("\\server\x") of its own is never inside.
    const bool share = relativeName.size() >= 2 && IsSeparator(relativeName[0]) && IsSeparator(relativeName[1]);
    if (share || StartsWithDrive(relativeName))
        return PathRefusal::Outside;
    if (relativeName.find(L':') != std::wstring::npos)
        return PathRefusal::AlternateStream;
    if (NamesDevice(relativeName))
        return PathRefusal::DeviceName;
    // Joined as text, one leading separator being the folder's top: the shell's joining would
    // take a part that merely starts with two dots ("..Backups") for a step up. The full path
    // is what the file system opens.
    const std::wstring base = WithSeparator();
    const std::wstring full = FullPathOfText(base + relativeName.substr(IsSeparator(relativeName[0]) ? 1 : 0));
    if (full.size() <= base.size() || !StartsWithFileName(full, base))
        return PathRefusal::Outside;
    if (full.size() > rules.longest)
        return PathRefusal::TooLong;
    return PathInside{full, full.substr(base.size())};
}

PathResult<FolderPath> FolderPath::Folder(const std::wstring& relativeName, const PathRules& rules) const
{
    PathResult<PathInside> inside = Inside(relativeName, rules);
    if (!inside)
        return inside.refusal();
    FolderPath folder(inside->full, inside->full);
    if (rules.mustExist) {
        const PathRefusal there = CheckFolderThere(folder.full_);
        if (there != PathRefusal::None)
            return there;
        folder.opened_ = folder.OpenedFolderPath();
    }
    return folder;
}

std::wstring OpenedPathOf(HANDLE file)
{
    std::vector<wchar_t> buffer(kPathBufferLength);
    for (;;) {
        const DWORD length = ::GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0)
            return std::wstring();
        if (length < buffer.size())
            return WithoutLongPrefix(std::wstring(buffer.data(), length));
        buffer.resize(length + 1);
    }
}

std::wstring FolderPath::OpenedFolderPath() const
{
    const UniqueFileHandle folder = OpenToAsk(full_);
    return folder ? OpenedPathOf(folder.get()) : std::wstring();
}

bool FolderPath::IsOpenedInside(HANDLE file) const
{
    const std::wstring opened = OpenedPathOf(file);
    // A folder that had to be there was opened when it was resolved; one made later (a
    // target) is asked now.
    const std::wstring folder = opened_.empty() ? OpenedFolderPath() : opened_;
    if (opened.empty() || folder.empty())
        return IsInsideByPlace(file, full_);
    const std::wstring base = WithBackslash(folder);
    return opened.size() > base.size() && StartsWithFileName(opened, base);
}

PathResult<UniqueFileHandle> FolderPath::OpenInside(const std::wstring& path) const
{
    UniqueFileHandle file(::CreateFileW(OpenablePath(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathRefusal::NotFound
                                                                              : PathRefusal::CannotOpen;
    }
    if (!IsOpenedInside(file.get()))
        return PathRefusal::Outside;
    return file;
}
