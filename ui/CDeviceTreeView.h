// The device tree view: a column header ("Title", "Version", "Date", "Provider") over the
// device tree, with the class icons and check box pictures. It draws the extra columns over
// the tree's rows, scrolls header and rows together horizontally, and passes the tree's
// selection changes, double-clicks and Enter on to its parent. Its pixel sizes follow the window's
// DPI: measured at creation, and set anew by SetDpi when the window moves to another screen.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <array>
#include <string>

#include "model/DeviceInfo.h"
#include "framework/CWindowImpl.h"
#include "framework/Dpi.h"
#include "platform/ClassImageList.h"
#include "platform/Handles.h"
#include "ui/CCustomTreeViewCtrlEx.h"

class CDeviceTreeView : public CWindowImpl<CDeviceTreeView, CWindow> {
public:
    struct Column {
        int width;
        std::wstring title;
    };

    CDeviceTreeView();
    ~CDeviceTreeView() override;

    static WindowClassInfo GetWndClassInfo();
    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    CCustomTreeViewCtrlEx& Tree() noexcept { return tree; }
    const CCustomTreeViewCtrlEx& Tree() const noexcept { return tree; }
    const CWindow& Header() const noexcept { return header; }
    // The setup classes' icons; the tree's normal image list; lent to the device list, which
    // looks up each class's image in it.
    ClassImageList& ClassImages() noexcept { return classImages; }
    // The check box pictures (the tree's state images).
    HIMAGELIST StateImages() const noexcept { return stateImages.get(); }

    size_t ColumnCount() const noexcept { return columns.size(); }
    // The header items point at these entries.
    const Column& GetColumn(size_t index) const { return columns.at(index); }
    // As when the user drags the column's divider there.
    void SetColumnWidth(size_t index, int width);
    // The sum of the column widths: how far a row's drawing reaches.
    int TotalColumnWidth() const noexcept;
    // Minus the horizontal scroll position: 0 or negative.
    int ScrollOffset() const noexcept { return scrollOffset; }

    UINT Dpi() const noexcept { return dpi; }
    // Space inside each cell's edges.
    int CellPadding() const noexcept { return cellPadding; }
    // Rescales the columns, header, indent, check boxes and font from the current DPI to `newDpi`.
    void SetDpi(UINT newDpi);
    // Back to the left edge, as after a new scan.
    void ResetScroll();
    // Where a context menu for a device row opens, in screen coordinates. `screen` is
    // WM_CONTEXTMENU's point: -1 from the keyboard (under the caret's row, or the tree's corner
    // when that row is out of sight); else a right-click, whose row becomes the selected one.
    // False when there is no row to act on.
    bool ContextMenuPoint(LPARAM screen, POINT& point);

private:
    CCustomTreeViewCtrlEx tree;
    CWindow header;
    ClassImageList classImages;
    std::array<Column, 4> columns;
    int scrollOffset;
    UniqueImageList stateImages;
    UINT dpi = kDefaultDpi;
    // The DPI the controls' own font was made for, and that font scaled to another DPI.
    UINT fontDpi = kDefaultDpi;
    UniqueFont scaledFont;
    // The tree's own font, which belongs to the tree.
    HFONT baseFont = nullptr;
    // Space inside a cell's edges, as the header keeps around its titles.
    int cellPadding = 0;

    std::optional<LRESULT> OnCreate(const CREATESTRUCTW& create) override;
    bool OnSize(UINT type, SIZE client) override;
    void Layout();
    // The scroll range and page as the tree's rows show now (the tree's vertical bar takes
    // from the page), with the position brought back within them.
    void UpdateScrollRange();
    void OnHScroll(WPARAM wParam);
    std::optional<LRESULT> OnNotify(NMHDR& header) override;
    LRESULT OnTreeCustomDraw(NMTVCUSTOMDRAW& draw);
    void DrawRow(const NMTVCUSTOMDRAW& draw);
    void DrawColumns(HDC dc, HTREEITEM item, const RECT& row, const DeviceInfo* device);
    void BuildCheckBoxImages();
    void ApplyFont();
    void ApplyRowMetrics();
    void ScrollTo(int position);
    int HeaderHeight() const;
    void PlaceHeader(const RECT& client);
};
