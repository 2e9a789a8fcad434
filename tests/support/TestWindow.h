// A plain top-level window for tests that need a real window handle.
#pragma once

#include <windows.h>

#include <string>

class TestWindow {
public:
    explicit TestWindow(DWORD style = WS_OVERLAPPEDWINDOW, int width = 400, int height = 300);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND get() const { return window_; }

private:
    HWND window_ = nullptr;
};

// Handles the messages waiting for this thread, so sent and posted work gets done.
void PumpMessages();

// Whether the window has a repaint of its whole client area pending.
bool WhollyInvalid(HWND window);

// The text of a list-view item's column, whole however long.
std::wstring ListItemText(HWND list, int item, int subItem);
