// A window's stored placement: 20 bytes, kept in the registry as they lie in memory.
#pragma once

#include <windows.h>

#include <cstddef>

struct PlacementRecord {
    BYTE maximized = 0;           // 1 when the window was maximized when captured
    BYTE padding[3] = {0, 0, 0};  // never interpreted
    RECT normal = {0, 0, 0, 0};   // restored rectangle, in workspace coordinates
};

static_assert(sizeof(PlacementRecord) == 20, "the stored placement is exactly 20 bytes");
static_assert(offsetof(PlacementRecord, maximized) == 0, "flag byte first");
static_assert(offsetof(PlacementRecord, normal) == 4, "rectangle at offset 4");
static_assert(sizeof(RECT) == 16, "left, top, right, bottom as 32-bit values");

// Records the window's normal rectangle and whether it is maximized now. The padding is left
// as it is.
void CapturePlacement(PlacementRecord& record, HWND window);

// Puts the window at the recorded normal rectangle, maximized only when allowMaximized is
// set and the record says so. A record with an empty rectangle changes nothing; the result
// is false then, and when SetWindowPlacement fails.
bool ApplyPlacement(const PlacementRecord& record, HWND window, bool allowMaximized);
