// Keeps the children of a window in place while it is resized: each child listed in the
// resize map moves or grows by the change of the client size since Init, by its flags. It
// also holds the minimum tracking size and the optional size grip.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/CWindow.h"

// Resize map flags: which edges of a child follow the window's size.
const DWORD DLSZ_SIZE_X = 0x1;  // the right edge follows the width
const DWORD DLSZ_SIZE_Y = 0x2;  // the bottom edge follows the height
const DWORD DLSZ_MOVE_X = 0x4;  // the child moves right with the right edge
const DWORD DLSZ_MOVE_Y = 0x8;  // the child moves down with the bottom edge

struct DialogResizeEntry {
    int id;       // the child's control id
    DWORD flags;  // DLSZ_ values
};

// Where a child that was at `initial` goes when the client has grown by (dx, dy).
RECT ResizedChildRect(const RECT& initial, DWORD flags, int dx, int dy) noexcept;

class CDialogResizeBase {
public:
    // Records the children's places and the client size as they are now. addGripper: a size
    // grip in the bottom-right corner, hidden while maximized. useMinTrackSize: the window
    // cannot be made smaller than its size now. forceStyle: styles added to the window.
    void Init(HWND window, const DialogResizeEntry* entries, size_t count, bool addGripper, bool useMinTrackSize,
              DWORD forceStyle);

    // WM_GETMINMAXINFO: the minimum tracking size.
    bool ProcessResizeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The window's OnSize: the children follow the new client size (not when minimized).
    void OnResize(HWND window, UINT type, SIZE client);

    // Moves the children and repaints each of them whole: a control that is only moved, or
    // that sized itself already (a status bar), keeps parts of its old picture (a size grip).
    void UpdateLayout(HWND window, int clientWidth, int clientHeight);
    void SetMinTrackSize(POINT size) noexcept { minTrackSize_ = size; }

private:
    struct Child {
        int id;
        DWORD flags;
        RECT initial;
    };
    void PlaceGripper(int clientWidth, int clientHeight, bool maximized);

    std::vector<Child> children_;
    SIZE initialClient_ = {0, 0};
    POINT minTrackSize_ = {0, 0};
    bool useMinTrackSize_ = false;
    CWindow gripper_;
};
