// A non-owning window handle with the handful of calls the windows and dialogs use, each
// turning the system's BOOL into bool. Copying it copies the handle, never the window.
#pragma once

#include <windows.h>

#include <string>

class CWindow {
public:
    CWindow(HWND window = nullptr) noexcept : window_(window) {}

    HWND get() const noexcept { return window_; }
    operator HWND() const noexcept { return window_; }
    void Attach(HWND window) noexcept { window_ = window; }
    HWND Detach() noexcept;

    bool IsWindow() const noexcept { return window_ && ::IsWindow(window_); }
    bool Destroy() noexcept { return ::DestroyWindow(window_) != FALSE; }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const noexcept
    {
        return ::SendMessageW(window_, message, wParam, lParam);
    }
    bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const noexcept
    {
        return ::PostMessageW(window_, message, wParam, lParam) != FALSE;
    }

    CWindow GetParent() const noexcept { return ::GetParent(window_); }
    CWindow GetItem(int id) const noexcept { return ::GetDlgItem(window_, id); }
    int GetId() const noexcept { return ::GetDlgCtrlID(window_); }
    DWORD GetStyle() const noexcept { return static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_STYLE)); }
    void ModifyStyle(DWORD remove, DWORD add) const noexcept;

    RECT ClientRect() const noexcept;
    RECT WindowRect() const noexcept;
    // The window's rectangle in its parent's client coordinates.
    RECT RectInParent() const noexcept;

    bool Move(const RECT& rect, bool repaint = true) const noexcept
    {
        return ::MoveWindow(window_, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                            repaint) != FALSE;
    }
    bool Show(int command) const noexcept { return ::ShowWindow(window_, command) != FALSE; }
    bool Enable(bool enable) const noexcept { return ::EnableWindow(window_, enable) != FALSE; }
    bool IsEnabled() const noexcept { return ::IsWindowEnabled(window_) != FALSE; }
    bool IsVisible() const noexcept { return ::IsWindowVisible(window_) != FALSE; }
    // The window's own WS_VISIBLE, whether or not its parent is shown.
    bool HasVisibleStyle() const noexcept { return (GetStyle() & WS_VISIBLE) != 0; }
    bool Invalidate(bool erase = true) const noexcept { return ::InvalidateRect(window_, nullptr, erase) != FALSE; }

    bool SetText(const wchar_t* text) const noexcept { return ::SetWindowTextW(window_, text) != FALSE; }
    // The window's whole text.
    std::wstring GetText() const;
    HFONT GetFont() const noexcept { return reinterpret_cast<HFONT>(Send(WM_GETFONT)); }
    void SetFont(HFONT font, bool redraw) const noexcept { Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw); }

    // Centres the window over `over` (its parent or owner), kept inside the work area of that
    // window's monitor; over the work area itself when `over` is null, hidden or minimized.
    void CenterWindow(HWND over) const noexcept;

private:
    HWND window_;
};

// Where a window of `size` goes to be centred over `over` and still lie inside `workArea`
// (its left and top edges win when it is larger than the work area).
POINT CentredPosition(SIZE size, const RECT& over, const RECT& workArea) noexcept;
