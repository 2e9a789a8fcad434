// The restore command's dialog: the package list (see CPackageListDlg) of a backup folder's
// driver packages as their check leaves them, with version, provider, matching present devices
// and the status with its reason, each with a check box (ticked when it can be installed; the
// line under the list counts the ticks as they change). Restore installs the ticked ones under
// the restore progress dialog; the log opens when the dialog object goes.
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

private:
    void Work(const FolderPath& folder) override;
    void OnListed() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    std::optional<LRESULT> OnNotify(NMHDR& header) override;
    void ShowCount();
    void OnRestore();

    IMessageBox& messages;
    CDriverRestorer restorer;
};
