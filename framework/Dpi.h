// Dots per inch of a window, and pixel sizes scaled to it. The program's sizes are given for
// 96 DPI (100 % scaling) and stay exactly those there.
#pragma once

#include <windows.h>

const UINT kDefaultDpi = 96;

// `pixels` at 96 DPI scaled to `dpi`, rounded to the nearest pixel.
int ScaleForDpi(int pixels, UINT dpi) noexcept;
// `pixels` measured at `from` DPI scaled to `to` DPI, rounded to the nearest pixel; unchanged
// when either is 0.
int RescaleForDpi(int pixels, UINT from, UINT to) noexcept;

// The window's DPI (GetDpiForWindow where the system has it), else the screen's.
UINT WindowDpi(HWND window);
// A system metric at `dpi` (GetSystemMetricsForDpi where the system has it, else the metric at
// the screen's DPI scaled to `dpi`).
int SystemMetricForDpi(int index, UINT dpi);
