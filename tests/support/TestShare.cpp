#include "tests/support/TestShare.h"

#include <windows.h>

#include <algorithm>

#include "platform/ShellPath.h"
#include "tests/support/Wine.h"

std::wstring WineShares()
{
    wchar_t prefix[MAX_PATH] = L"";
    const DWORD length = ::GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH);
    if (!RunningUnderWine() || length == 0 || length >= MAX_PATH)
        return std::wstring();
    std::wstring folder = L"Z:" + std::wstring(prefix, length) + L"/dosdevices/unc/srv";
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    return folder;
}

std::wstring ShareOf(const std::wstring& folder)
{
    return L"\\\\srv\\" + FileNamePart(folder);
}
