#include "app/Wow64.h"

#include <windows.h>

#include "platform/ProcAddress.h"

bool IsWow64()
{
    using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto isWow64Process =
        GetProcAddressAs<IsWow64ProcessFunction>(::GetModuleHandleW(L"kernel32"), "IsWow64Process");
    if (!isWow64Process)
        return false;

    BOOL wow64 = FALSE;
    isWow64Process(::GetCurrentProcess(), &wow64);
    return wow64 != FALSE;
}
