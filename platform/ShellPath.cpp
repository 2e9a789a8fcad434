#include "platform/ShellPath.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <vector>

#include "platform/FileNameCompare.h"

namespace {

wchar_t FoldedAscii(wchar_t c) noexcept
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// A zero-filled 512-character buffer holding text, or nothing when text does not fit.
bool LoadBuffer(std::vector<wchar_t>& buffer, const std::wstring& text)
{
    if (text.size() >= kPathBufferLength)
        return false;
    buffer.assign(kPathBufferLength, L'\0');
    text.copy(buffer.data(), text.size());
    return true;
}

} // namespace

bool AppendPath(std::wstring& path, const std::wstring& more)
{
    std::vector<wchar_t> buffer;
    if (!LoadBuffer(buffer, path) || more.size() >= kPathBufferLength)
        return false;
    if (!::PathAppendW(buffer.data(), more.c_str()))
        return false;
    path = buffer.data();
    return true;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& more)
{
    std::wstring joined = folder;
    return AppendPath(joined, more) ? joined : std::wstring();
}

bool CanonicalizePath(const std::wstring& path, std::wstring& canonical)
{
    if (path.size() >= kPathBufferLength)
        return false;
    std::vector<wchar_t> buffer(kPathBufferLength, L'\0');
    if (!::PathCanonicalizeW(buffer.data(), path.c_str()))
        return false;
    canonical = buffer.data();
    return true;
}

std::wstring WithBackslash(const std::wstring& path)
{
    if (path.empty() || path.back() == L'\\')
        return path;
    return path + L'\\';
}

std::wstring FileNamePart(const std::wstring& path)
{
    return ::PathFindFileNameW(path.c_str());
}

std::wstring WithoutFileName(const std::wstring& path)
{
    std::vector<wchar_t> buffer(path.begin(), path.end());
    buffer.push_back(L'\0');
    ::PathRemoveFileSpecW(buffer.data());
    return buffer.data();
}

bool RenameExtension(std::wstring& path, const wchar_t* extension)
{
    std::vector<wchar_t> buffer;
    if (!LoadBuffer(buffer, path))
        return false;
    if (!::PathRenameExtensionW(buffer.data(), extension))
        return false;
    path = buffer.data();
    return true;
}

std::wstring WithoutLeadingBackslashes(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(L'\\');
    return first == std::wstring::npos ? std::wstring() : text.substr(first);
}

std::wstring FoldAsciiCase(std::wstring text)
{
    for (wchar_t& c : text)
        c = FoldedAscii(c);
    return text;
}

int CompareFoldingAsciiCase(const std::wstring& left, const std::wstring& right) noexcept
{
    const size_t common = std::min(left.size(), right.size());
    for (size_t i = 0; i < common; ++i) {
        const wchar_t l = FoldedAscii(left[i]);
        const wchar_t r = FoldedAscii(right[i]);
        if (l != r)
            return l < r ? -1 : 1;
    }
    return left.size() == right.size() ? 0 : (left.size() < right.size() ? -1 : 1);
}

bool EqualsFoldingAsciiCase(const std::wstring& left, const std::wstring& right) noexcept
{
    return left.size() == right.size() && CompareFoldingAsciiCase(left, right) == 0;
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
    return base.size() > 1 && StartsWithFileName(WithBackslash(path), base);
}

bool ResolveInFolder(const std::wstring& folder, const std::wstring& name, std::wstring& target)
{
    // A relative file name never holds a colon (it would name a drive or a stream), nor
    // starts with two separators (a share, or a device path).
    const bool share = name.size() >= 2 && (name[0] == L'\\' || name[0] == L'/') && (name[1] == L'\\' || name[1] == L'/');
    if (name.empty() || share || name.find(L':') != std::wstring::npos)
        return false;
    // Joined as text: the shell's path joining would read a folder of the path that starts
    // with two dots ("..Backups") as a step up. The full path is what the file system will
    // write to: ".." parts, forward slashes and device names are resolved as it resolves them.
    const std::wstring full = FullPathOf(WithBackslash(folder) + name);
    const std::wstring base = WithBackslash(FullPathOf(folder));
    if (full.size() <= base.size() || full.size() >= MAX_PATH || !IsWithinFolder(full, base))
        return false;
    target = full;
    return true;
}
