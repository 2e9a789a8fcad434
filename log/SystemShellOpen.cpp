#include "log/SystemShellOpen.h"

#include <windows.h>
#include <shellapi.h>

void SystemShellOpen::Open(const std::wstring& target)
{
    ::ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
