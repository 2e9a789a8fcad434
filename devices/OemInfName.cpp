#include <windows.h>

#include "devices/DeviceList.h"

bool IsOemInfName(const std::wstring& name)
{
    std::wstring lowered = name;
    ::CharLowerW(&lowered[0]);
    return lowered.find(L"oem") != std::wstring::npos;
}
