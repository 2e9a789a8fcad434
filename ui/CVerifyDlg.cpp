#include "ui/CVerifyDlg.h"

#include <commctrl.h>

#include <cwchar>

#include "framework/Dpi.h"
#include "framework/ResourceText.h"
#include "ui/CRestoreDlg.h"
#include "ui/WorkerMessages.h"

namespace {

// Widths at 96 DPI.
std::vector<CListViewCtrl::Column> Columns()
{
    return {{FormatResourceString(IDS_RESTORE_COLUMN_FOLDER), 150},
            {FormatResourceString(IDS_RESTORE_COLUMN_INF), 85},
            {FormatResourceString(IDS_VERIFY_COLUMN_VERDICT), 90},
            {FormatResourceString(IDS_VERIFY_COLUMN_FILES), 300}};
}

const DialogResizeEntry kResizeMap[] = {
    {IDC_RESTORE_SOURCE, DLSZ_SIZE_X},
    {IDC_PACKAGE_LIST, DLSZ_SIZE_X | DLSZ_SIZE_Y},
    {IDC_RESTORE_STATUS, DLSZ_SIZE_X | DLSZ_MOVE_Y},
    {IDCANCEL, DLSZ_MOVE_X | DLSZ_MOVE_Y},
};

} // namespace

std::vector<std::wstring> VerifiedColumns(const DriverPackage& package)
{
    // The folder and INF as the restore dialog shows them.
    const std::vector<std::wstring> restoreColumns = PackageColumns(package);
    const PackageVerification& verification = package.verification;
    std::wstring verdict = VerdictText(verification.verdict);
    if (!verification.refusal.empty())
        verdict = FormatResourceString(IDS_RESTORE_REASON, {verdict, verification.refusal});
    std::wstring files;
    for (const BadFile& file : verification.badFiles)
        files += (files.empty() ? L"" : L"; ") + FormatResourceString(IDS_RESTORE_REASON, {file.path, file.reason});
    return {restoreColumns[0], restoreColumns[1], verdict, files};
}

std::wstring VerifiedCountText(const std::vector<DriverPackage>& packages)
{
    if (packages.empty())
        return FormatResourceString(IDS_RESTORE_NONE_FOUND);
    size_t intact = 0;
    for (const DriverPackage& package : packages)
        intact += package.verification.verdict == Verdict::Intact ? 1 : 0;
    return FormatResourceString(IDS_VERIFY_SUMMARY, {std::to_wstring(intact), std::to_wstring(packages.size())});
}

CVerifyDlg::CVerifyDlg(const std::wstring& folder, const ShellServices& services)
    : folder(folder), verifier(*this, services.shell, services.systemFolders)
{
}

const DialogResizeEntry* CVerifyDlg::GetDlgResizeMap(size_t& count)
{
    count = sizeof(kResizeMap) / sizeof(kResizeMap[0]);
    return kResizeMap;
}

bool CVerifyDlg::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (ProcessResizeMessage(window, message, wParam, lParam, result))
        return true;
    if (message != WM_WORKER_FINISHED)
        return false;
    OnVerified();
    return true;
}

bool CVerifyDlg::OnCommand(UINT id, UINT, HWND)
{
    if (id != IDCANCEL)
        return false;
    // The verification still uses the verifier: the dialog ends once the worker is done with it.
    if (verifying) {
        worker.RequestStop();
        return true;
    }
    EndDialog(IDCANCEL);
    return true;
}

std::optional<LRESULT> CVerifyDlg::OnNotify(NMHDR& header)
{
    if (header.idFrom != IDC_PACKAGE_LIST || header.code != LVN_GETINFOTIPW)
        return std::nullopt;
    // The row's tooltip: the package's whole folder, of which the column shows the end.
    auto& tip = reinterpret_cast<NMLVGETINFOTIPW&>(header);
    const std::vector<DriverPackage>& packages = verifier.Packages();
    if (!verifying && tip.iItem >= 0 && static_cast<size_t>(tip.iItem) < packages.size())
        CListViewCtrl::SetInfoTipText(tip, FolderOf(packages[static_cast<size_t>(tip.iItem)]));
    return 0;
}

bool CVerifyDlg::OnSize(UINT type, SIZE client)
{
    OnResize(get(), type, client);
    return true;
}

bool CVerifyDlg::OnDpiChanged(UINT newDpi, const RECT& suggested)
{
    if (newDpi == dpi)
        return true;
    packageList.RescaleColumns(dpi, newDpi);
    dpi = newDpi;
    ::SetWindowPos(get(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

bool CVerifyDlg::OnInitDialog()
{
    dpi = WindowDpi(get());
    GetItem(IDC_RESTORE_SOURCE).SetText(FormatResourceString(IDS_RESTORE_SOURCE, {folder}).c_str());
    packageList = CListViewCtrl(GetItem(IDC_PACKAGE_LIST));
    const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_LABELTIP;
    packageList.Send(LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    packageList.AddColumns(Columns(), dpi);
    DlgResize_Init(true, true, WS_CLIPCHILDREN);
    CenterWindow(GetParent());

    verifying = true;
    const auto verify = [this](const std::atomic<bool>&) {
        if (const PathResult<FolderPath> backup = FolderPath::Resolve(folder, {kLongPathLength, true}))
            verifier.VerifyAll(*backup, nullptr);
    };
    if (!worker.Start(verify, get(), WM_WORKER_FINISHED)) {
        verifying = false;
        GetItem(IDC_RESTORE_STATUS).SetText(FormatResourceString(IDS_VERIFY_FAILED).c_str());
    }
    return true;
}

bool CVerifyDlg::Progress(double)
{
    return !worker.StopRequested();
}

void CVerifyDlg::OnVerified()
{
    verifying = false;
    // Cancel during the work asked it to stop and left the ending to now.
    if (worker.StopRequested()) {
        EndDialog(IDCANCEL);
        return;
    }
    const std::vector<DriverPackage>& packages = verifier.Packages();
    for (size_t i = 0; i < packages.size(); ++i)
        packageList.AddRow(VerifiedColumns(packages[i]), static_cast<LPARAM>(i));
    GetItem(IDC_RESTORE_STATUS).SetText(VerifiedCountText(packages).c_str());
}
