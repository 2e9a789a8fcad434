// The device tree's tree control: the system tree view with three-state check boxes. A
// click on a box or Space on the selected node toggles it (see CheckPropagation.h); a click
// or double-click to the right of a label acts on the label, so the whole row selects.
#pragma once

#include "framework/CTreeViewCtrlEx.h"
#include "framework/CWindowImpl.h"

class CCustomTreeViewCtrlEx : public CWindowImpl<CCustomTreeViewCtrlEx, CTreeViewCtrlExT<CWindow>> {
public:
    // A superclass of SysTreeView32: what this class leaves goes to the system's procedure.
    static WindowClassInfo GetWndClassInfo();

    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    void ToggleCheck(HTREEITEM item);

private:
    LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam);
    // A click toggles a box it hits; a double-click on a box goes no further.
    LRESULT OnLeftButton(UINT message, WPARAM wParam, LPARAM lParam);
    // The point of a mouse message moved onto the middle of the label when it lies exactly
    // to the right of one; unchanged otherwise. hitFlags receives the hit test's flags.
    LPARAM PointOnLabel(LPARAM lParam, HTREEITEM& item, UINT& hitFlags) const;
};
