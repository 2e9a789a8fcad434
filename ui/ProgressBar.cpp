#include "ui/ProgressBar.h"

#include <commctrl.h>

#include "framework/AppModule.h"
#include "framework/CWindow.h"

int ProgressBarPosition(double fraction)
{
    return static_cast<int>(fraction * kProgressRange);
}

namespace {

RECT StatusProgressRect(HWND statusBar, int width, int inset)
{
    RECT rect = CWindow(statusBar).ClientRect();
    rect.right = rect.left + width;
    ::InflateRect(&rect, -inset, -inset);
    return rect;
}

} // namespace

HWND CreateStatusProgressBar(HWND statusBar, int width, int inset, DWORD style)
{
    const RECT rect = StatusProgressRect(statusBar, width, inset);
    const CWindow bar(::CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | style, rect.left, rect.top,
                                        rect.right - rect.left, rect.bottom - rect.top, statusBar, nullptr,
                                        AppModule().GetInstance(), nullptr));
    bar.Send(PBM_SETRANGE32, 0, kProgressRange);
    return bar;
}

void PlaceStatusProgressBar(HWND bar, int width, int inset)
{
    CWindow(bar).Move(StatusProgressRect(::GetParent(bar), width, inset));
}
