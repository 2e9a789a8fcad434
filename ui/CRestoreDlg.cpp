#include "ui/CRestoreDlg.h"

#include <commctrl.h>

#include <cwchar>

#include "framework/Dpi.h"
#include "framework/ResourceText.h"
#include "platform/Handles.h"
#include "platform/ShellPath.h"
#include "restore/RestoreDecision.h"
#include "ui/CRestoreProgressDlg.h"
#include "ui/WorkerMessages.h"

namespace {

// Whether the run has been at the package: its status says what the run did.
bool RunDone(PackageStatus status)
{
    return status == PackageStatus::Installed || status == PackageStatus::Staged || status == PackageStatus::Skipped ||
           status == PackageStatus::InstallFailed;
}

// Widths at 96 DPI.
std::vector<CListViewCtrl::Column> Columns()
{
    return {{FormatResourceString(IDS_RESTORE_COLUMN_FOLDER), 150},  {FormatResourceString(IDS_RESTORE_COLUMN_INF), 85},
            {FormatResourceString(IDS_RESTORE_COLUMN_VERSION), 70},  {FormatResourceString(IDS_RESTORE_COLUMN_PROVIDER), 95},
            {FormatResourceString(IDS_RESTORE_COLUMN_DEVICES), 120}, {FormatResourceString(IDS_RESTORE_COLUMN_STATUS), 220}};
}

const DialogResizeEntry kResizeMap[] = {
    {IDC_RESTORE_SOURCE, DLSZ_SIZE_X},
    {IDC_PACKAGE_LIST, DLSZ_SIZE_X | DLSZ_SIZE_Y},
    {IDC_RESTORE_STATUS, DLSZ_SIZE_X | DLSZ_MOVE_Y},
    {IDOK, DLSZ_MOVE_X | DLSZ_MOVE_Y},
    {IDCANCEL, DLSZ_MOVE_X | DLSZ_MOVE_Y},
};

std::wstring Joined(const std::vector<std::wstring>& parts)
{
    std::wstring text;
    for (const std::wstring& part : parts)
        text += (text.empty() ? L"" : L", ") + part;
    return text;
}

} // namespace

std::vector<std::wstring> PackageColumns(const DriverPackage& package)
{
    const std::wstring devices = [&] {
        std::vector<std::wstring> names;
        for (const MatchedDevice& device : package.devices)
            names.push_back(device.name);
        return Joined(names);
    }();
    // The class folder reads the same for most packages; the device folder tells them apart.
    const std::wstring folder = WithoutFileName(package.displayName);
    return {folder == package.displayName ? std::wstring() : FileNamePart(folder), FileNamePart(package.displayName),
            package.version, package.provider, devices.empty() ? FormatResourceString(IDS_RESTORE_NO_DEVICE) : devices,
            PackageStatusCell(package)};
}

std::wstring PackageStatusCell(const DriverPackage& package)
{
    // Before the run the cell gives the decision the run will follow, in the words of the plan
    // and the log; after it, what the run did.
    if (!RunDone(package.status)) {
        const std::wstring decision = DecisionText(DecisionOf(package));
        if (package.status != PackageStatus::FilesMissing || package.missingFiles.empty())
            return decision;
        return FormatResourceString(IDS_RESTORE_REASON, {decision, Joined(package.missingFiles)});
    }
    std::wstring reason = package.error;
    if (reason.empty())
        reason = Joined(package.missingFiles);
    if (reason.empty() && package.status == PackageStatus::FilesDamaged) {
        std::vector<std::wstring> damaged;
        for (const BadFile& file : package.verification.badFiles)
            damaged.push_back(file.path);
        reason = Joined(damaged);
    }
    const std::wstring status = StatusText(package.status);
    return reason.empty() ? status : FormatResourceString(IDS_RESTORE_REASON, {status, reason});
}

std::wstring PackageCountText(size_t found, size_t ticked)
{
    if (found == 0)
        return FormatResourceString(IDS_RESTORE_NONE_FOUND);
    return FormatResourceString(IDS_RESTORE_COUNT, {std::to_wstring(found), std::to_wstring(ticked)});
}

CRestoreDlg::CRestoreDlg(const std::wstring& folder, const ShellServices& services)
    : folder(folder), messages(services.messages), restorer(*this, services.shell, services.systemFolders)
{
}

const DialogResizeEntry* CRestoreDlg::GetDlgResizeMap(size_t& count)
{
    count = sizeof(kResizeMap) / sizeof(kResizeMap[0]);
    return kResizeMap;
}

bool CRestoreDlg::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (ProcessResizeMessage(window, message, wParam, lParam, result))
        return true;
    if (message != WM_WORKER_FINISHED)
        return false;
    OnChecked();
    return true;
}

bool CRestoreDlg::OnCommand(UINT id, UINT, HWND)
{
    if (id == IDOK)
        OnRestore();
    else if (id == IDCANCEL)
        OnCancel();
    else
        return false;
    return true;
}

std::optional<LRESULT> CRestoreDlg::OnNotify(NMHDR& header)
{
    if (header.idFrom != IDC_PACKAGE_LIST)
        return std::nullopt;
    if (header.code == LVN_ITEMCHANGED) {
        // A tick changed by Space or a click on the box: the count follows at once.
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if ((change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK))
            ShowCount();
        return 0;
    }
    if (header.code == LVN_GETINFOTIPW) {
        // The row's tooltip: the package's whole folder, of which the column shows the end.
        auto& tip = reinterpret_cast<NMLVGETINFOTIPW&>(header);
        const std::vector<DriverPackage>& packages = restorer.Packages();
        if (!checking && tip.iItem >= 0 && static_cast<size_t>(tip.iItem) < packages.size())
            CListViewCtrl::SetInfoTipText(tip, FolderOf(packages[static_cast<size_t>(tip.iItem)]));
        return 0;
    }
    return std::nullopt;
}

bool CRestoreDlg::OnSize(UINT type, SIZE client)
{
    OnResize(get(), type, client);
    return true;
}

bool CRestoreDlg::OnDpiChanged(UINT newDpi, const RECT& suggested)
{
    if (newDpi == dpi)
        return true;
    packageList.RescaleColumns(dpi, newDpi);
    dpi = newDpi;
    ::SetWindowPos(get(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

bool CRestoreDlg::OnInitDialog()
{
    dpi = WindowDpi(get());
    GetItem(IDC_RESTORE_SOURCE).SetText(FormatResourceString(IDS_RESTORE_SOURCE, {folder}).c_str());
    statusLabel = GetItem(IDC_RESTORE_STATUS);
    packageList = CListViewCtrl(GetItem(IDC_PACKAGE_LIST));
    const DWORD extended = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_LABELTIP;
    packageList.Send(LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    packageList.AddColumns(Columns(), dpi);
    DlgResize_Init(true, true, WS_CLIPCHILDREN);
    CenterWindow(GetParent());

    checking = true;
    // What was found before a failure is listed.
    const auto check = [this](const std::atomic<bool>&) {
        if (const PathResult<FolderPath> backup = FolderPath::Resolve(folder, {kLongPathLength, true}))
            restorer.FindPackages(*backup, false);
    };
    if (!worker.Start(check, get(), WM_WORKER_FINISHED)) {
        checking = false;
        statusLabel.SetText(FormatResourceString(IDS_RESTORE_CHECK_FAILED).c_str());
    }
    return true;
}

bool CRestoreDlg::Progress(double)
{
    return !worker.StopRequested();
}

void CRestoreDlg::OnChecked()
{
    checking = false;
    // Cancel during the work asked it to stop and left the ending to now.
    if (worker.StopRequested()) {
        EndDialog(IDCANCEL);
        return;
    }
    const std::vector<DriverPackage>& packages = restorer.Packages();
    for (size_t i = 0; i < packages.size(); ++i) {
        const int index = packageList.AddRow(PackageColumns(packages[i]), static_cast<LPARAM>(i));
        packageList.SetChecked(index, IsInstallable(packages[i].status, false));
    }
    ShowCount();
    GetItem(IDOK).Enable(!packages.empty());
}

void CRestoreDlg::ShowCount()
{
    if (checking)
        return;
    statusLabel.SetText(PackageCountText(restorer.Packages().size(), static_cast<size_t>(packageList.CheckedCount())).c_str());
}

void CRestoreDlg::OnRestore()
{
    if (checking)
        return;
    std::vector<DriverPackage>& packages = restorer.Packages();
    size_t ticked = 0;
    for (size_t i = 0; i < packages.size(); ++i) {
        packages[i].selected = packageList.IsChecked(static_cast<int>(i));
        // Ticking a package whose devices have newer drivers asks for it to go over them.
        if (packages[i].selected && packages[i].status == PackageStatus::Newer)
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

void CRestoreDlg::OnCancel()
{
    // The check still uses the restorer: the dialog ends once the worker is done with it.
    if (checking) {
        worker.RequestStop();
        return;
    }
    EndDialog(IDCANCEL);
}
