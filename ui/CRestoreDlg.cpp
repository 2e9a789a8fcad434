#include "ui/CRestoreDlg.h"

#include <commctrl.h>

#include "framework/ResourceText.h"
#include "ui/CRestoreProgressDlg.h"

namespace {

const PackageListKind kKind = {{IDD_RESTORE, IDC_RESTORE_SOURCE, IDC_RESTORE_LIST, IDC_RESTORE_STATUS},
                               RestoreColumns(),
                               RestoreMarkOf};

// A list view row's state image: none (no box), a cleared box, a ticked box.
const UINT kNoBox = 0;
const UINT kCleared = 1;
const UINT kTicked = 2;

bool BoxChanges(const NMLISTVIEW& change)
{
    return (change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK);
}

} // namespace

CRestoreDlg::CRestoreDlg(const FolderPath& folder, const ShellServices& services)
    : CPackageListDlg(kKind, folder, LVS_EX_CHECKBOXES, IDS_RESTORE_CHECK_FAILED)
    , messages(services.messages)
    , restorer(*this, services.shell, services.systemFolders)
{
}

void CRestoreDlg::Work(const FolderPath& folder)
{
    restorer.FindPackages(folder, false);
}

void CRestoreDlg::SetBox(int row, UINT stateImage)
{
    settingBoxes = true;
    LVITEMW state = {};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = INDEXTOSTATEIMAGEMASK(stateImage);
    List().Send(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    settingBoxes = false;
}

void CRestoreDlg::OnListed()
{
    const std::vector<DriverPackage>& packages = restorer.Packages();
    for (int row = 0; row < List().ItemCount(); ++row) {
        const DriverPackage& package = packages[PackageAt(row)];
        const bool tick = IsInstallable(package.outcome, false);
        SetBox(row, CannotBeTicked(package) ? kNoBox : tick ? kTicked : kCleared);
    }
    ShowCount();
    // A zip that was refused lists nothing: the line under the list says why.
    if (!restorer.ZipRefusalLine().empty())
        SetStatus(restorer.ZipRefusalLine());
    GetItem(IDOK).Enable(!packages.empty());
}

bool CRestoreDlg::OnCommand(UINT id, UINT code, HWND control)
{
    if (id == IDCANCEL && restored) {
        EndDialog(IDOK);
        return true;
    }
    if (id != IDOK)
        return CPackageListDlg::OnCommand(id, code, control);
    OnRestore();
    return true;
}

std::optional<LRESULT> CRestoreDlg::OnNotify(NMHDR& header)
{
    if (header.idFrom != IDC_RESTORE_LIST)
        return CPackageListDlg::OnNotify(header);
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if (header.code == LVN_ITEMCHANGING)
        return RefusesTick(change) ? TRUE : FALSE;
    // A refused row has no box to change: Space on it, or a click on it, says why instead.
    if (header.code == LVN_KEYDOWN && reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_SPACE)
        SayWhyRefused(static_cast<int>(List().Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)));
    if (header.code == NM_CLICK)
        SayWhyRefused(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem);
    if (header.code != LVN_ITEMCHANGED)
        return CPackageListDlg::OnNotify(header);
    // A tick changed by Space or a click on the box: the count follows at once.
    if (BoxChanges(change) && !restored)
        ShowCount();
    return 0;
}

bool CRestoreDlg::RefusesTick(const NMLISTVIEW& change)
{
    if (settingBoxes || Working() || !BoxChanges(change))
        return false;
    // Once the restore has run, the rows say what happened: nothing is ticked any more.
    if (restored)
        return true;
    return SayWhyRefused(change.iItem);
}

bool CRestoreDlg::SayWhyRefused(int row)
{
    const size_t index = PackageAt(row);
    if (Working() || restored || index >= restorer.Packages().size() || !CannotBeTicked(restorer.Packages()[index]))
        return false;
    const DriverPackage& package = restorer.Packages()[index];
    const std::vector<std::wstring> cells = PackageCells(RestoreColumns(), package);
    SetStatus(FormatResourceString(IDS_RESTORE_CANNOT_TICK, {cells.front(), PackageStatusCell(package)}));
    return true;
}

void CRestoreDlg::ShowCount()
{
    if (Working())
        return;
    SetStatus(PackageCountText(restorer.Packages().size(), static_cast<size_t>(List().CheckedCount())));
}

void CRestoreDlg::OnRestore()
{
    if (Working() || restored)
        return;
    std::vector<DriverPackage>& packages = restorer.Packages();
    size_t ticked = 0;
    for (int row = 0; row < List().ItemCount(); ++row) {
        DriverPackage& package = packages[PackageAt(row)];
        // A refused package is never handed to the installer, whatever its box says.
        package.selected = List().IsChecked(row) && !CannotBeTicked(package);
        // Ticking a package whose devices have newer drivers asks for it to go over them.
        if (package.selected && package.outcome == PackageOutcome::Newer)
            ForceOverNewer(package);
        ticked += package.selected ? 1 : 0;
    }
    if (ticked == 0) {
        messages.Show(get(), FormatResourceString(IDS_RESTORE_NOTHING_TICKED).c_str(),
                      FormatResourceString(IDS_RESTORE_CAPTION).c_str(), MB_OK | MB_ICONWARNING);
        return;
    }
    CRestoreProgressDlg progress(restorer);
    progress.DoModal(get());
    restored = true;
    ShowOutcome();
    // Said, and nothing more offered: the user restarts the PC when it suits.
    if (restorer.RestartNeeded())
        messages.Show(get(), FormatResourceString(IDS_RESTORE_RESTART_NEEDED).c_str(),
                      FormatResourceString(IDS_RESTORE_CAPTION).c_str(), MB_OK | MB_ICONINFORMATION);
}

void CRestoreDlg::ShowOutcome()
{
    // Each row now says what the run did with it, and no box is left to tick.
    RefreshRows();
    for (int row = 0; row < List().ItemCount(); ++row)
        SetBox(row, kNoBox);
    SetStatus(RestoreSummaryText(restorer.Packages()));
    GetItem(IDOK).Enable(false);
    GetItem(IDCANCEL).SetText(FormatResourceString(IDS_PACKAGES_CLOSE).c_str());
    ::SendMessageW(get(), DM_SETDEFID, IDCANCEL, 0);
    ::SetFocus(GetItem(IDCANCEL));
}
