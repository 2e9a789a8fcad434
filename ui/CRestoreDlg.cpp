#include "ui/CRestoreDlg.h"

#include <commctrl.h>

#include "framework/ResourceText.h"
#include "ui/CRestoreProgressDlg.h"

namespace {

const PackageListIds kIds = {IDD_RESTORE, IDC_RESTORE_SOURCE, IDC_RESTORE_LIST, IDC_RESTORE_STATUS};

} // namespace

CRestoreDlg::CRestoreDlg(const FolderPath& folder, const ShellServices& services)
    : CPackageListDlg(kIds, RestoreColumns(), folder, LVS_EX_CHECKBOXES, IDS_RESTORE_CHECK_FAILED)
    , messages(services.messages)
    , restorer(*this, services.shell, services.systemFolders)
{
}

void CRestoreDlg::Work(const FolderPath& folder)
{
    restorer.FindPackages(folder, false);
}

void CRestoreDlg::OnListed()
{
    const std::vector<DriverPackage>& packages = restorer.Packages();
    for (size_t i = 0; i < packages.size(); ++i)
        List().SetChecked(static_cast<int>(i), IsInstallable(packages[i].outcome, false));
    ShowCount();
    // A zip that was refused lists nothing: the line under the list says why.
    if (!restorer.ZipRefusalLine().empty())
        SetStatus(restorer.ZipRefusalLine());
    GetItem(IDOK).Enable(!packages.empty());
}

bool CRestoreDlg::OnCommand(UINT id, UINT code, HWND control)
{
    if (id != IDOK)
        return CPackageListDlg::OnCommand(id, code, control);
    OnRestore();
    return true;
}

std::optional<LRESULT> CRestoreDlg::OnNotify(NMHDR& header)
{
    if (header.idFrom != IDC_RESTORE_LIST || header.code != LVN_ITEMCHANGED)
        return CPackageListDlg::OnNotify(header);
    // A tick changed by Space or a click on the box: the count follows at once.
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if ((change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK))
        ShowCount();
    return 0;
}

void CRestoreDlg::ShowCount()
{
    if (Working())
        return;
    SetStatus(PackageCountText(restorer.Packages().size(), static_cast<size_t>(List().CheckedCount())));
}

void CRestoreDlg::OnRestore()
{
    if (Working())
        return;
    std::vector<DriverPackage>& packages = restorer.Packages();
    size_t ticked = 0;
    for (size_t i = 0; i < packages.size(); ++i) {
        packages[i].selected = List().IsChecked(static_cast<int>(i));
        // Ticking a package whose devices have newer drivers asks for it to go over them.
        if (packages[i].selected && packages[i].outcome == PackageOutcome::Newer)
            ForceOverNewer(packages[i]);
        ticked += packages[i].selected ? 1 : 0;
    }
    if (ticked == 0) {
        messages.Show(get(), FormatResourceString(IDS_RESTORE_NOTHING_TICKED).c_str(),
                      FormatResourceString(IDS_RESTORE_CAPTION).c_str(), MB_OK | MB_ICONWARNING);
        return;
    }
    CRestoreProgressDlg progress(restorer);
    progress.DoModal(get());
    // Said, and nothing more offered: the user restarts the PC when it suits.
    if (restorer.RestartNeeded())
        messages.Show(get(), FormatResourceString(IDS_RESTORE_RESTART_NEEDED).c_str(),
                      FormatResourceString(IDS_RESTORE_CAPTION).c_str(), MB_OK | MB_ICONINFORMATION);
    EndDialog(IDOK);
}
