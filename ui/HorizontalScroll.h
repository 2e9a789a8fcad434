// Horizontal scrolling of the device tree view: where a scroll request takes the position.
#pragma once

// Pixels moved by one click on an arrow, at 96 DPI.
const int kScrollLineStep = 6;

struct ScrollState {
    int maximum;   // the sum of the column widths
    int page;      // the client width
    int position;  // the current position
    int lineStep = kScrollLineStep;  // pixels per arrow click at the window's DPI
};

// The new position for a WM_HSCROLL request (its low word) with the thumb position (its
// high word). The last page starts at maximum - page + 1.
int ScrollTarget(int request, int thumb, const ScrollState& state) noexcept;

// `position` kept within the scroll range, as after the range or the page changed: never past
// the start of the last page (maximum - page + 1), never before 0.
int ClampedScrollPosition(int position, int maximum, int page) noexcept;
