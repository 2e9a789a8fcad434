#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>
#include <objbase.h>

#include "platform/DeviceProperties.h"

#include <cwchar>

std::vector<std::wstring> ReadDeviceTexts(HDEVINFO set, const SP_DEVINFO_DATA& element, DWORD property)
{
    std::vector<std::wstring> texts;
    SP_DEVINFO_DATA data = element;
    DWORD needed = 0;
    std::vector<wchar_t> buffer;
    // The list may grow between asking its size and reading it: asked again until it fits.
    for (;;) {
        ::SetupDiGetDeviceRegistryPropertyW(set, &data, property, nullptr, nullptr, 0, &needed);
        if (needed == 0)
            return texts;
        // Two spare characters, so a list stored without its closing nulls still ends.
        buffer.assign(needed / sizeof(wchar_t) + 2, L'\0');
        if (::SetupDiGetDeviceRegistryPropertyW(set, &data, property, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                                                needed, &needed))
            break;
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return texts;
    }
    for (const wchar_t* text = buffer.data(); *text; text += std::wcslen(text) + 1)
        texts.push_back(text);
    return texts;
}

bool DeviceIsPresent(DEVINST device)
{
    ULONG status = 0;
    ULONG problem = 0;
    // A device that was installed once and is not attached now has no node in the tree.
    return ::CM_Get_DevNode_Status(&status, &problem, device, 0) != CR_NO_SUCH_DEVINST;
}

std::wstring GuidText(const GUID& guid)
{
    wchar_t text[40] = L"";
    return ::StringFromGUID2(guid, text, 40) > 0 ? text : L"";
}

std::wstring OriginalInfName(const std::wstring& inf)
{
    if (inf.empty())
        return std::wstring();
    const DWORD search = inf.find(L'\\') != std::wstring::npos ? INFINFO_INF_NAME_IS_ABSOLUTE : INFINFO_DEFAULT_SEARCH;
    DWORD needed = 0;
    if (!::SetupGetInfInformationW(inf.c_str(), search, nullptr, 0, &needed) || needed == 0)
        return std::wstring();
    std::vector<BYTE> buffer(needed);
    auto* information = reinterpret_cast<SP_INF_INFORMATION*>(buffer.data());
    if (!::SetupGetInfInformationW(inf.c_str(), search, information, needed, nullptr))
        return std::wstring();
    SP_ORIGINAL_FILE_INFO_W original = {};
    original.cbSize = sizeof(original);
    if (!::SetupQueryInfOriginalFileInformationW(information, 0, nullptr, &original))
        return std::wstring();
    // Only the name: the original folder was where the package was installed from.
    const wchar_t* name = original.OriginalInfName;
    for (const wchar_t* c = name; *c; ++c)
        if (*c == L'\\' || *c == L'/')
            name = c + 1;
    return name;
}
