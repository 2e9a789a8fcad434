// The device tree's tree control: the system tree view with three-state check boxes. A
// click on a box or Space on the selected node toggles it (see CheckPropagation.h), and a
// click on a box selects its row too; a click or double-click to the right of a label acts on
// the label, so the whole row selects. Its view shifts its drawing sideways by the
// horizontal scroll, so mouse positions are shifted back before the control sees them.
#pragma once

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

private:
    LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam);
    // A click toggles a box it hits; a double-click on a box goes no further.
    LRESULT OnLeftButton(UINT message, WPARAM wParam, LPARAM lParam);
    // The point of a mouse message moved onto the middle of the label when it lies exactly
    // to the right of one; unchanged otherwise. hitFlags receives the hit test's flags.
    LPARAM PointOnLabel(LPARAM lParam, HTREEITEM& item, UINT& hitFlags) const;
    // A mouse position on screen as a position in the tree's own coordinates.
    LPARAM Unscrolled(LPARAM lParam) const noexcept;

    int scrollOffset_ = 0;
};
