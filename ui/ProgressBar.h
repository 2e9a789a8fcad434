// The progress bars of the main window and the dialogs: each runs from 0 to kProgressRange and
// shows the fraction done, truncated toward zero.
#pragma once

#include <windows.h>

const int kProgressRange = 1000;

// The bar position (0 to kProgressRange) for a fraction done (0 to 1).
int ProgressBarPosition(double fraction);

// A progress bar with that range as a child of a status bar, over the status bar's client
// area from its left edge to `width`, 3 pixels in from every side. `style` is added to
// WS_CHILD (WS_VISIBLE for a bar shown at once). Null when it cannot be created.
HWND CreateStatusProgressBar(HWND statusBar, int width, DWORD style);
