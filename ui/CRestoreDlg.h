// The restore command's dialog: the driver packages found in a backup folder, checked on a
// worker thread while the dialog is on screen, listed with their device folder (its own name;
// the full path as the row's tooltip), INF, version, provider, matching present devices and
// the check's status with its reason, each with a check box (ticked when it can be installed;
// the line under the list counts the ticks as they change). Restore installs the ticked ones
// under the restore progress dialog; the log opens when the dialog object goes. The dialog can
// be resized, and its columns follow the window's DPI.
#pragma once

#include <string>
#include <vector>

#include "model/IProgressReporter.h"
#include "framework/CDialogImpl.h"
#include "framework/CDialogResize.h"
#include "framework/CListViewCtrl.h"
#include "platform/BackgroundTask.h"
#include "resources/resource.h"
#include "restore/CDriverRestorer.h"
#include "ui/ShellServices.h"

class CRestoreDlg : public CDialogImpl<CRestoreDlg>, public CDialogResize<CRestoreDlg>, public IProgressReporter {
public:
    enum { IDD = IDD_RESTORE };

    // folder: the backup folder to restore from. The services show the dialog's message
    // boxes and open the restore's log.
    CRestoreDlg(const std::wstring& folder, const ShellServices& services);

    // The check's progress; false once the user asked to close the dialog.
    bool Progress(double fraction) override;
    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    static const DialogResizeEntry* GetDlgResizeMap(size_t& count);

    // The packages as the check left them; valid once the dialog has listed them.
    const std::vector<DriverPackage>& Packages() { return restorer.Packages(); }

private:
    bool OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    std::optional<LRESULT> OnNotify(NMHDR& header) override;
    bool OnSize(UINT type, SIZE client) override;
    bool OnDpiChanged(UINT newDpi, const RECT& suggested) override;
    void OnChecked();
    void ShowCount();
    void OnRestore();
    void OnCancel();

    CListViewCtrl packageList;
    CWindow statusLabel;
    std::wstring folder;
    IMessageBox& messages;
    UINT dpi = 96;
    bool checking = false;
    BackgroundTask worker;
    CDriverRestorer restorer;
};

// The text of the list's columns for one package: device folder (its last part), INF,
// version, provider, matching present devices and status.
std::vector<std::wstring> PackageColumns(const DriverPackage& package);

// The status column: the check's verdict and, where it gave one, its reason (the files that
// are missing, why the INF was refused).
std::wstring PackageStatusCell(const DriverPackage& package);

// The line under the list: how many packages were found and how many are ticked.
std::wstring PackageCountText(size_t found, size_t ticked);
