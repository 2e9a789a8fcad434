// The device tree view on a real tree control: header and pictures, check boxes by click,
// Space and double-click, row selection right of the label, notifications to the parent,
// horizontal scrolling (and clicks after it), row drawing and column resizing.
#include <gtest/gtest.h>

#include "platform/DriverKey.h"

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "model/DeviceInfo.h"
#include "framework/CWindowImpl.h"
#include "tests/support/TestWindow.h"
#include "ui/CDeviceTreeView.h"

namespace {

// The view's parent: records what the view passes on.
class NotifyRecorder : public CWindowImpl<NotifyRecorder> {
public:
    static WindowClassInfo GetWndClassInfo()
    {
        WindowClassInfo info;
        info.background = COLOR_BTNFACE + 1;
        info.defaultStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN;
        return info;
    }
    std::optional<LRESULT> OnNotify(NMHDR& header) override
    {
        codes.push_back(header.code);
        senders.push_back(header.hwndFrom);
        if (header.code == TVN_SELCHANGEDW)
            selected = reinterpret_cast<const NMTREEVIEWW&>(header).itemNew.hItem;
        return 0;
    }
    int Count(UINT code) const
    {
        int count = 0;
        for (UINT seen : codes)
            count += seen == code ? 1 : 0;
        return count;
    }

    std::vector<UINT> codes;
    std::vector<HWND> senders;
    HTREEITEM selected = nullptr;
};

DeviceInfo MakeDevice(const wchar_t* name, const wchar_t* version, const wchar_t* date, const wchar_t* provider)
{
    DeviceInfo device;
    device.name = name;
    device.driverVersion = version;
    device.driverDate = date;
    device.driverDay = DriverDay(std::nullopt, date);
    device.providerName = provider;
    return device;
}

struct TreeViewFixture : ::testing::Test {
    void SetUp() override
    {
        const RECT hostRect = {20, 20, 680, 440};
        ASSERT_NE(host.Create(nullptr, &hostRect, L"Tree view test"), nullptr);
        const RECT viewRect = {0, 0, 600, 300};
        ASSERT_NE(view.Create(host, &viewRect, nullptr, WS_CHILD | WS_VISIBLE, WS_EX_CLIENTEDGE, 3006), nullptr);
        tree = CTreeViewCtrlEx(view.Tree().get());

        devices.push_back(MakeDevice(L"Wine display adapter", L"8.0.0.1", L"1-15-2023", L"Wine project"));
        devices.push_back(MakeDevice(L"Second display adapter", L"2.1", L"6-1-2021", L"Morvane"));
        devices.push_back(MakeDevice(L"Communications Port (COM1)", L"", L"", L""));
        devices.push_back(MakeDevice(L"Communications Port (COM2)", L"", L"", L""));

        root = Insert(TVI_ROOT, L"TARNWICK-PC", nullptr);
        display = Insert(root, L"Display adapters", nullptr);
        adapters = {Insert(display, devices[0].name.c_str(), &devices[0]),
                    Insert(display, devices[1].name.c_str(), &devices[1])};
        ports = Insert(root, L"Ports (COM & LPT)", nullptr);
        portDevices = {Insert(ports, devices[2].name.c_str(), &devices[2]),
                       Insert(ports, devices[3].name.c_str(), &devices[3])};
        for (HTREEITEM node : {root, display, ports})
            tree.Expand(node);
        ::UpdateWindow(host);
        host.codes.clear();
        host.senders.clear();
    }

    HTREEITEM Insert(HTREEITEM parent, const wchar_t* text, DeviceInfo* device)
    {
        TVINSERTSTRUCTW insert = {};
        insert.hParent = parent;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
        insert.item.pszText = const_cast<wchar_t*>(text);
        insert.item.lParam = reinterpret_cast<LPARAM>(device);
        insert.item.stateMask = TVIS_STATEIMAGEMASK;
        insert.item.state = INDEXTOSTATEIMAGEMASK(1);
        return reinterpret_cast<HTREEITEM>(tree.Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    }

    // The middle of the item's check box, found by hit-testing leftwards from its label.
    POINT BoxPoint(HTREEITEM item) const
    {
        RECT label = {};
        EXPECT_TRUE(tree.GetItemRect(item, label, true));
        const int y = (label.top + label.bottom) / 2;
        for (int x = label.left - 1; x >= 0; --x) {
            UINT flags = 0;
            if (tree.HitTest({x, y}, flags) == item && (flags & TVHT_ONITEMSTATEICON))
                return {x - 6, y};
        }
        ADD_FAILURE() << "no check box found";
        return {0, 0};
    }
    POINT RightOfLabel(HTREEITEM item) const
    {
        RECT label = {};
        EXPECT_TRUE(tree.GetItemRect(item, label, true));
        return {label.right + 120, (label.top + label.bottom) / 2};
    }

    // A click as the mouse makes it. The tree watches for a drag after the button goes
    // down, until the button comes up; the posted WM_LBUTTONUP ends that watch.
    void Click(POINT point)
    {
        tree.Post(WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
        tree.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
        PumpMessages();
    }
    void DoubleClick(POINT point)
    {
        Click(point);
        tree.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(point.x, point.y));
        tree.Send(WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
        PumpMessages();
    }
    int Check(HTREEITEM item) const { return tree.GetStateImage(item); }
    bool IsExpanded(HTREEITEM item) const { return (tree.GetItemState(item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0; }

    NotifyRecorder host;
    CDeviceTreeView view;
    CTreeViewCtrlEx tree;
    std::vector<DeviceInfo> devices;
    HTREEITEM root = nullptr, display = nullptr, ports = nullptr;
    std::vector<HTREEITEM> adapters, portDevices;
};

int HeaderWidth(HWND header, int index)
{
    HDITEMW item = {};
    item.mask = HDI_WIDTH;
    ::SendMessageW(header, HDM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
    return item.cxy;
}

} // namespace

TEST_F(TreeViewFixture, ViewBuildsItsHeaderColumnsAndPictures)
{
    ASSERT_EQ(view.Header().Send(HDM_GETITEMCOUNT), 4);
    const wchar_t* titles[] = {L"Title", L"Version", L"Date", L"Provider"};
    const int widths[] = {400, 100, 80, 150};
    for (int i = 0; i < 4; ++i) {
        wchar_t text[32] = L"";
        HDITEMW item = {};
        item.mask = HDI_TEXT | HDI_WIDTH | HDI_LPARAM;
        item.pszText = text;
        item.cchTextMax = 32;
        ASSERT_TRUE(view.Header().Send(HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item)));
        EXPECT_STREQ(text, titles[i]);
        EXPECT_EQ(item.cxy, widths[i]);
        EXPECT_EQ(item.lParam, reinterpret_cast<LPARAM>(&view.GetColumn(static_cast<size_t>(i))));
    }
    EXPECT_EQ(view.Header().GetStyle() & HDS_BUTTONS, 0u) << "clicking a title does nothing";
    EXPECT_EQ(view.TotalColumnWidth(), 730);

    const auto states = reinterpret_cast<HIMAGELIST>(tree.Send(TVM_GETIMAGELIST, TVSIL_STATE));
    ASSERT_EQ(states, view.StateImages());
    EXPECT_EQ(::ImageList_GetImageCount(states), 4) << "the unused cell, cleared, checked, mixed";
    const DWORD style = tree.GetStyle();
    EXPECT_TRUE(style & TVS_HASBUTTONS);
    EXPECT_TRUE(style & TVS_NOHSCROLL);
    EXPECT_FALSE(style & TVS_HASLINES);
    EXPECT_FALSE(style & TVS_CHECKBOXES) << "the boxes are ours, not the control's";

    const RECT client = view.ClientRect();
    const RECT headerRect = view.Header().RectInParent();
    const RECT treeRect = view.Tree().RectInParent();
    EXPECT_EQ(headerRect.bottom - headerRect.top, ::GetSystemMetrics(SM_CYMENU));
    EXPECT_EQ(treeRect.top, headerRect.bottom);
    EXPECT_EQ(treeRect.bottom, client.bottom);
}

TEST_F(TreeViewFixture, ClicksOnBoxesPropagateDownAndUp)
{
    for (HTREEITEM item : {root, display, adapters[0], ports, portDevices[1]})
        ASSERT_EQ(Check(item), 1);

    Click(BoxPoint(root));
    for (HTREEITEM item : {root, display, adapters[0], adapters[1], ports, portDevices[0], portDevices[1]})
        EXPECT_EQ(Check(item), 2);

    Click(BoxPoint(portDevices[1]));
    EXPECT_EQ(Check(portDevices[1]), 1);
    EXPECT_EQ(Check(ports), 3);
    EXPECT_EQ(Check(root), 3);
    EXPECT_EQ(Check(display), 2);

    Click(BoxPoint(root));
    for (HTREEITEM item : {root, display, adapters[0], adapters[1], ports, portDevices[0], portDevices[1]})
        EXPECT_EQ(Check(item), 1) << "a mixed box clears everything under it";

    Click(BoxPoint(adapters[0]));
    Click(BoxPoint(adapters[1]));
    EXPECT_EQ(Check(display), 2) << "every device of the class ticked";
    EXPECT_EQ(Check(root), 3);
}

TEST_F(TreeViewFixture, SpaceTogglesTheSelectedNodeAndNothingWithoutOne)
{
    tree.Send(WM_KEYDOWN, VK_SPACE, 0);
    for (HTREEITEM item : {root, display, adapters[0], ports})
        EXPECT_EQ(Check(item), 1) << "no selected node, nothing toggles";

    ASSERT_TRUE(tree.SelectItem(display));
    tree.Send(WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(Check(display), 2);
    EXPECT_EQ(Check(adapters[1]), 2);
    EXPECT_EQ(Check(root), 3);
    tree.Send(WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(Check(display), 1);
    EXPECT_EQ(Check(root), 1);
}

TEST_F(TreeViewFixture, DoubleClickOnABoxTogglesOnceAndOpensNothing)
{
    DoubleClick(BoxPoint(display));
    EXPECT_EQ(Check(display), 2) << "toggled by the first click only";
    EXPECT_EQ(Check(adapters[0]), 2);
    EXPECT_TRUE(IsExpanded(display)) << "the double-click did not collapse the class";
    EXPECT_EQ(host.Count(NM_DBLCLK), 0);
}

TEST_F(TreeViewFixture, ClickRightOfALabelSelectsTheRowAndTheParentHearsOfIt)
{
    Click(RightOfLabel(adapters[1]));
    EXPECT_EQ(tree.GetCaretItem(), adapters[1]);
    EXPECT_EQ(host.Count(TVN_SELCHANGEDW), 1);
    EXPECT_EQ(host.selected, adapters[1]);
    EXPECT_EQ(host.senders.back(), tree.get()) << "forwarded unchanged";
    EXPECT_EQ(Check(adapters[1]), 1) << "selecting is not ticking";
}

TEST_F(TreeViewFixture, DoubleClickRightOfADeviceLabelReachesTheParent)
{
    DoubleClick(RightOfLabel(portDevices[0]));
    EXPECT_EQ(tree.GetCaretItem(), portDevices[0]);
    EXPECT_EQ(host.Count(NM_DBLCLK), 1);
    bool fromTree = false;
    for (size_t i = 0; i < host.codes.size(); ++i)
        fromTree = fromTree || (host.codes[i] == NM_DBLCLK && host.senders[i] == tree.get());
    EXPECT_TRUE(fromTree);
}

TEST_F(TreeViewFixture, ScrollingMovesHeaderAndRowsTogetherByTheTable)
{
    ASSERT_TRUE(view.GetStyle() & WS_HSCROLL) << "600 pixels show less than the 730 of the columns";
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    ASSERT_TRUE(::GetScrollInfo(view, SB_HORZ, &info));
    EXPECT_EQ(info.nMax, 730);
    const int page = static_cast<int>(info.nPage);
    const int headerLeft = view.Header().RectInParent().left;

    view.Send(WM_HSCROLL, SB_LINERIGHT);
    EXPECT_EQ(view.ScrollOffset(), -6);
    EXPECT_EQ(view.Header().RectInParent().left, headerLeft - 6);
    view.Send(WM_HSCROLL, SB_RIGHT);
    EXPECT_EQ(view.ScrollOffset(), -(730 - page + 1));
    ::GetScrollInfo(view, SB_HORZ, &info);
    EXPECT_EQ(info.nPos, 730 - page + 1);
    view.Send(WM_HSCROLL, SB_LINERIGHT);
    EXPECT_EQ(view.ScrollOffset(), -(730 - page + 1)) << "the thumb stays on the last page";
    view.Send(WM_HSCROLL, SB_LEFT);
    EXPECT_EQ(view.ScrollOffset(), 0);
    EXPECT_EQ(view.Header().RectInParent().left, headerLeft);

    // The tree's hit testing is not shifted: a click still finds the same row.
    view.Send(WM_HSCROLL, SB_PAGERIGHT);
    Click(RightOfLabel(adapters[0]));
    EXPECT_EQ(tree.GetCaretItem(), adapters[0]);
}

TEST_F(TreeViewFixture, DraggingADividerRepaintsTheRowsOnlyWhenLetGo)
{
    const int y = ::GetSystemMetrics(SM_CYMENU) / 2;
    const int divider = view.GetColumn(0).width;
    view.Header().Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(divider, y));
    view.Header().Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(divider + 40, y));
    ::ValidateRect(tree, nullptr);
    view.Header().Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(divider + 50, y));
    RECT pending = {};
    EXPECT_FALSE(::GetUpdateRect(tree, &pending, FALSE)) << "no repaint while dragging";
    EXPECT_EQ(view.GetColumn(0).width, 400);

    view.Header().Send(WM_LBUTTONUP, 0, MAKELPARAM(divider + 50, y));
    EXPECT_EQ(view.GetColumn(0).width, 450);
    EXPECT_EQ(HeaderWidth(view.Header(), 0), 450);
    EXPECT_TRUE(::GetUpdateRect(tree, &pending, FALSE)) << "the rows repaint once the divider is let go";
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE;
    ::GetScrollInfo(view, SB_HORZ, &info);
    EXPECT_EQ(info.nMax, 780);
}

TEST_F(TreeViewFixture, AClickOnABoxMovesTheCaretThereSoSpaceActsOnThatRow)
{
    ASSERT_TRUE(tree.SelectItem(ports));
    Click(BoxPoint(adapters[1]));
    EXPECT_EQ(Check(adapters[1]), 2);
    EXPECT_EQ(tree.GetCaretItem(), adapters[1]);
    EXPECT_EQ(host.selected, adapters[1]) << "the parent hears of the new selection";
    tree.Send(WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(Check(adapters[1]), 1) << "Space clears the box just clicked";
    EXPECT_EQ(Check(ports), 1) << "and leaves the row selected before alone";
}

TEST_F(TreeViewFixture, AfterScrollingSidewaysAClickActsOnWhatIsDrawnUnderIt)
{
    const POINT box = BoxPoint(adapters[0]);
    RECT label = {};
    ASSERT_TRUE(tree.GetItemRect(adapters[1], label, true));
    for (int i = 0; i < 3; ++i)
        view.Send(WM_HSCROLL, SB_LINERIGHT);
    ASSERT_EQ(view.ScrollOffset(), -18);

    Click({box.x + view.ScrollOffset(), box.y});
    EXPECT_EQ(Check(adapters[0]), 2) << "the box drawn there";
    const int labelY = (label.top + label.bottom) / 2;
    Click({label.left + 2 + view.ScrollOffset(), labelY});
    EXPECT_EQ(tree.GetCaretItem(), adapters[1]) << "the label drawn there selects its row";
    EXPECT_EQ(Check(adapters[1]), 1) << "and ticks nothing";
    const POINT otherBox = BoxPoint(adapters[1]);
    Click(otherBox);
    EXPECT_EQ(Check(adapters[1]), 1) << "no box is drawn where it was before the scroll";
}

TEST_F(TreeViewFixture, ALongLabelIsCoveredPastTheLastColumnInTheTreesBackground)
{
    const std::wstring longName(150, L'W');
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = adapters[0];
    item.pszText = const_cast<wchar_t*>(longName.c_str());
    ASSERT_TRUE(tree.Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    host.Move({20, 20, 1120, 440});
    view.Move({0, 0, 1000, 300});
    ASSERT_TRUE(tree.SelectItem(adapters[0]));
    ::SetFocus(tree);
    ::RedrawWindow(tree, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);

    RECT label = {};
    ASSERT_TRUE(tree.GetItemRect(adapters[0], label, true));
    ASSERT_GT(label.right, 900) << "the tree's own label reaches past the columns";
    const int y = (label.top + label.bottom) / 2;
    const HDC dc = ::GetDC(tree);
    const COLORREF inColumns = ::GetPixel(dc, 700, y);
    std::vector<COLORREF> beyond;
    for (int x = 730; x < 900; x += 7)
        beyond.push_back(::GetPixel(dc, x, y));
    ::ReleaseDC(tree, dc);
    EXPECT_NE(inColumns, ::GetSysColor(COLOR_WINDOW)) << "the selected row is highlighted to the last column";
    for (COLORREF colour : beyond)
        EXPECT_EQ(colour, ::GetSysColor(COLOR_WINDOW)) << "nothing of the label or the highlight past it";
}

TEST_F(TreeViewFixture, WideningAfterScrollingRightBringsTheRowsAndHeaderBackToTheStart)
{
    view.Send(WM_HSCROLL, SB_RIGHT);
    ASSERT_LT(view.ScrollOffset(), 0);
    host.Move({20, 20, 1120, 440});
    view.Move({0, 0, 1000, 300});
    EXPECT_FALSE(view.GetStyle() & WS_HSCROLL) << "the columns fit: no bar";
    EXPECT_EQ(view.ScrollOffset(), 0) << "no bar left to scroll back with, so nothing stays shifted";
    EXPECT_EQ(view.Header().RectInParent().left, 0);

    // Only part of the way: the position stops at the new last page.
    view.Move({0, 0, 500, 300});
    view.Send(WM_HSCROLL, SB_RIGHT);
    view.Move({0, 0, 650, 300});
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    ASSERT_TRUE(::GetScrollInfo(view, SB_HORZ, &info));
    EXPECT_EQ(-view.ScrollOffset(), info.nMax - static_cast<int>(info.nPage) + 1);
    EXPECT_EQ(info.nPos, -view.ScrollOffset());
    EXPECT_EQ(view.Header().RectInParent().left, view.ScrollOffset());

    // A column made narrower shrinks the range too.
    view.SetColumnWidth(0, 100);
    EXPECT_EQ(view.ScrollOffset(), 0);
}

TEST_F(TreeViewFixture, TheScrollRangeLeavesRoomForTheTreesVerticalBar)
{
    for (int i = 0; i < 40; ++i)
        Insert(ports, L"Another port", &devices[2]);
    tree.Expand(ports);
    ASSERT_TRUE(tree.GetStyle() & WS_VSCROLL) << "more rows than the view shows";
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    ASSERT_TRUE(::GetScrollInfo(view, SB_HORZ, &info));
    EXPECT_EQ(static_cast<int>(info.nPage), static_cast<int>(tree.ClientRect().right)) << "the page is what the rows show";
    EXPECT_LT(static_cast<int>(info.nPage), static_cast<int>(view.ClientRect().right));
    view.Send(WM_HSCROLL, SB_RIGHT);
    EXPECT_EQ(view.TotalColumnWidth() + view.ScrollOffset(), static_cast<int>(tree.ClientRect().right) - 1)
        << "on the last page the Provider column ends beside the vertical bar, not under it";
}

TEST_F(TreeViewFixture, TheMainKeyboardsPlusAndMinusOpenAndCloseTheNodeAndEnterReachesTheParent)
{
    ASSERT_TRUE(tree.SelectItem(display));
    tree.Send(WM_CHAR, L'-', 0);
    EXPECT_FALSE(IsExpanded(display));
    tree.Send(WM_CHAR, L'+', 0);
    EXPECT_TRUE(IsExpanded(display));
    EXPECT_EQ(tree.GetCaretItem(), display) << "taken as keys, not as a search for a name";

    ASSERT_TRUE(tree.SelectItem(adapters[0]));
    host.codes.clear();
    tree.Send(WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(host.Count(NM_RETURN), 1);
}

TEST_F(TreeViewFixture, ANarrowTitleColumnLeavesTheVersionColumnFreeOfBoxesAndIcons)
{
    // Devices sit two levels in: box and icon start past a 24-pixel title column.
    view.SetColumnWidth(0, 24);
    ::RedrawWindow(tree, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT label = {};
    ASSERT_TRUE(tree.GetItemRect(portDevices[0], label, true));
    ASSERT_GT(label.left, 24 + 16) << "the row's box and icon lie under the Version column";
    const HDC dc = ::GetDC(tree);
    int foreign = 0;
    for (int x = 24; x < label.left; ++x)
        for (int y = label.top; y < label.bottom; ++y)
            foreign += ::GetPixel(dc, x, y) != ::GetSysColor(COLOR_WINDOW) ? 1 : 0;
    ::ReleaseDC(tree, dc);
    EXPECT_EQ(foreign, 0) << "the port has no version, so its Version cell is blank";
}
