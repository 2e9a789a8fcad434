#include "ui/CDeviceTreeView.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>
#include <windowsx.h>

#include <algorithm>

#include "model/DeviceInfo.h"
#include "framework/AppModule.h"
#include "framework/CClientDC.h"
#include "platform/Handles.h"
#include "platform/ScopedSelectObject.h"
#include "ui/DateText.h"
#include "ui/HorizontalScroll.h"
#include "ui/RowLayout.h"

namespace {

// Sizes at 96 DPI.
const int kCheckBoxCell = 16;
const int kIndent = 19;  // the tree control's own default
const int kCellPadding = 6;  // the header's usual margin, when it names none
// The colour the check box cells are filled with before the boxes are drawn; it becomes
// the pictures' transparent surround.
const COLORREF kCellBackground = RGB(255, 0, 255);
const UINT kCellTextFormat = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;

struct ThemeTraits : handle_traits::NullIsNone<HTHEME> {
    static void Close(Handle h) noexcept { ::CloseThemeData(h); }
};
using UniqueTheme = UniqueHandle<ThemeTraits>;

// Whether visual styles can exist at all: asked once, since loading the library to find out
// costs a little and the answer cannot change while the program runs.
bool VisualStylesLoadable()
{
    static const bool loadable = [] {
        const HMODULE library = ::LoadLibraryW(L"uxtheme.dll");
        if (library)
            ::FreeLibrary(library);
        return library != nullptr;
    }();
    return loadable;
}

// Draws the cleared, checked and mixed boxes into the second, third and fourth cell.
void DrawCheckBoxes(HWND window, HDC dc, int size)
{
    const int themeStates[] = {CBS_UNCHECKEDNORMAL, CBS_CHECKEDNORMAL, CBS_MIXEDNORMAL};
    const UINT classicStates[] = {DFCS_BUTTONCHECK, DFCS_BUTTONCHECK | DFCS_CHECKED,
                                  DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_BUTTON3STATE};
    UniqueTheme theme(VisualStylesLoadable() ? ::OpenThemeData(window, L"BUTTON") : nullptr);
    for (int i = 0; i < 3; ++i) {
        RECT cell = {size * (i + 1), 0, size * (i + 2), size};
        if (theme)
            ::DrawThemeBackground(theme.get(), dc, BP_CHECKBOX, themeStates[i], &cell, nullptr);
        else
            ::DrawFrameControl(dc, &cell, DFC_BUTTON, classicStates[i]);
    }
}

void DrawCell(HDC dc, const std::wstring& text, const RECT& rect)
{
    RECT cell = rect;
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &cell, kCellTextFormat);
}

COLORREF TreeBackground(const CWindow& tree)
{
    const auto colour = static_cast<COLORREF>(tree.Send(TVM_GETBKCOLOR));
    return colour == static_cast<COLORREF>(-1) ? ::GetSysColor(COLOR_WINDOW) : colour;
}

} // namespace

CDeviceTreeView::CDeviceTreeView()
    : columns{{{400, L"Title"}, {100, L"Version"}, {80, L"Date"}, {150, L"Provider"}}},
      scrollOffset(0)
{
}

CDeviceTreeView::~CDeviceTreeView()
{
    // The tree uses both image lists until it is gone.
    if (IsWindow())
        Destroy();
}

WindowClassInfo CDeviceTreeView::GetWndClassInfo()
{
    WindowClassInfo info;
    info.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    info.background = COLOR_WINDOW + 1;
    return info;
}

bool CDeviceTreeView::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    switch (message) {
    case WM_HSCROLL:
        OnHScroll(wParam);
        result = 0;
        return true;
    default:
        return false;
    }
}

int CDeviceTreeView::TotalColumnWidth() const noexcept
{
    int total = 0;
    for (const Column& column : columns)
        total += column.width;
    return total;
}

bool CDeviceTreeView::OnSize(UINT, SIZE)
{
    Layout();
    return true;
}

void CDeviceTreeView::SetColumnWidth(size_t index, int width)
{
    columns.at(index).width = width;
    HDITEMW item = {};
    item.mask = HDI_WIDTH;
    item.cxy = width;
    header.Send(HDM_SETITEMW, index, reinterpret_cast<LPARAM>(&item));
    Layout();
    tree.Invalidate(true);
}

std::optional<LRESULT> CDeviceTreeView::OnCreate(const CREATESTRUCTW&)
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);

    dpi = WindowDpi(get());
    fontDpi = dpi;
    for (Column& column : columns)
        column.width = ScaleForDpi(column.width, dpi);

    const RECT nowhere = {0, 0, 0, 0};
    if (!tree.Create(get(), &nowhere, nullptr,
                     WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_DISABLEDRAGDROP |
                         TVS_SHOWSELALWAYS | TVS_NOHSCROLL))
        return -1;
    // The tree's vertical bar comes and goes with its rows, and takes its width from the page.
    tree.onResized = [this] { UpdateScrollRange(); };

    if (classImages.Load())
        tree.Send(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(classImages.ImageList()));

    header.Attach(::CreateWindowExW(0, WC_HEADERW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, get(), nullptr,
                                    AppModule().GetInstance(), nullptr));
    if (!header.IsWindow())
        return -1;
    baseFont = tree.GetFont();
    header.SetFont(baseFont, false);
    const auto margin = static_cast<int>(header.Send(HDM_GETBITMAPMARGIN));
    cellPadding = margin > 0 ? margin : ScaleForDpi(kCellPadding, dpi);
    for (Column& column : columns) {
        HDITEMW item = {};
        item.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT | HDI_LPARAM;
        item.cxy = column.width;
        item.pszText = &column.title[0];
        item.fmt = HDF_STRING | HDF_LEFT;
        item.lParam = reinterpret_cast<LPARAM>(&column);
        header.Send(HDM_INSERTITEMW, header.Send(HDM_GETITEMCOUNT), reinterpret_cast<LPARAM>(&item));
    }

    BuildCheckBoxImages();
    ApplyRowMetrics();
    return 0;
}

void CDeviceTreeView::SetDpi(UINT newDpi)
{
    if (newDpi == 0 || newDpi == dpi)
        return;
    for (size_t i = 0; i < columns.size(); ++i) {
        columns[i].width = RescaleForDpi(columns[i].width, dpi, newDpi);
        HDITEMW item = {};
        item.mask = HDI_WIDTH;
        item.cxy = columns[i].width;
        header.Send(HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    cellPadding = RescaleForDpi(cellPadding, dpi, newDpi);
    dpi = newDpi;
    ApplyFont();
    BuildCheckBoxImages();
    ApplyRowMetrics();
    ScrollTo(0);
    Layout();
    tree.Invalidate(true);
}

void CDeviceTreeView::ResetScroll()
{
    ScrollTo(0);
    Layout();
}

void CDeviceTreeView::ApplyFont()
{
    // The controls made their font for the DPI the program started with; on another screen
    // it is scaled from that one.
    UniqueFont scaled;
    LOGFONTW logFont = {};
    if (dpi != fontDpi && baseFont && ::GetObjectW(baseFont, sizeof(logFont), &logFont) == sizeof(logFont)) {
        logFont.lfHeight = RescaleForDpi(logFont.lfHeight, fontDpi, dpi);
        scaled.reset(::CreateFontIndirectW(&logFont));
    }
    const HFONT font = scaled ? scaled.get() : baseFont;
    tree.SetFont(font, true);
    header.SetFont(font, true);
    // The previous scaled font goes only now that no control uses it.
    scaledFont = std::move(scaled);
}

void CDeviceTreeView::ApplyRowMetrics()
{
    tree.Send(TVM_SETINDENT, static_cast<WPARAM>(ScaleForDpi(kIndent, dpi)));
    // Rows as high as the font needs, and never lower than a check box.
    tree.Send(TVM_SETITEMHEIGHT, static_cast<WPARAM>(-1));
    const int box = ScaleForDpi(kCheckBoxCell, dpi);
    if (static_cast<int>(tree.Send(TVM_GETITEMHEIGHT)) < box)
        tree.Send(TVM_SETITEMHEIGHT, static_cast<WPARAM>(box + (box & 1)));
}

void CDeviceTreeView::BuildCheckBoxImages()
{
    const int cell = ScaleForDpi(kCheckBoxCell, dpi);
    const CClientDC windowDc(get());
    const UniqueMemoryDc memoryDc(::CreateCompatibleDC(windowDc.get()));
    const UniqueBitmap bitmap(::CreateCompatibleBitmap(windowDc.get(), 4 * cell, cell));
    if (!memoryDc || !bitmap)
        return;
    {
        // An image list copies from a bitmap that no device context holds: the selection
        // ends with this block.
        const ScopedSelectObject selection(memoryDc.get(), bitmap.get());
        const RECT all = {0, 0, 4 * cell, cell};
        const COLORREF background = ::SetBkColor(memoryDc.get(), kCellBackground);
        ::ExtTextOutW(memoryDc.get(), 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
        ::SetBkColor(memoryDc.get(), background);
        DrawCheckBoxes(get(), memoryDc.get(), cell);
    }

    // Image 0 is the unused "no box" cell; 1 cleared, 2 checked, 3 mixed. The fill colour
    // is masked out, so the row's own background shows around each box.
    UniqueImageList images(::ImageList_Create(cell, cell, ILC_COLOR32 | ILC_MASK, 3, 1));
    if (!images)
        return;
    ::ImageList_AddMasked(images.get(), bitmap.get(), kCellBackground);
    tree.Send(TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(images.get()));
    // The tree has let go of the previous pictures.
    stateImages = std::move(images);
}

int CDeviceTreeView::HeaderHeight() const
{
    return SystemMetricForDpi(SM_CYMENU, dpi);
}

void CDeviceTreeView::PlaceHeader(const RECT& client)
{
    header.Move({client.left + scrollOffset, client.top, client.right, client.top + HeaderHeight()});
}

void CDeviceTreeView::Layout()
{
    const RECT client = ClientRect();
    tree.Move({client.left, client.top + HeaderHeight(), client.right, client.bottom});
    UpdateScrollRange();
    PlaceHeader(ClientRect());
}

void CDeviceTreeView::UpdateScrollRange()
{
    // The rows show as much as the tree's client area, which its vertical bar narrows; a
    // position past the new last page (the view grew, a column shrank) comes back, or the
    // rows and header would stay shifted with no bar left to scroll them back.
    const int page = tree.IsWindow() ? static_cast<int>(tree.ClientRect().right) : 0;
    const int position = ClampedScrollPosition(-scrollOffset, TotalColumnWidth(), page);
    // The system shows the bar only while the columns are wider than the page.
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = TotalColumnWidth();
    info.nPage = static_cast<UINT>(page);
    info.nPos = -scrollOffset;
    ::SetScrollInfo(get(), SB_HORZ, &info, TRUE);
    ScrollTo(position);
}

void CDeviceTreeView::OnHScroll(WPARAM wParam)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    ::GetScrollInfo(get(), SB_HORZ, &info);
    ScrollTo(ScrollTarget(LOWORD(wParam), HIWORD(wParam),
                          {info.nMax, static_cast<int>(info.nPage), info.nPos, ScaleForDpi(kScrollLineStep, dpi)}));
}

void CDeviceTreeView::ScrollTo(int position)
{
    const int current = -scrollOffset;
    if (position == current)
        return;
    // Only the tree's drawing is shifted; its clicks are shifted back (see the tree control).
    ::ScrollWindow(tree, current - position, 0, nullptr, nullptr);
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS;
    info.nPos = position;
    ::SetScrollInfo(get(), SB_HORZ, &info, TRUE);
    scrollOffset = -position;
    tree.SetScrollOffset(scrollOffset);
    PlaceHeader(ClientRect());
}

std::optional<LRESULT> CDeviceTreeView::OnNotify(NMHDR& notify)
{
    switch (notify.code) {
    case NM_CUSTOMDRAW:
        if (notify.hwndFrom == tree.get())
            return OnTreeCustomDraw(reinterpret_cast<NMTVCUSTOMDRAW&>(notify));
        return CDRF_DODEFAULT;
    case TVN_SELCHANGEDW:
    case NM_DBLCLK:
    case NM_RETURN:
        GetParent().Send(WM_NOTIFY, notify.idFrom, reinterpret_cast<LPARAM>(&notify));
        return 0;
    case HDN_ENDTRACKW: {
        // Rows are repainted only once the divider is let go.
        const auto& change = reinterpret_cast<const NMHEADERW&>(notify);
        if (change.pitem && change.iItem >= 0 && change.iItem < static_cast<int>(columns.size()))
            columns[static_cast<size_t>(change.iItem)].width = change.pitem->cxy;
        Layout();
        tree.Invalidate(true);
        return 0;
    }
    default:
        return 0;
    }
}

LRESULT CDeviceTreeView::OnTreeCustomDraw(NMTVCUSTOMDRAW& draw)
{
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        // Everything the tree paints is shifted by the horizontal scroll.
        ::SetViewportOrgEx(draw.nmcd.hdc, scrollOffset, 0, nullptr);
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPOSTPAINT:
        DrawRow(draw);
        return CDRF_DODEFAULT;
    default:
        return 0;
    }
}

void CDeviceTreeView::DrawRow(const NMTVCUSTOMDRAW& draw)
{
    const auto item = reinterpret_cast<HTREEITEM>(draw.nmcd.dwItemSpec);
    const HDC dc = draw.nmcd.hdc;
    RECT label = {};
    if (::IsRectEmpty(&draw.nmcd.rc) || !dc || !tree.GetItemRect(item, label, true))
        return;

    // The row runs from the label to the end of the last column, over the label the tree
    // drew, in the colours the tree chose (highlighted when selected); past the last column
    // the tree's background covers whatever the tree drew of a long label.
    const RowSpans spans = RowSpansOf(label, draw.nmcd.rc, columns[0].width, TotalColumnWidth(), scrollOffset);
    const RECT& row = spans.columns;
    const UniqueBrush brush(::CreateSolidBrush(draw.clrTextBk));
    ::FillRect(dc, &row, brush.get());
    if (!::IsRectEmpty(&spans.beyond)) {
        const UniqueBrush blank(::CreateSolidBrush(TreeBackground(tree)));
        ::FillRect(dc, &spans.beyond, blank.get());
    }
    if (draw.nmcd.uItemState & CDIS_FOCUS)
        ::DrawFocusRect(dc, &row);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, draw.clrText);
    // After its own painting the tree has put its font back; the columns use the tree's.
    const ScopedSelectObject font(dc, tree.GetFont());
    DrawColumns(dc, item, row, reinterpret_cast<const DeviceInfo*>(draw.nmcd.lItemlParam));
}

void CDeviceTreeView::DrawColumns(HDC dc, HTREEITEM item, const RECT& row, const DeviceInfo* device)
{
    // Every cell keeps the header's padding inside its edges and ends in an ellipsis when cut.
    DrawCell(dc, tree.GetItemText(item), CellTextRect(row.left, columns[0].width, row, cellPadding));

    if (!device)
        return;
    const std::wstring texts[] = {device->driverVersion, ShortDateText(device->driverDay), device->providerName};
    int x = columns[0].width;
    for (size_t i = 1; i < columns.size(); ++i) {
        DrawCell(dc, texts[i - 1], CellTextRect(x, x + columns[i].width, row, cellPadding));
        x += columns[i].width;
    }
}

bool CDeviceTreeView::ContextMenuPoint(LPARAM screen, POINT& point)
{
    point = {GET_X_LPARAM(screen), GET_Y_LPARAM(screen)};
    if (screen == -1) {
        // From the keyboard: under the caret's row, where the user is looking, or at the
        // tree's corner when that row is scrolled out of sight.
        RECT label = {};
        const HTREEITEM caret = tree.GetCaretItem();
        if (!caret || !tree.GetItemRect(caret, label, true))
            return false;
        const RECT client = tree.ClientRect();
        point = {label.left + scrollOffset, label.bottom};
        if (!::PtInRect(&client, point))
            point = {client.left, client.top};
        ::ClientToScreen(tree, &point);
    } else {
        // A right-click acts on the row under the pointer, which becomes the selected one;
        // empty space below the rows has no menu.
        POINT inTree = point;
        ::ScreenToClient(tree, &inTree);
        inTree.x = TreeX(inTree.x, scrollOffset);
        UINT flags = 0;
        const HTREEITEM item = tree.HitTest(inTree, flags);
        if (!item)
            return false;
        tree.SelectItem(item);
    }
    return true;
}
