// The device tree view: a column header ("Title", "Version", "Date", "Provider") over the
// device tree, with the class icons and check box pictures. It draws the extra columns over
// the tree's rows, scrolls header and rows together horizontally, and passes the tree's
// selection changes and double-clicks on to its parent. Its pixel sizes follow the window's
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

    // The sum of the column widths: how far a row's drawing reaches.
    int TotalColumnWidth() const noexcept;

    UINT Dpi() const noexcept { return dpi; }
    // Space inside each cell's edges.
    int CellPadding() const noexcept { return cellPadding; }
    // Rescales the columns, header, indent, check boxes and font from the current DPI to `newDpi`.
    void SetDpi(UINT newDpi);
    // Back to the left edge, as after a new scan.
    void ResetScroll();

    CCustomTreeViewCtrlEx tree;
    CWindow header;
    // The setup classes' icons; the tree's normal image list; lent to the device list, which
    // looks up each class's image in it.
    ClassImageList classImages;
    // The header items point at these entries.
    std::array<Column, 4> columns;
    // Minus the horizontal scroll position: 0 or negative.
    int scrollOffset;
    UniqueImageList stateImages;

private:
    UINT dpi = kDefaultDpi;
    // The DPI the controls' own font was made for, and that font scaled to another DPI.
    UINT fontDpi = kDefaultDpi;
    UniqueFont scaledFont;
    // The tree's own font, which belongs to the tree.
    HFONT baseFont = nullptr;
    // Space inside a cell's edges, as the header keeps around its titles.
    int cellPadding = 0;

    LRESULT OnCreate();
    void Layout();
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
