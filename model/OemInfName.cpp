#include "model/OemInfName.h"

#include <windows.h>

bool IsOemInfName(const std::wstring& name)
{
    std::wstring lower = name;
    if (!lower.empty())
        ::CharLowerW(&lower[0]);
    return lower.find(L"oem") != std::wstring::npos;
}
