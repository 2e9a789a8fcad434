// The device tree view: a column header ("Title", "Version", "Date", "Provider") over the
// device tree, with the class icons and check box pictures. It draws the extra columns over
// the tree's rows, scrolls header and rows together horizontally, and passes the tree's
// selection changes and double-clicks on to its parent.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <array>
#include <string>

#include "model/DeviceInfo.h"
#include "framework/CWindowImpl.h"
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

    CCustomTreeViewCtrlEx tree;
    CWindow header;
    // The setup classes' icons; the tree's normal image list; lent to the device list, which
    // looks up each class's image in it.
    SP_CLASSIMAGELIST_DATA classImages;
    // The header items point at these entries.
    std::array<Column, 4> columns;
    // Minus the horizontal scroll position: 0 or negative.
    int scrollOffset;
    UniqueImageList stateImages;

private:
    LRESULT OnCreate();
    void Layout();
    void OnHScroll(WPARAM wParam);
    LRESULT OnNotify(WPARAM wParam, NMHDR& header);
    LRESULT OnTreeCustomDraw(NMTVCUSTOMDRAW& draw);
    void DrawRow(const NMTVCUSTOMDRAW& draw);
    void DrawColumns(HDC dc, HTREEITEM item, const RECT& row, const DeviceInfo* device);
    void BuildCheckBoxImages();
    void PlaceHeader(const RECT& client);
};
