// A window's device context from GetDC, released with ReleaseDC on every path. Null window:
// the screen.
#pragma once

#include <windows.h>

class CClientDC {
public:
    explicit CClientDC(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
    ~CClientDC()
    {
        if (dc_)
            ::ReleaseDC(window_, dc_);
    }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;

    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};
