#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>
#include <objbase.h>

#include "platform/DeviceProperties.h"

#include <cwchar>

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
    // Each call reads the whole INF, and a save describes every device: a buffer that fits
    // the usual answer asks once, and only a larger answer is asked for again.
    std::vector<BYTE> buffer(4096);
    DWORD needed = 0;
    while (!::SetupGetInfInformationW(inf.c_str(), search, reinterpret_cast<SP_INF_INFORMATION*>(buffer.data()),
                                      static_cast<DWORD>(buffer.size()), &needed)) {
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size())
            return std::wstring();
        buffer.resize(needed);
    }
    auto* information = reinterpret_cast<SP_INF_INFORMATION*>(buffer.data());
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
