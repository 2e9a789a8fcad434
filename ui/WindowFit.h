// How large a top-level window may be on the screen it opens on: its start size and its
// minimum tracking size are kept within the work area of the window's monitor, so that a
// small screen at high scaling still shows the whole window, status bar included.
#pragma once

#include <windows.h>

// `wanted` cut to the work area's width and height.
SIZE FittedSize(SIZE wanted, const RECT& workArea) noexcept;

// The work area (the screen without the taskbar) of the monitor the window is on, or nearest to.
RECT MonitorWorkArea(HWND window);
