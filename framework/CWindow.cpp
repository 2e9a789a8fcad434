#include "framework/CWindow.h"

#include <utility>

HWND CWindow::Detach() noexcept
{
    return std::exchange(window_, nullptr);
}

void CWindow::ModifyStyle(DWORD remove, DWORD add) const noexcept
{
    const DWORD style = (GetStyle() & ~remove) | add;
    ::SetWindowLongPtrW(window_, GWL_STYLE, static_cast<LONG_PTR>(style));
}

RECT CWindow::ClientRect() const noexcept
{
    RECT rect = {};
    ::GetClientRect(window_, &rect);
    return rect;
}

RECT CWindow::WindowRect() const noexcept
{
    RECT rect = {};
    ::GetWindowRect(window_, &rect);
    return rect;
}

RECT CWindow::RectInParent() const noexcept
{
    RECT rect = WindowRect();
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(window_), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void CWindow::CenterWindow(HWND over) const noexcept
{
    const bool overUsable = over && ::IsWindowVisible(over) && !::IsIconic(over);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(overUsable ? over : window_, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT target = monitor.rcWork;
    if (overUsable)
        ::GetWindowRect(over, &target);

    const RECT rect = WindowRect();
    const SIZE size = {rect.right - rect.left, rect.bottom - rect.top};
    POINT position = CentredPosition(size, target, monitor.rcWork);
    // A child window is placed in its parent's client coordinates.
    if (GetStyle() & WS_CHILD)
        ::ScreenToClient(::GetParent(window_), &position);
    ::SetWindowPos(window_, nullptr, position.x, position.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

POINT CentredPosition(SIZE size, const RECT& over, const RECT& workArea) noexcept
{
    POINT position = {over.left + (over.right - over.left - size.cx) / 2,
                      over.top + (over.bottom - over.top - size.cy) / 2};
    if (position.x + size.cx > workArea.right)
        position.x = workArea.right - size.cx;
    if (position.y + size.cy > workArea.bottom)
        position.y = workArea.bottom - size.cy;
    if (position.x < workArea.left)
        position.x = workArea.left;
    if (position.y < workArea.top)
        position.y = workArea.top;
    return position;
}

std::wstring CWindow::GetText() const
{
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window_)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window_, text.data(), static_cast<int>(text.size()))));
    return text;
}
