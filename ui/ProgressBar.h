// The progress bars of the main window and the dialogs: each runs from 0 to kProgressRange and
// shows the fraction done, truncated toward zero.
#pragma once

#include <windows.h>

const int kProgressRange = 1000;

// The bar position (0 to kProgressRange) for a fraction done (0 to 1).
int ProgressBarPosition(double fraction);

// Pixels between a status bar's progress bar and the status bar's edges, at 96 DPI.
const int kStatusBarInset = 3;

// A progress bar with that range as a child of a status bar, placed by PlaceStatusProgressBar.
// `style` is added to WS_CHILD (WS_VISIBLE for a bar shown at once). Null when it cannot be
// created.
HWND CreateStatusProgressBar(HWND statusBar, int width, int inset, DWORD style);
// Over the status bar's client area from its left edge to `width`, `inset` pixels in from
// every side.
void PlaceStatusProgressBar(HWND bar, int width, int inset);
