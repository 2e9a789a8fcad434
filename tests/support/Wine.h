// Whether the tests run under Wine, for the few checks where Wine is known to answer
// differently from Windows.
#pragma once

#include <windows.h>

inline bool RunningUnderWine()
{
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}
