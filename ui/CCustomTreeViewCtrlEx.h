// The device tree's tree control: the system tree view with three-state check boxes. A
// click on a box or Space on the selected node toggles it (see CheckPropagation.h), and a
// click on a box selects its row too; a click or double-click to the right of a label acts on
// the label, so the whole row selects. Its view shifts its drawing sideways by the
// horizontal scroll, so mouse positions are shifted back before the control sees them.
// Keyboard: `+` and `-` of the main keyboard open and close the row's node as the keypad's
// do, Enter is passed to the parent as NM_RETURN, and Shift+F10 asks for a context menu
// (WM_CONTEXTMENU from the keyboard) as the Menu key does.
#pragma once

#include <functional>

#include "framework/CTreeViewCtrlEx.h"
#include "framework/CWindowImpl.h"

class CCustomTreeViewCtrlEx : public CWindowImpl<CCustomTreeViewCtrlEx, CTreeViewCtrlExT<CWindow>> {
public:
    // A superclass of SysTreeView32: what this class leaves goes to the system's procedure.
    static WindowClassInfo GetWndClassInfo();

    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    void ToggleCheck(HTREEITEM item);
    // The view's horizontal shift of the drawing: 0 or negative.
    void SetScrollOffset(int offset) noexcept { scrollOffset_ = offset; }
    bool OnSize(UINT type, SIZE client) override;

    // Called after the tree's client area changed size (its vertical bar came or went).
    std::function<void()> onResized;

private:
    LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam);
    // `+` and `-` typed: expand or collapse the caret's node. False for other characters.
    bool OnChar(WPARAM character);
    // A click toggles a box it hits; a double-click on a box goes no further.
    LRESULT OnLeftButton(UINT message, WPARAM wParam, LPARAM lParam);
    // The point of a mouse message moved onto the middle of the label when it lies exactly
    // to the right of one; unchanged otherwise. hitFlags receives the hit test's flags.
    LPARAM PointOnLabel(LPARAM lParam, HTREEITEM& item, UINT& hitFlags) const;
    // A mouse position on screen as a position in the tree's own coordinates.
    LPARAM Unscrolled(LPARAM lParam) const noexcept;

    int scrollOffset_ = 0;
};
