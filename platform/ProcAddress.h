// Typed lookup of a function exported by a loaded module. FARPROC is cast through void* so
// the cast does not pretend the two function types are related.
#pragma once

#include <windows.h>

template <typename Function>
Function GetProcAddressAs(HMODULE module, const char* name) noexcept
{
    if (!module)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}
