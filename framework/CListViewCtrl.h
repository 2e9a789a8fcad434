// A report-style list view control, as the program's dialogs use it: columns whose widths are
// given for 96 DPI and scaled to the window's DPI (and rescaled when it moves to another
// screen), rows of texts with an image and a record each, and check boxes. Non-owning, like
// CWindow: the dialog owns the control.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/CWindow.h"

class CListViewCtrl : public CWindow {
public:
    struct Column {
        std::wstring title;
        int width;                 // pixels at 96 DPI
        int format = LVCFMT_LEFT;  // LVCFMT_LEFT or LVCFMT_RIGHT
    };

    CListViewCtrl(HWND window = nullptr) noexcept : CWindow(window) {}

    // Appends the columns with their widths scaled to `dpi`.
    void AddColumns(const std::vector<Column>& columns, UINT dpi) const;
    // Every column's present width (the user may have changed it) from one DPI to another.
    void RescaleColumns(UINT from, UINT to) const;
    int ColumnCount() const noexcept;
    int ColumnWidth(int column) const noexcept;

    // Appends a row: texts[0] is the item's, the rest its sub-items'. image -1: none given
    // (I_IMAGENONE: none where the list has images). The
    // row's index, or -1 when it could not be added.
    int AddRow(const std::vector<std::wstring>& texts, LPARAM data = 0, int image = -1) const;
    void SetSubItemText(int item, int subItem, const std::wstring& text) const;
    LPARAM ItemData(int item) const noexcept;
    int ItemCount() const noexcept;
    // The first selected row, -1 when none is.
    int SelectedItem() const noexcept;

    // The row's check box (LVS_EX_CHECKBOXES).
    bool IsChecked(int item) const noexcept;
    void SetChecked(int item, bool checked) const noexcept;
    int CheckedCount() const noexcept;

    // Answers LVN_GETINFOTIPW with `text`, cut to the buffer the control offers (a tooltip is
    // only a hint: the column still shows the row's own text).
    static void SetInfoTipText(NMLVGETINFOTIPW& tip, const std::wstring& text) noexcept;
};
