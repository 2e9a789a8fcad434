#include "platform/InfText.h"

#include <vector>

#include "platform/FileNameCompare.h"
#include "platform/MachinePlatform.h"
#include "platform/ShellPath.h"

std::vector<std::wstring> PlatformSections(const std::wstring& base)
{
    return {base + L"." + MachineDecoration(), base};
}

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

std::vector<std::wstring> ReadCatalogNames(HINF inf, const std::wstring& decoration)
{
    std::vector<std::wstring> names;
    const auto add = [&names](const std::wstring& name) {
        bool known = name.empty();
        for (const std::wstring& listed : names)
            known = known || SameFileName(listed, name);
        if (!known)
            names.push_back(name);
    };
    add(ReadCatalogName(inf, decoration));
    const std::wstring key = L"catalogfile";
    INFCONTEXT line = {};
    for (BOOL found = ::SetupFindFirstLineW(inf, L"Version", nullptr, &line); found;
         found = ::SetupFindNextLine(&line, &line)) {
        const std::wstring name = FoldAsciiCase(ReadInfField(line, 0));
        if (name.compare(0, key.size(), key) == 0 && (name.size() == key.size() || name[key.size()] == L'.'))
            add(ReadInfField(line, 1));
    }
    return names;
}
