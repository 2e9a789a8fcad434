#include "ui/MainFrameActions.h"

#include "ui/CAboutDlg.h"
#include "ui/CDriverFilesDlg.h"
#include "ui/CRestoreDlg.h"
#include "ui/CSaveProgressDlg.h"
#include "ui/ShellActions.h"

namespace {

void ShowDriverFilesDialog(HWND owner, DeviceInfo& device, PlacementRecord& placement, std::wstring& browsePath)
{
    CDriverFilesDlg dialog(placement, &device, browsePath);
    dialog.DoModal(owner);
}

void SaveUnderProgressDialog(HWND owner, const std::vector<DeviceInfo*>& devices, std::wstring& browsePath)
{
    // The dialog's saver, and with it the save log, ends with this function: the log then
    // opens for the user, if the run wrote one.
    CSaveProgressDlg dialog(browsePath);
    for (DeviceInfo* device : devices)
        dialog.Saver().AddDevice(device);
    if (!BrowseForTargetFolder(browsePath, owner))
        return;
    dialog.DoModal(::GetActiveWindow());
}

bool RestoreUnderDialog(HWND owner, const std::wstring& browsePath)
{
    std::wstring folder = browsePath;
    if (!BrowseForTargetFolder(folder, owner, L"Select a backup folder to restore drivers from:"))
        return false;
    // The restorer, and with it the restore log, ends with the dialog: the log then opens.
    CRestoreDlg dialog(folder);
    return dialog.DoModal(owner) == IDOK;
}

void ShowAboutBox(HWND owner)
{
    CAboutDlg dialog;
    dialog.DoModal(owner);
}

} // namespace

MainFrameActions DefaultMainFrameActions()
{
    return {ShowDriverFilesDialog, SaveUnderProgressDialog, ShowAboutBox, ShowHelp, OpenHomePage, OpenDeviceManager,
            RestoreUnderDialog};
}

MainFrameActions& CurrentMainFrameActions()
{
    static MainFrameActions actions = DefaultMainFrameActions();
    return actions;
}
