#include "framework/CListViewCtrl.h"

#include "framework/Dpi.h"

namespace {

const UINT kChecked = INDEXTOSTATEIMAGEMASK(2);
const UINT kCleared = INDEXTOSTATEIMAGEMASK(1);

} // namespace

void CListViewCtrl::AddColumns(const std::vector<Column>& columns, UINT dpi) const
{
    for (const Column& column : columns) {
        LVCOLUMNW added = {};
        added.mask = LVCF_TEXT;
        added.pszText = const_cast<wchar_t*>(column.title.c_str());
        const LRESULT index = Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(ColumnCount()), reinterpret_cast<LPARAM>(&added));
        if (index < 0)
            continue;
        // The first column takes its alignment only once it exists.
        LVCOLUMNW layout = {};
        layout.mask = LVCF_WIDTH | LVCF_FMT;
        layout.cx = ScaleForDpi(column.width, dpi);
        layout.fmt = column.format;
        Send(LVM_SETCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&layout));
    }
}

void CListViewCtrl::RescaleColumns(UINT from, UINT to) const
{
    const int count = ColumnCount();
    for (int column = 0; column < count; ++column)
        Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), RescaleForDpi(ColumnWidth(column), from, to));
}

int CListViewCtrl::ColumnCount() const noexcept
{
    const auto header = reinterpret_cast<HWND>(Send(LVM_GETHEADER));
    return header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int CListViewCtrl::ColumnWidth(int column) const noexcept
{
    return static_cast<int>(Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
}

int CListViewCtrl::AddRow(const std::vector<std::wstring>& texts, LPARAM data, int image) const
{
    LVITEMW row = {};
    row.mask = LVIF_TEXT | LVIF_PARAM | (image != -1 ? LVIF_IMAGE : 0);
    row.iItem = ItemCount();
    row.pszText = const_cast<wchar_t*>(texts.empty() ? L"" : texts[0].c_str());
    row.lParam = data;
    row.iImage = image;
    const auto index = static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row)));
    if (index < 0)
        return -1;
    for (size_t i = 1; i < texts.size(); ++i)
        SetSubItemText(index, static_cast<int>(i), texts[i]);
    return index;
}

void CListViewCtrl::SetSubItemText(int item, int subItem, const std::wstring& text) const
{
    LVITEMW column = {};
    column.iSubItem = subItem;
    column.pszText = const_cast<wchar_t*>(text.c_str());
    Send(LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&column));
}

LPARAM CListViewCtrl::ItemData(int item) const noexcept
{
    LVITEMW request = {};
    request.mask = LVIF_PARAM;
    request.iItem = item;
    return Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&request)) ? request.lParam : 0;
}

int CListViewCtrl::ItemCount() const noexcept
{
    return static_cast<int>(Send(LVM_GETITEMCOUNT));
}

int CListViewCtrl::SelectedItem() const noexcept
{
    return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

bool CListViewCtrl::IsChecked(int item) const noexcept
{
    return (Send(LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) == kChecked;
}

void CListViewCtrl::SetChecked(int item, bool checked) const noexcept
{
    LVITEMW state = {};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = checked ? kChecked : kCleared;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
}

int CListViewCtrl::CheckedCount() const noexcept
{
    int count = 0;
    const int items = ItemCount();
    for (int item = 0; item < items; ++item)
        count += IsChecked(item) ? 1 : 0;
    return count;
}

void CListViewCtrl::SetInfoTipText(NMLVGETINFOTIPW& tip, const std::wstring& text) noexcept
{
    if (!tip.pszText || tip.cchTextMax <= 0)
        return;
    const size_t capacity = static_cast<size_t>(tip.cchTextMax) - 1;
    const size_t length = text.size() < capacity ? text.size() : capacity;
    text.copy(tip.pszText, length);
    tip.pszText[length] = L'\0';
}
