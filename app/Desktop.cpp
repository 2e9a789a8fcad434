#include <windows.h>

#include "app/Desktop.h"

#include "app/Console.h"

bool DesktopIsVisible()
{
    // The window station is the process's for its whole life: it is not closed.
    const HWINSTA station = ::GetProcessWindowStation();
    USEROBJECTFLAGS flags = {};
    DWORD needed = 0;
    if (!station || !::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof(flags), &needed))
        return true;
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

bool RunIsUnwatched()
{
    return OutputIsRedirected() || !DesktopIsVisible();
}
