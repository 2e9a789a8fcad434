#include "platform/InfText.h"

#include <vector>

std::wstring ReadInfField(INFCONTEXT& line, DWORD field)
{
    DWORD needed = 0;
    if (!::SetupGetStringFieldW(&line, field, nullptr, 0, &needed) || needed == 0)
        return std::wstring();
    std::vector<wchar_t> buffer(needed, L'\0');
    if (!::SetupGetStringFieldW(&line, field, buffer.data(), needed, nullptr))
        return std::wstring();
    buffer.back() = L'\0';
    return buffer.data();
}

std::wstring ReadInfLine(HINF inf, const wchar_t* section, const wchar_t* key)
{
    DWORD needed = 0;
    if (!::SetupGetLineTextW(nullptr, inf, section, key, nullptr, 0, &needed) || needed == 0)
        return std::wstring();
    std::vector<wchar_t> buffer(needed, L'\0');
    if (!::SetupGetLineTextW(nullptr, inf, section, key, buffer.data(), needed, nullptr))
        return std::wstring();
    buffer.back() = L'\0';
    return buffer.data();
}

bool InfHasSection(HINF inf, const std::wstring& section)
{
    return ::SetupGetLineCountW(inf, section.c_str()) >= 0;
}

std::wstring ReadCatalogName(HINF inf, const std::wstring& decoration)
{
    std::wstring name;
    if (!decoration.empty())
        name = ReadInfLine(inf, L"Version", (L"CatalogFile" + decoration).c_str());
    return name.empty() ? ReadInfLine(inf, L"Version", L"CatalogFile") : name;
}
