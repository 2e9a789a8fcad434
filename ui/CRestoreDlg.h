// The restore command's dialog: the package list (see CPackageListDlg) of a backup folder's
// driver packages as their check leaves them, with version, provider, matching present devices
// and the status with its reason, each that may be installed with a check box (ticked when it
// can be installed; the line under the list counts the ticks as they change). A package the
// check refused has no box and cannot be ticked: Space or a click on it says why under the
// list, and its tooltip gives its status. Restore installs the ticked ones under the restore
// progress dialog; the dialog then shows what became of every row and a summary line, and
// Close ends it. The log opens when the dialog object goes.
#pragma once

#include <string>
#include <vector>

#include "resources/resource.h"
#include "restore/CDriverRestorer.h"
#include "ui/CPackageListDlg.h"
#include "ui/ShellServices.h"

class CRestoreDlg : public CPackageListDlg {
public:
    // folder: the backup folder to restore from. The services show the dialog's message
    // boxes and open the restore's log.
    CRestoreDlg(const FolderPath& folder, const ShellServices& services);

    const std::vector<DriverPackage>& Packages() override { return restorer.Packages(); }
    // Whether a restore ran; the dialog then ends with IDOK.
    bool Restored() const noexcept { return restored; }

private:
    void Work(const FolderPath& folder) override;
    void OnListed() override;
    bool ExplainsRow(const DriverPackage& package) const override { return CannotBeTicked(package); }
    bool OnCommand(UINT id, UINT code, HWND control) override;
    std::optional<LRESULT> OnNotify(NMHDR& header) override;
    // LVN_ITEMCHANGING: true to keep the row's box as it is.
    bool RefusesTick(const NMLISTVIEW& change);
    // Says under the list why the row's package cannot be ticked; false when it can be.
    bool SayWhyRefused(int row);
    void SetBox(int row, UINT stateImage);
    void ShowCount();
    void OnRestore();
    void ShowOutcome();

    IMessageBox& messages;
    CDriverRestorer restorer;
    // The dialog itself sets the boxes: the changes are its own.
    bool settingBoxes = false;
    bool restored = false;
};
