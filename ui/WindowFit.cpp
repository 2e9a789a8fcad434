#include "ui/WindowFit.h"

#include <algorithm>

SIZE FittedSize(SIZE wanted, const RECT& workArea) noexcept
{
    const LONG width = std::max<LONG>(workArea.right - workArea.left, 0);
    const LONG height = std::max<LONG>(workArea.bottom - workArea.top, 0);
    return {std::min(wanted.cx, width), std::min(wanted.cy, height)};
}

RECT MonitorWorkArea(HWND window)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    const HMONITOR monitor = ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (monitor && ::GetMonitorInfoW(monitor, &info))
        return info.rcWork;
    RECT work = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}
