#include "framework/CDialogResizeBase.h"

#include "framework/AppModule.h"

RECT ResizedChildRect(const RECT& initial, DWORD flags, int dx, int dy) noexcept
{
    // Moving takes both edges along; sizing only the right or bottom one.
    RECT rect = initial;
    if (flags & DLSZ_MOVE_X)
        rect.left += dx;
    if (flags & (DLSZ_MOVE_X | DLSZ_SIZE_X))
        rect.right += dx;
    if (flags & DLSZ_MOVE_Y)
        rect.top += dy;
    if (flags & (DLSZ_MOVE_Y | DLSZ_SIZE_Y))
        rect.bottom += dy;
    return rect;
}

void CDialogResizeBase::Init(HWND window, const DialogResizeEntry* entries, size_t count, bool addGripper,
                             bool useMinTrackSize, DWORD forceStyle)
{
    const CWindow frame(window);
    if (forceStyle)
        frame.ModifyStyle(0, forceStyle);
    const RECT client = frame.ClientRect();
    initialClient_ = {client.right, client.bottom};
    const RECT windowRect = frame.WindowRect();
    minTrackSize_ = {windowRect.right - windowRect.left, windowRect.bottom - windowRect.top};
    useMinTrackSize_ = useMinTrackSize;

    children_.clear();
    for (size_t i = 0; i < count; ++i) {
        const CWindow child = frame.GetItem(entries[i].id);
        if (child.IsWindow())
            children_.push_back({entries[i].id, entries[i].flags, child.RectInParent()});
    }

    if (addGripper && !gripper_.IsWindow()) {
        gripper_.Attach(::CreateWindowExW(0, L"SCROLLBAR", nullptr,
                                          WS_CHILD | WS_CLIPSIBLINGS | SBS_SIZEBOX | SBS_SIZEGRIP |
                                              SBS_SIZEBOXBOTTOMRIGHTALIGN,
                                          0, 0, client.right, client.bottom, window, nullptr,
                                          AppModule().GetInstance(), nullptr));
        PlaceGripper(client.right, client.bottom, ::IsZoomed(window) != FALSE);
    }
}

bool CDialogResizeBase::ProcessResizeMessage(HWND, UINT message, WPARAM, LPARAM lParam, LRESULT& result)
{
    if (message == WM_GETMINMAXINFO && useMinTrackSize_) {
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = minTrackSize_;
        result = 0;
        return true;
    }
    return false;
}

void CDialogResizeBase::OnResize(HWND window, UINT type, SIZE client)
{
    if (type != SIZE_MINIMIZED)
        UpdateLayout(window, client.cx, client.cy);
}

void CDialogResizeBase::UpdateLayout(HWND window, int clientWidth, int clientHeight)
{
    const int dx = clientWidth - initialClient_.cx;
    const int dy = clientHeight - initialClient_.cy;
    std::vector<HWND> moved;
    HDWP positions = ::BeginDeferWindowPos(static_cast<int>(children_.size()));
    for (const Child& child : children_) {
        const HWND control = ::GetDlgItem(window, child.id);
        if (!control)
            continue;
        const RECT rect = ResizedChildRect(child.initial, child.flags, dx, dy);
        moved.push_back(control);
        // No copied bits: a control that grew or moved draws itself anew.
        if (positions)
            positions = ::DeferWindowPos(positions, control, nullptr, rect.left, rect.top, rect.right - rect.left,
                                         rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    }
    if (positions)
        ::EndDeferWindowPos(positions);
    for (HWND control : moved)
        ::RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    if (gripper_.IsWindow()) {
        PlaceGripper(clientWidth, clientHeight, ::IsZoomed(window) != FALSE);
        gripper_.Invalidate(true);
    }
}

void CDialogResizeBase::PlaceGripper(int clientWidth, int clientHeight, bool maximized)
{
    // A grip is no use on a maximized window, which cannot be resized by dragging.
    const int width = ::GetSystemMetrics(SM_CXVSCROLL);
    const int height = ::GetSystemMetrics(SM_CYHSCROLL);
    ::SetWindowPos(gripper_, HWND_TOP, clientWidth - width, clientHeight - height, width, height,
                   SWP_NOACTIVATE | (maximized ? SWP_HIDEWINDOW : SWP_SHOWWINDOW));
}
