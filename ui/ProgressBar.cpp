#include "ui/ProgressBar.h"

#include <commctrl.h>

#include "framework/AppModule.h"
#include "framework/CWindow.h"

namespace {

const int kStatusBarInset = 3;

} // namespace

int ProgressBarPosition(double fraction)
{
    return static_cast<int>(fraction * kProgressRange);
}

HWND CreateStatusProgressBar(HWND statusBar, int width, DWORD style)
{
    RECT rect = CWindow(statusBar).ClientRect();
    rect.right = rect.left + width;
    ::InflateRect(&rect, -kStatusBarInset, -kStatusBarInset);
    const CWindow bar(::CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | style, rect.left, rect.top,
                                        rect.right - rect.left, rect.bottom - rect.top, statusBar, nullptr,
                                        AppModule().GetInstance(), nullptr));
    bar.Send(PBM_SETRANGE32, 0, kProgressRange);
    return bar;
}
