#include "tests/support/TestShare.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/ShellPath.h"
#include "tests/support/Wine.h"

std::wstring WineShares()
{
    std::vector<wchar_t> prefix(32768);
    const DWORD length = ::GetEnvironmentVariableW(L"WINEPREFIX", prefix.data(), static_cast<DWORD>(prefix.size()));
    if (!RunningUnderWine() || length == 0 || length >= prefix.size())
        return std::wstring();
    std::wstring folder = L"Z:" + std::wstring(prefix.data(), length) + L"/dosdevices/unc/srv";
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    return folder;
}

std::wstring ShareOf(const std::wstring& folder)
{
    return L"\\\\srv\\" + FileNamePart(folder);
}
