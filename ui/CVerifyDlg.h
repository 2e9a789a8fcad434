// The verify command's dialog: the package list (see CPackageListDlg) of a backup folder's
// driver packages verified against their catalogs (nothing is changed), with each verdict and
// the files at fault, and the count of intact ones under the list. The log opens when the
// dialog object goes.
#pragma once

#include <string>
#include <vector>

#include "backup/CBackupVerifier.h"
#include "resources/resource.h"
#include "ui/CPackageListDlg.h"
#include "ui/ShellServices.h"

class CVerifyDlg : public CPackageListDlg {
public:
    // folder: the backup folder to verify. The services open the verification's log.
    CVerifyDlg(const FolderPath& folder, const ShellServices& services);

    const std::vector<DriverPackage>& Packages() override { return verifier.Packages(); }

private:
    void Work(const FolderPath& folder) override;
    void OnListed() override;

    CBackupVerifier verifier;
};
