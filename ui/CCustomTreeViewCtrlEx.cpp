#include "ui/CCustomTreeViewCtrlEx.h"

#include <windowsx.h>

#include "ui/CheckPropagation.h"
#include "ui/RowLayout.h"

namespace {

// The tree control seen through the check propagation rules.
class TreeChecks : public ICheckTree {
public:
    explicit TreeChecks(const CTreeViewCtrlEx& tree) : tree_(tree) {}
    HTREEITEM Parent(HTREEITEM node) const override { return tree_.GetParentItem(node); }
    HTREEITEM FirstChild(HTREEITEM node) const override { return tree_.GetChildItem(node); }
    HTREEITEM NextSibling(HTREEITEM node) const override { return tree_.GetNextSiblingItem(node); }
    int GetCheck(HTREEITEM node) const override { return tree_.GetStateImage(node); }
    void SetCheck(HTREEITEM node, int state) override { tree_.SetStateImage(node, state); }

private:
    CTreeViewCtrlEx tree_;
};

} // namespace

WindowClassInfo CCustomTreeViewCtrlEx::GetWndClassInfo()
{
    WindowClassInfo info;
    info.superclass = WC_TREEVIEWW;
    return info;
}

bool CCustomTreeViewCtrlEx::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_KEYDOWN:
        result = OnKeyDown(wParam, lParam);
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        result = OnLeftButton(message, wParam, Unscrolled(lParam));
        return true;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        result = DefaultProcessing(message, wParam, Unscrolled(lParam));
        return true;
    default:
        return false;
    }
}

void CCustomTreeViewCtrlEx::ToggleCheck(HTREEITEM item)
{
    TreeChecks checks(get());
    ::ToggleCheck(checks, item);
}

LRESULT CCustomTreeViewCtrlEx::OnKeyDown(WPARAM wParam, LPARAM lParam)
{
    if (wParam == VK_SPACE) {
        if (const HTREEITEM caret = GetCaretItem())
            ToggleCheck(caret);
    }
    return DefaultProcessing(WM_KEYDOWN, wParam, lParam);
}

LRESULT CCustomTreeViewCtrlEx::OnLeftButton(UINT message, WPARAM wParam, LPARAM lParam)
{
    HTREEITEM item = nullptr;
    UINT flags = 0;
    lParam = PointOnLabel(lParam, item, flags);
    if (flags & TVHT_ONITEMSTATEICON) {
        // The first click of a double-click has toggled the box already; the tree must not
        // expand the node or report a double-click that would open the device.
        if (message == WM_LBUTTONDBLCLK)
            return 0;
        if (item) {
            ToggleCheck(item);
            // Space then acts on the row the user just clicked.
            SelectItem(item);
        }
    }
    return DefaultProcessing(message, wParam, lParam);
}

LPARAM CCustomTreeViewCtrlEx::Unscrolled(LPARAM lParam) const noexcept
{
    return MAKELPARAM(TreeX(GET_X_LPARAM(lParam), scrollOffset_), GET_Y_LPARAM(lParam));
}

LPARAM CCustomTreeViewCtrlEx::PointOnLabel(LPARAM lParam, HTREEITEM& item, UINT& hitFlags) const
{
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    item = HitTest(point, hitFlags);
    RECT label = {};
    if (hitFlags == TVHT_ONITEMRIGHT && item && GetItemRect(item, label, true)) {
        point.x = label.left + (label.right - label.left) / 2;
        return MAKELPARAM(point.x, point.y);
    }
    return lParam;
}
