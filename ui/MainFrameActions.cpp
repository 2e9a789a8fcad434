#include "ui/MainFrameActions.h"

#include "framework/ResourceText.h"
#include "resources/resource.h"
#include "ui/CAboutDlg.h"
#include "ui/CDriverFilesDlg.h"
#include "ui/CRestoreDlg.h"
#include "ui/CVerifyDlg.h"
#include "ui/CSaveProgressDlg.h"
#include "saving/ReportWriter.h"
#include "saving/RestoreKit.h"
#include "ui/ReportFileDialog.h"
#include "ui/SaveTarget.h"
#include "ui/OfflineWindows.h"
#include "ui/ShellActions.h"

void MainFrameActions::ShowDriverFiles(HWND owner, DeviceInfo& device, PlacementRecord& placement,
                                       std::wstring& browsePath)
{
    CDriverFilesDlg dialog(placement, &device, browsePath, ShownSystem());
    dialog.DoModal(owner);
}

void MainFrameActions::SaveDevices(HWND owner, const std::vector<DeviceInfo*>& devices, std::wstring& browsePath,
                                   bool verifyAfter)
{
    const std::optional<FolderPath> target = PickSaveTarget(services, browsePath, owner);
    if (target)
        SaveInto(*target, devices, verifyAfter);
}

void MainFrameActions::SaveDevicesToZip(HWND owner, const std::vector<DeviceInfo*>& devices, bool verifyAfter)
{
    const std::optional<FolderPath> target = PickZipTarget(services, owner);
    if (target)
        SaveInto(*target, devices, verifyAfter);
}

void MainFrameActions::SaveInto(const FolderPath& target, const std::vector<DeviceInfo*>& devices, bool verifyAfter)
{
    bool stopped = false;
    {
        // The dialog's saver, and with it the save log, ends here: the log then opens for the
        // user, if the run wrote one, and the backup is finished before it is verified.
        CSaveProgressDlg dialog(target, services.shell, ShownSystem().systemFolders);
        dialog.Saver().IncludeRestoreKit(RunningProgramPath());
        for (DeviceInfo* device : devices)
            dialog.Saver().AddDevice(device);
        dialog.DoModal(::GetActiveWindow());
        stopped = dialog.StopRequested();
    }
    // A save the user stopped is not checked: what it left is not a finished backup.
    if (!verifyAfter || stopped)
        return;
    // The verify dialog lists each package's verdict and the count of intact ones; its log
    // stays in the temporary folder and opens when the dialog closes.
    CVerifyDlg verify(target, services);
    verify.DoModal(::GetActiveWindow());
}

bool MainFrameActions::RestoreDrivers(HWND owner, const std::wstring& browsePath)
{
    std::wstring folder = browsePath;
    const std::optional<FolderPath> backup = PickFolderValue(
        services, folder, owner,
        {IDS_RESTORE_PICK_FOLDER, IDS_RESTORE_CAPTION, IDS_PACKAGES_FOLDER_REFUSED, {kLongPathLength, true}, false, true});
    if (!backup)
        return false;
    // The restorer, and with it the restore log, ends with the dialog: the log then opens.
    CRestoreDlg dialog(*backup, services);
    return dialog.DoModal(owner) == IDOK;
}

void MainFrameActions::ExportDevices(HWND owner, const DeviceReport& report)
{
    std::wstring file;
    if (!ChooseReportFile(owner, file))
        return;
    if (!WriteReportFile(file, report))
        services.messages.Show(owner, FormatResourceString(IDS_EXPORT_FAILED, {file}).c_str(),
                               FormatResourceString(IDS_EXPORT_CAPTION).c_str(), MB_OK | MB_ICONWARNING);
}

void MainFrameActions::VerifyBackup(HWND owner, const std::wstring& browsePath)
{
    std::wstring folder = browsePath;
    const std::optional<FolderPath> backup = PickFolderValue(
        services, folder, owner,
        {IDS_VERIFY_PICK_FOLDER, IDS_VERIFY_CAPTION, IDS_PACKAGES_FOLDER_REFUSED, {kLongPathLength, true}, false, true});
    if (!backup)
        return;
    // The verifier, and with it the log, ends with the dialog: the log then opens.
    CVerifyDlg dialog(*backup, services);
    dialog.DoModal(owner);
}

bool MainFrameActions::PickOfflineWindows(HWND owner, std::wstring& folder)
{
    return services.folderPicker.PickFolder(folder, owner, FormatResourceString(IDS_OFFLINE_PICK_FOLDER).c_str());
}

void MainFrameActions::UseSystemFolders(const SystemFolders* folders)
{
    if (folders)
        imageFolders = *folders;
    else
        imageFolders.reset();
}

ShellServices MainFrameActions::ShownSystem() const
{
    return ShellServices{services.messages, services.shell, services.folderPicker,
                         imageFolders ? *imageFolders : services.systemFolders};
}

void MainFrameActions::ShowDeviceProperties(HWND owner, const DeviceInfo& device)
{
    ShowShownDeviceProperties(device.instanceId, owner, ShownSystem());
}

void MainFrameActions::ShowAbout(HWND owner)
{
    CAboutDlg dialog(services.shell);
    dialog.DoModal(owner);
}

void MainFrameActions::ShowHelp(HWND owner)
{
    ShowHelpFile(owner);
}

void MainFrameActions::OpenHomePage()
{
    services.shell.Open(kHomePageUrl);
}

void MainFrameActions::OpenDeviceManager(HWND owner)
{
    OpenDeviceManagerWindow(owner);
}
