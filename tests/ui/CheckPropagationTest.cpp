// The check box rules on a tree without a window, the horizontal scroll table, and where a
// row's spans and cells are drawn.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <vector>

#include "ui/CheckPropagation.h"
#include "ui/HorizontalScroll.h"
#include "ui/RowLayout.h"

namespace {

// A tree of nodes 1..n; node handles are the node numbers.
class MemoryTree : public ICheckTree {
public:
    int Add(int parent)
    {
        const int node = static_cast<int>(parents_.size()) + 1;
        parents_[node] = parent;
        children_[parent].push_back(node);
        states_[node] = kCheckCleared;
        return node;
    }
    HTREEITEM Parent(HTREEITEM node) const override { return Item(parents_.at(Id(node))); }
    HTREEITEM FirstChild(HTREEITEM node) const override
    {
        const auto found = children_.find(Id(node));
        return found == children_.end() || found->second.empty() ? nullptr : Item(found->second.front());
    }
    HTREEITEM NextSibling(HTREEITEM node) const override
    {
        const std::vector<int>& siblings = children_.at(parents_.at(Id(node)));
        for (size_t i = 0; i + 1 < siblings.size(); ++i) {
            if (siblings[i] == Id(node))
                return Item(siblings[i + 1]);
        }
        return nullptr;
    }
    int GetCheck(HTREEITEM node) const override { return states_.at(Id(node)); }
    void SetCheck(HTREEITEM node, int state) override { states_[Id(node)] = state; }

    int State(int node) const { return states_.at(node); }
    void Set(int node, int state) { states_[node] = state; }
    void Toggle(int node) { ToggleCheck(*this, Item(node)); }

private:
    static HTREEITEM Item(int node) { return node ? reinterpret_cast<HTREEITEM>(static_cast<INT_PTR>(node)) : nullptr; }
    static int Id(HTREEITEM item) { return static_cast<int>(reinterpret_cast<INT_PTR>(item)); }

    std::map<int, int> parents_;
    std::map<int, std::vector<int>> children_;
    std::map<int, int> states_;
};

// The computer, two classes with two and three devices.
struct DeviceTreeShape : ::testing::Test {
    void SetUp() override
    {
        root = tree.Add(0);
        display = tree.Add(root);
        ports = tree.Add(root);
        adapters = {tree.Add(display), tree.Add(display)};
        portDevices = {tree.Add(ports), tree.Add(ports), tree.Add(ports)};
    }
    MemoryTree tree;
    int root = 0, display = 0, ports = 0;
    std::vector<int> adapters, portDevices;
};

} // namespace

TEST(CheckRules, ToggleTurnsOnlyAClearedBoxOn)
{
    EXPECT_EQ(ToggledCheck(kCheckCleared), kChecked);
    EXPECT_EQ(ToggledCheck(kChecked), kCheckCleared);
    EXPECT_EQ(ToggledCheck(kCheckMixed), kCheckCleared);
    EXPECT_EQ(ToggledCheck(kNoCheckBox), kCheckCleared);
}

TEST_F(DeviceTreeShape, TickingTheRootTicksEverythingAndClearingOneDeviceMakesItsAncestorsMixed)
{
    tree.Toggle(root);
    for (int node = root; node <= portDevices.back(); ++node)
        EXPECT_EQ(tree.State(node), kChecked) << node;

    tree.Toggle(portDevices[1]);
    EXPECT_EQ(tree.State(portDevices[1]), kCheckCleared);
    EXPECT_EQ(tree.State(ports), kCheckMixed);
    EXPECT_EQ(tree.State(root), kCheckMixed);
    EXPECT_EQ(tree.State(display), kChecked) << "the other class is untouched";
}

TEST_F(DeviceTreeShape, TickingEveryDeviceOfAClassChecksTheClassAndAllClassesCheckTheRoot)
{
    tree.Toggle(adapters[0]);
    EXPECT_EQ(tree.State(display), kCheckMixed);
    EXPECT_EQ(tree.State(root), kCheckMixed);
    tree.Toggle(adapters[1]);
    EXPECT_EQ(tree.State(display), kChecked);
    EXPECT_EQ(tree.State(root), kCheckMixed) << "the ports are still cleared";
    tree.Toggle(ports);
    EXPECT_EQ(tree.State(root), kChecked);
}

TEST_F(DeviceTreeShape, ClickingAMixedBoxClearsItAndEverythingUnderIt)
{
    tree.Toggle(portDevices[0]);
    tree.Toggle(adapters[0]);
    ASSERT_EQ(tree.State(root), kCheckMixed);
    tree.Toggle(root);
    for (int node = root; node <= portDevices.back(); ++node)
        EXPECT_EQ(tree.State(node), kCheckCleared) << node;
}

TEST_F(DeviceTreeShape, AMixedClassMakesTheRootMixedAndNodesWithoutABoxDoNotCount)
{
    tree.Toggle(display);
    tree.Toggle(ports);
    ASSERT_EQ(tree.State(root), kChecked);
    tree.Toggle(portDevices[2]);
    EXPECT_EQ(tree.State(ports), kCheckMixed);
    EXPECT_EQ(tree.State(root), kCheckMixed);

    // A device without a box neither checks nor clears its class.
    tree.Set(portDevices[2], kNoCheckBox);
    EXPECT_EQ(ParentCheck(tree, reinterpret_cast<HTREEITEM>(static_cast<INT_PTR>(ports))), kChecked);
    tree.Set(portDevices[0], kNoCheckBox);
    tree.Set(portDevices[1], kNoCheckBox);
    EXPECT_EQ(ParentCheck(tree, reinterpret_cast<HTREEITEM>(static_cast<INT_PTR>(ports))), kCheckCleared);
}

TEST(HorizontalScrollTable, EachRequestMovesByItsRule)
{
    const ScrollState middle = {720, 500, 100};  // last page starts at 221
    EXPECT_EQ(ScrollTarget(SB_LINELEFT, 0, middle), 94);
    EXPECT_EQ(ScrollTarget(SB_LINERIGHT, 0, middle), 106);
    EXPECT_EQ(ScrollTarget(SB_PAGELEFT, 0, middle), 0);
    EXPECT_EQ(ScrollTarget(SB_PAGERIGHT, 0, middle), 221);
    EXPECT_EQ(ScrollTarget(SB_LEFT, 0, middle), 0);
    EXPECT_EQ(ScrollTarget(SB_RIGHT, 0, middle), 221);
    EXPECT_EQ(ScrollTarget(SB_THUMBTRACK, 150, middle), 150);
    EXPECT_EQ(ScrollTarget(SB_THUMBPOSITION, 900, middle), 720) << "capped at the maximum";
    EXPECT_EQ(ScrollTarget(SB_THUMBPOSITION, 0, middle), 0);
    EXPECT_EQ(ScrollTarget(SB_ENDSCROLL, 0, middle), 100);

    const ScrollState start = {720, 500, 3};
    EXPECT_EQ(ScrollTarget(SB_LINELEFT, 0, start), 0) << "never before the start";
    const ScrollState end = {720, 500, 219};
    EXPECT_EQ(ScrollTarget(SB_LINERIGHT, 0, end), 221) << "never past the last page";
    EXPECT_EQ(ScrollTarget(SB_PAGELEFT, 0, end), 0);
}

TEST(HorizontalScrollTable, ArrowsMoveByTheLineStepOfTheWindowsDpi)
{
    ScrollState atHighDpi = {1080, 600, 100};
    atHighDpi.lineStep = 9;
    EXPECT_EQ(ScrollTarget(SB_LINERIGHT, 0, atHighDpi), 109);
    EXPECT_EQ(ScrollTarget(SB_LINELEFT, 0, atHighDpi), 91);
    EXPECT_EQ(ScrollState({720, 500, 0}).lineStep, 6) << "6 pixels at 96 DPI";
}

TEST(RowLayout, ClicksAreShiftedBackByTheScroll)
{
    EXPECT_EQ(TreeX(40, 0), 40);
    EXPECT_EQ(TreeX(40, -120), 160) << "a box drawn at 40 after scrolling 120 is at 160 for the tree";
    EXPECT_EQ(TreeX(0, -6), 6);
}

TEST(RowLayout, TheRowIsFilledToTheLastColumnAndBlankedBeyondIt)
{
    const RECT label = {44, 20, 300, 38};
    const RECT item = {0, 20, 900, 38};
    RowSpans spans = RowSpansOf(label, item, 400, 720, 0);
    EXPECT_EQ(spans.columns.left, 44);
    EXPECT_EQ(spans.columns.right, 720);
    EXPECT_EQ(spans.columns.top, 20);
    EXPECT_EQ(spans.columns.bottom, 38);
    EXPECT_EQ(spans.beyond.left, 720);
    EXPECT_EQ(spans.beyond.right, 900);

    // A label longer than all columns: its end lies in the blank span, even off the view.
    const RECT longLabel = {44, 20, 1300, 38};
    spans = RowSpansOf(longLabel, item, 400, 720, 0);
    EXPECT_EQ(spans.columns.right, 720);
    EXPECT_EQ(spans.beyond.left, 720);
    EXPECT_EQ(spans.beyond.right, 1300);

    // Scrolled: the screen's right edge is further right in the tree's coordinates.
    spans = RowSpansOf(label, {0, 20, 600, 38}, 400, 720, -200);
    EXPECT_EQ(spans.beyond.left, 720);
    EXPECT_EQ(spans.beyond.right, 800);

    // Columns that end before the view's edge and a view narrower than the columns.
    spans = RowSpansOf(label, {0, 20, 500, 38}, 400, 720, 0);
    EXPECT_TRUE(::IsRectEmpty(&spans.beyond)) << "nothing beyond the columns is on screen";
    spans = RowSpansOf({800, 20, 900, 38}, item, 400, 720, 0);
    EXPECT_EQ(spans.columns.left, 400) << "what the tree drew past the title column is covered";
    EXPECT_EQ(spans.columns.right, 720);
    EXPECT_EQ(spans.beyond.left, 720);
    EXPECT_EQ(spans.beyond.right, 900);
}

TEST(RowLayout, ANarrowTitleColumnCoversTheBoxAndIconTheTreeDrewUnderTheNextColumn)
{
    // A device row indented past a 30-pixel title column: its box and icon lie under Version.
    const RECT label = {60, 20, 200, 38};
    const RowSpans spans = RowSpansOf(label, {0, 20, 900, 38}, 30, 720, 0);
    EXPECT_EQ(spans.columns.left, 30);
    EXPECT_EQ(spans.columns.right, 720);
    EXPECT_EQ(spans.beyond.left, 720);
}

TEST(HorizontalScrollTable, APositionPastTheLastPageComesBackWhenTheRangeShrinks)
{
    EXPECT_EQ(ClampedScrollPosition(147, 720, 500), 147) << "within the range";
    EXPECT_EQ(ClampedScrollPosition(221, 720, 500), 221) << "the last page";
    EXPECT_EQ(ClampedScrollPosition(221, 720, 600), 121) << "the view grew: the last page starts earlier";
    EXPECT_EQ(ClampedScrollPosition(147, 720, 900), 0) << "everything fits: no scroll left";
    EXPECT_EQ(ClampedScrollPosition(147, 720, 721), 0);
    EXPECT_EQ(ClampedScrollPosition(-5, 720, 500), 0);
}

TEST(RowLayout, CellTextKeepsThePaddingInsideBothEdges)
{
    const RECT row = {44, 20, 720, 38};
    const RECT cell = CellTextRect(400, 500, row, 6);
    EXPECT_EQ(cell.left, 406);
    EXPECT_EQ(cell.right, 494);
    EXPECT_EQ(cell.top, 20);
    EXPECT_EQ(cell.bottom, 38);
    const RECT narrow = CellTextRect(400, 408, row, 6);
    EXPECT_EQ(narrow.left, 406);
    EXPECT_EQ(narrow.right, 406) << "never of negative width";
}
