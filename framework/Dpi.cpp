#include "framework/Dpi.h"

#include "platform/ProcAddress.h"

namespace {

UINT ScreenDpi()
{
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen)
        ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

// Windows 10 1607 and later; looked up so that the program still starts on older systems.
HMODULE User32()
{
    return ::GetModuleHandleW(L"user32.dll");
}

} // namespace

int ScaleForDpi(int pixels, UINT dpi) noexcept
{
    return RescaleForDpi(pixels, kDefaultDpi, dpi);
}

int RescaleForDpi(int pixels, UINT from, UINT to) noexcept
{
    if (from == 0 || to == 0 || from == to)
        return pixels;
    return ::MulDiv(pixels, static_cast<int>(to), static_cast<int>(from));
}

UINT WindowDpi(HWND window)
{
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = GetProcAddressAs<GetDpiForWindowFunction>(User32(), "GetDpiForWindow");
    if (getDpiForWindow && window) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0)
            return dpi;
    }
    return ScreenDpi();
}

int SystemMetricForDpi(int index, UINT dpi)
{
    using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
    static const auto forDpi = GetProcAddressAs<GetSystemMetricsForDpiFunction>(User32(), "GetSystemMetricsForDpi");
    if (forDpi)
        return forDpi(index, dpi);
    return RescaleForDpi(::GetSystemMetrics(index), ScreenDpi(), dpi);
}
