#include "backup/DriverVersion.h"

#include <array>
#include <cwctype>

namespace {

const size_t kVersionParts = 4;
const unsigned long kPartLimit = 65535;

std::wstring Trimmed(const std::wstring& text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && std::iswspace(text[first]))
        ++first;
    while (last > first && std::iswspace(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

bool ParseVersion(const std::wstring& text, std::array<unsigned long, kVersionParts>& parts)
{
    parts.fill(0);
    const std::wstring version = Trimmed(text);
    if (version.empty())
        return false;
    size_t part = 0;
    bool digitSeen = false;
    for (wchar_t c : version) {
        if (c == L'.') {
            if (!digitSeen || ++part == kVersionParts)
                return false;
            digitSeen = false;
        } else if (c >= L'0' && c <= L'9') {
            parts[part] = parts[part] * 10 + static_cast<unsigned long>(c - L'0');
            if (parts[part] > kPartLimit)
                return false;
            digitSeen = true;
        } else {
            return false;
        }
    }
    return digitSeen;
}

} // namespace

DriverVer ParseDriverVer(const std::wstring& text)
{
    DriverVer result;
    const size_t comma = text.find(L',');
    result.date = Trimmed(text.substr(0, comma));
    if (comma != std::wstring::npos)
        result.version = Trimmed(text.substr(comma + 1));
    return result;
}

bool CompareDriverVersions(const std::wstring& left, const std::wstring& right, int& order)
{
    std::array<unsigned long, kVersionParts> leftParts;
    std::array<unsigned long, kVersionParts> rightParts;
    if (!ParseVersion(left, leftParts) || !ParseVersion(right, rightParts))
        return false;
    order = 0;
    for (size_t i = 0; i < kVersionParts && order == 0; ++i) {
        if (leftParts[i] != rightParts[i])
            order = leftParts[i] < rightParts[i] ? -1 : 1;
    }
    return true;
}
