// A GDI object selected into a device context for one scope: the object that was selected
// before is put back when the scope ends, on every path. Selecting nothing (a null object, or
// a selection that failed) puts nothing back.
#pragma once

#include <windows.h>

class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), previous_(object ? ::SelectObject(dc, object) : nullptr)
    {
    }
    ~ScopedSelectObject()
    {
        if (previous_ && previous_ != HGDI_ERROR)
            ::SelectObject(dc_, previous_);
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};
