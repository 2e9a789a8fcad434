#include "ui/CPackageListDlg.h"

#include <commctrl.h>

#include "framework/ResourceText.h"
#include "resources/resource.h"
#include "ui/WorkerMessages.h"

namespace {

std::vector<DialogResizeEntry> ResizeMap(const PackageListIds& ids)
{
    return {{ids.source, DLSZ_SIZE_X},
            {ids.list, DLSZ_SIZE_X | DLSZ_SIZE_Y},
            {ids.status, DLSZ_SIZE_X | DLSZ_MOVE_Y},
            {IDOK, DLSZ_MOVE_X | DLSZ_MOVE_Y},
            {IDCANCEL, DLSZ_MOVE_X | DLSZ_MOVE_Y}};
}

} // namespace

CPackageListDlg::CPackageListDlg(const PackageListIds& ids, const PackageColumns& columns, FolderPath folder,
                                 DWORD extendedStyle, UINT failedText)
    : CResizableDialog(ids.dialog, ResizeMap(ids))
    , ids(ids)
    , columns(columns)
    , folder(std::move(folder))
    , extendedStyle(extendedStyle)
    , failedText(failedText)
{
}

bool CPackageListDlg::Progress(double)
{
    return !worker.StopRequested();
}

bool CPackageListDlg::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (CResizableDialog::ProcessWindowMessage(window, message, wParam, lParam, result))
        return true;
    if (message != WM_WORKER_FINISHED)
        return false;
    OnWorkerFinished();
    return true;
}

bool CPackageListDlg::OnCommand(UINT id, UINT, HWND)
{
    if (id != IDCANCEL)
        return false;
    // The work still uses the packages: the dialog ends once the worker is done with them.
    if (working)
        worker.RequestStop();
    else
        EndDialog(IDCANCEL);
    return true;
}

std::optional<LRESULT> CPackageListDlg::OnNotify(NMHDR& header)
{
    if (header.idFrom != static_cast<UINT_PTR>(ids.list) || header.code != LVN_GETINFOTIPW)
        return std::nullopt;
    // The row's tooltip: the package's whole folder, of which the column shows the end.
    auto& tip = reinterpret_cast<NMLVGETINFOTIPW&>(header);
    if (working || tip.iItem < 0)
        return 0;
    const std::vector<DriverPackage>& packages = Packages();
    if (static_cast<size_t>(tip.iItem) < packages.size())
        CListViewCtrl::SetInfoTipText(tip, FolderOf(packages[static_cast<size_t>(tip.iItem)]));
    return 0;
}

void CPackageListDlg::SetStatus(const std::wstring& text) const
{
    GetItem(ids.status).SetText(text.c_str());
}

bool CPackageListDlg::OnInitDialog()
{
    GetItem(ids.source).SetText(FormatResourceString(IDS_PACKAGES_SOURCE, {folder.Full()}).c_str());
    packageList = CListViewCtrl(GetItem(ids.list));
    const DWORD extended = extendedStyle | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_LABELTIP;
    packageList.Send(LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    std::vector<CListViewCtrl::Column> headers;
    for (const PackageColumn& column : columns)
        headers.push_back({FormatResourceString(column.title), column.width});
    packageList.AddColumns(headers, Dpi());
    CenterWindow(GetParent());

    working = true;
    // What was found before a failure is listed.
    // The folder was there when it was chosen; one gone since lists nothing.
    const auto work = [this](const std::atomic<bool>&) { Work(folder); };
    if (!worker.Start(work, get(), WM_WORKER_FINISHED)) {
        working = false;
        SetStatus(FormatResourceString(failedText));
    }
    return true;
}

void CPackageListDlg::OnWorkerFinished()
{
    working = false;
    // Cancel during the work asked it to stop and left the ending to now.
    if (worker.StopRequested()) {
        EndDialog(IDCANCEL);
        return;
    }
    const std::vector<DriverPackage>& packages = Packages();
    for (size_t i = 0; i < packages.size(); ++i)
        packageList.AddRow(PackageCells(columns, packages[i]), static_cast<LPARAM>(i));
    OnListed();
}
