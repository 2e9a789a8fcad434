#include "ui/CPackageListDlg.h"

#include <commctrl.h>

#include "framework/Dpi.h"
#include "framework/ResourceText.h"
#include "resources/resource.h"
#include "ui/PackageListLayout.h"
#include "ui/WindowFit.h"
#include "ui/WorkerMessages.h"

namespace {

// The least the list and the line under it may shrink to, in dialog units.
const int kMinListWidth = 80;
const int kMinListHeight = 40;
const int kMinStatusWidth = 60;
// What a list view cell keeps around its text, at 96 DPI.
const int kCellPadding = 12;
const int kImageCount = 2;

std::vector<DialogResizeEntry> ResizeMap(const PackageListIds& ids)
{
    return {{ids.source, DLSZ_SIZE_X},
            {ids.list, DLSZ_SIZE_X | DLSZ_SIZE_Y},
            {ids.status, DLSZ_SIZE_X | DLSZ_MOVE_Y},
            {IDOK, DLSZ_MOVE_X | DLSZ_MOVE_Y},
            {IDCANCEL, DLSZ_MOVE_X | DLSZ_MOVE_Y}};
}

SIZE SizeOf(const RECT& rect)
{
    return {rect.right - rect.left, rect.bottom - rect.top};
}

} // namespace

CPackageListDlg::CPackageListDlg(const PackageListKind& kind, FolderPath folder, DWORD extendedStyle, UINT failedText)
    : CResizableDialog(kind.ids.dialog, ResizeMap(kind.ids))
    , kind(kind)
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
    if (header.idFrom != static_cast<UINT_PTR>(kind.ids.list) || header.code != LVN_GETINFOTIPW)
        return std::nullopt;
    auto& tip = reinterpret_cast<NMLVGETINFOTIPW&>(header);
    if (!working && tip.iItem >= 0 && PackageAt(tip.iItem) < rows.size())
        CListViewCtrl::SetInfoTipText(tip, RowTip(tip.iItem));
    return 0;
}

std::wstring CPackageListDlg::RowTip(int row)
{
    const DriverPackage& package = Packages()[PackageAt(row)];
    const std::vector<std::wstring> cells = PackageCells(kind.columns, package);
    const int padding = ScaleForDpi(kCellPadding, Dpi());
    const int imageWidth = SystemMetricForDpi(SM_CXSMICON, Dpi());
    std::vector<CutCell> cut;
    for (size_t column = 0; column < cells.size(); ++column) {
        const int room = packageList.ColumnWidth(static_cast<int>(column)) - (column == 0 ? imageWidth : 0);
        const auto needed =
            static_cast<int>(packageList.Send(LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(cells[column].c_str())));
        const bool explained = column + 1 == cells.size() && ExplainsRow(package);
        if ((needed + padding > room || explained) && !cells[column].empty())
            cut.push_back({FormatResourceString(kind.columns[column].title), cells[column]});
    }
    return RowTipText(FolderOf(package), cut);
}

void CPackageListDlg::SetStatus(const std::wstring& text) const
{
    GetItem(kind.ids.status).SetText(text.c_str());
}

std::wstring CPackageListDlg::StatusText() const
{
    return GetItem(kind.ids.status).GetText();
}

size_t CPackageListDlg::PackageAt(int row) const noexcept
{
    return row >= 0 && static_cast<size_t>(row) < rows.size() ? rows[static_cast<size_t>(row)] : rows.size();
}

bool CPackageListDlg::OnInitDialog()
{
    GetItem(kind.ids.source).SetText(FormatResourceString(IDS_PACKAGES_SOURCE, {folder.Full()}).c_str());
    packageList = CListViewCtrl(GetItem(kind.ids.list));
    // The dialog owns the images, which the list would otherwise destroy with itself.
    packageList.ModifyStyle(0, LVS_SHAREIMAGELISTS);
    const DWORD extended = extendedStyle | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_LABELTIP;
    packageList.Send(LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    CreateMarkImages();
    std::vector<CListViewCtrl::Column> headers;
    for (const PackageColumn& column : kind.columns)
        headers.push_back({FormatResourceString(column.title), column.width});
    packageList.AddColumns(headers, Dpi());
    FitToScreen();
    CenterWindow(GetParent());
    FillNameColumn();

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

void CPackageListDlg::CreateMarkImages()
{
    // The system's own pictures, at the small icon size of the dialog's DPI.
    const int size = SystemMetricForDpi(SM_CXSMICON, Dpi());
    UniqueImageList images(::ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, kImageCount, 0));
    if (!images)
        return;
    for (const LPCWSTR icon : {IDI_ERROR, IDI_WARNING}) {
        const auto shared = static_cast<HICON>(::LoadImageW(nullptr, icon, IMAGE_ICON, size, size, LR_SHARED));
        ::ImageList_AddIcon(images.get(), shared);
    }
    packageList.Send(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images.get()));
    // The list has let go of the images it showed before.
    markImages = std::move(images);
}

int CPackageListDlg::ImageOf(const DriverPackage& package) const
{
    switch (kind.markOf(package)) {
    case PackageMark::Error:
        return 0;
    case PackageMark::Warning:
        return 1;
    default:
        return I_IMAGENONE;
    }
}

void CPackageListDlg::FitToScreen()
{
    const RECT window = WindowRect();
    const RECT client = ClientRect();
    const CWindow list = GetItem(kind.ids.list);
    RECT least = {0, 0, kMinListWidth, kMinListHeight};
    ::MapDialogRect(get(), &least);
    RECT leastStatus = {0, 0, kMinStatusWidth, 0};
    ::MapDialogRect(get(), &leastStatus);
    const PackageDialogParts parts = {SizeOf(client), SizeOf(list.RectInParent()),
                                      SizeOf(GetItem(kind.ids.status).RectInParent()).cx,
                                      least.right, least.bottom, leastStatus.right};
    const SIZE smallest = SmallestClient(parts);
    const SIZE frame = {SizeOf(window).cx - client.right, SizeOf(window).cy - client.bottom};
    minimumSize = {smallest.cx + frame.cx, smallest.cy + frame.cy};
    SetMinimumSize(minimumSize);
    const SIZE fitted = FittedSize(SizeOf(window), MonitorWorkArea(get()));
    ::SetWindowPos(get(), nullptr, 0, 0, fitted.cx, fitted.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CPackageListDlg::FillNameColumn() const
{
    if (!packageList.IsWindow() || kind.columns.empty())
        return;
    int others = 0;
    for (int column = 1; column < packageList.ColumnCount(); ++column)
        others += packageList.ColumnWidth(column);
    const int given = ScaleForDpi(kind.columns[0].width, Dpi());
    const int width = NameColumnWidth(given, others, packageList.ClientRect().right);
    if (width != packageList.ColumnWidth(0))
        packageList.Send(LVM_SETCOLUMNWIDTH, 0, width);
}

void CPackageListDlg::OnResized(SIZE)
{
    FillNameColumn();
}

void CPackageListDlg::OnDpiScaled(UINT from, UINT to)
{
    minimumSize = {RescaleForDpi(minimumSize.cx, from, to), RescaleForDpi(minimumSize.cy, from, to)};
    SetMinimumSize(minimumSize);
    CreateMarkImages();
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
    std::vector<PackageMark> marks;
    for (const DriverPackage& package : packages)
        marks.push_back(kind.markOf(package));
    rows = RowOrder(marks);
    for (const size_t index : rows)
        packageList.AddRow(PackageCells(kind.columns, packages[index]), static_cast<LPARAM>(index),
                           ImageOf(packages[index]));
    FillNameColumn();
    OnListed();
}

void CPackageListDlg::RefreshRows()
{
    const std::vector<DriverPackage>& packages = Packages();
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        const DriverPackage& package = packages[rows[static_cast<size_t>(row)]];
        const std::vector<std::wstring> cells = PackageCells(kind.columns, package);
        for (size_t column = 0; column < cells.size(); ++column)
            packageList.SetSubItemText(row, static_cast<int>(column), cells[column]);
        LVITEMW image = {};
        image.mask = LVIF_IMAGE;
        image.iItem = row;
        image.iImage = ImageOf(package);
        packageList.Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&image));
    }
}
