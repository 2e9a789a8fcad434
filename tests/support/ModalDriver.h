// Drives a window while a modal loop (a dialog's, a message box's, the folder browser's) runs
// on the test's own thread, which is blocked in that loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Calls step every intervalMs from within whatever message loop runs on this thread, until
// it returns true or the object goes.
class ModalScript {
public:
    explicit ModalScript(std::function<bool()> step, UINT intervalMs = 20);
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    bool finished() const { return finished_; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD);

    std::function<bool()> step_;
    UINT_PTR timer_ = 0;
    bool finished_ = false;
};

// Sees every message sent to a window of this thread (from this or another thread) before
// the window does, while the object lives.
class SentMessageWatch {
public:
    using Handler = std::function<void(HWND window, UINT message, WPARAM wParam, LPARAM lParam)>;
    explicit SentMessageWatch(Handler handler);
    ~SentMessageWatch();
    SentMessageWatch(const SentMessageWatch&) = delete;
    SentMessageWatch& operator=(const SentMessageWatch&) = delete;

private:
    static LRESULT CALLBACK OnMessage(int code, WPARAM wParam, LPARAM lParam);

    Handler handler_;
    HHOOK hook_ = nullptr;
};

// The visible top-level window of this process with this class and, when given, this title.
HWND FindOwnWindow(const std::wstring& className, const std::wstring& title = std::wstring());

// A left click at a point of the screen, through the system's input queue as a mouse makes it.
void ClickOnScreen(POINT screen);
// A key pressed and let go, through the system's input queue.
void TypeKey(WORD key);

// Saves a picture of the window as <name>.bmp in the test artefacts folder
// (TARNWICK_ARTIFACTS). False when there is no such folder or the picture cannot be made.
bool SaveScreenshot(HWND window, const std::wstring& name);

// The DPI a test program was started at (TARNWICK_TEST_DPI), 96 when none was asked for.
UINT ExpectedTestDpi();
// A screenshot name with its DPI: "main-window-144dpi".
std::wstring NameAtDpi(const std::wstring& name, UINT dpi);
