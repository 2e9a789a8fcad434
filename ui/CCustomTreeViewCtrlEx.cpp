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
    case WM_CHAR:
        result = 0;
        return OnChar(wParam);
    case WM_SYSKEYDOWN:
        // Shift+F10 asks for the row's context menu. Taken here, it neither depends on the
        // system's default handling nor reaches it, which would open the menu bar instead.
        if (wParam != VK_F10 || !(::GetKeyState(VK_SHIFT) & 0x8000))
            return false;
        Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(get()), -1);
        result = 0;
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

bool CCustomTreeViewCtrlEx::OnSize(UINT type, SIZE client)
{
    // The tree lays out its rows first.
    DefaultProcessing(WM_SIZE, type, MAKELPARAM(client.cx, client.cy));
    if (onResized)
        onResized();
    return true;
}

bool CCustomTreeViewCtrlEx::OnChar(WPARAM character)
{
    // The keypad's keys arrive as VK_ADD and VK_SUBTRACT, which the tree handles itself;
    // the main keyboard's only as characters, which it would take as a search.
    if (character != L'+' && character != L'-')
        return false;
    if (const HTREEITEM caret = GetCaretItem())
        Send(TVM_EXPAND, character == L'+' ? TVE_EXPAND : TVE_COLLAPSE, reinterpret_cast<LPARAM>(caret));
    return true;
}

LRESULT CCustomTreeViewCtrlEx::OnKeyDown(WPARAM wParam, LPARAM lParam)
{
    if (wParam == VK_RETURN) {
        // Not every version of the control reports Enter; the parent hears it once, from here.
        NMHDR header = {get(), static_cast<UINT_PTR>(GetId()), static_cast<UINT>(NM_RETURN)};
        GetParent().Send(WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
        return 0;
    }
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
