#include "platform/FileNameCompare.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace {

int CompareOrdinalIgnoringCase(const wchar_t* left, size_t leftLength, const wchar_t* right,
                               size_t rightLength) noexcept
{
    // No file name comes near INT_MAX characters; the cut only keeps the call defined.
    const int result = ::CompareStringOrdinal(left, static_cast<int>(std::min<size_t>(leftLength, INT_MAX)), right,
                                              static_cast<int>(std::min<size_t>(rightLength, INT_MAX)), TRUE);
    if (result == 0) {
        // Only arguments the call refuses fail; such names are told apart exactly.
        if (std::lexicographical_compare(left, left + leftLength, right, right + rightLength))
            return -1;
        return std::lexicographical_compare(right, right + rightLength, left, left + leftLength) ? 1 : 0;
    }
    return result == CSTR_LESS_THAN ? -1 : (result == CSTR_GREATER_THAN ? 1 : 0);
}

} // namespace

int CompareFileNames(const std::wstring& left, const std::wstring& right) noexcept
{
    return CompareOrdinalIgnoringCase(left.data(), left.size(), right.data(), right.size());
}

bool SameFileName(const std::wstring& left, const std::wstring& right) noexcept
{
    return left.size() == right.size() && CompareFileNames(left, right) == 0;
}

bool StartsWithFileName(const std::wstring& path, const std::wstring& prefix) noexcept
{
    return path.size() >= prefix.size() &&
           CompareOrdinalIgnoringCase(path.data(), prefix.size(), prefix.data(), prefix.size()) == 0;
}
