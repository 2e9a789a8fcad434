#include "ui/PlacementRecord.h"

void CapturePlacement(PlacementRecord& record, HWND window)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    ::GetWindowPlacement(window, &placement);
    record.maximized = placement.showCmd == SW_SHOWMAXIMIZED ? 1 : 0;
    record.normal = placement.rcNormalPosition;
}

bool ApplyPlacement(const PlacementRecord& record, HWND window, bool allowMaximized)
{
    if (::IsRectEmpty(&record.normal))
        return false;

    // Called before the window is shown: a showCmd of 0 (SW_HIDE) only moves it, and whoever
    // shows the window then shows it there.
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    placement.rcNormalPosition = record.normal;
    if (allowMaximized && record.maximized != 0)
        placement.showCmd = SW_SHOWMAXIMIZED;
    return ::SetWindowPlacement(window, &placement) != FALSE;
}
