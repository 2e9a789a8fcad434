#include "platform/ShellPath.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <vector>


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
