#include "ui/MainFrameActions.h"

namespace {

// Until the dialogs and shell actions exist, their commands have nothing to open.
void NoDriverFilesDialog(HWND, DeviceInfo&, PlacementRecord&, std::wstring&) {}
void NoSaveDialogs(HWND, const std::vector<DeviceInfo*>&, std::wstring&) {}
void NoWindowAction(HWND) {}
void NoHomePage() {}

} // namespace

MainFrameActions DefaultMainFrameActions()
{
    return {NoDriverFilesDialog, NoSaveDialogs, NoWindowAction, NoWindowAction, NoHomePage, NoWindowAction};
}

MainFrameActions& CurrentMainFrameActions()
{
    static MainFrameActions actions = DefaultMainFrameActions();
    return actions;
}
