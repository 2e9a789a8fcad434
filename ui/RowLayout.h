// Where the device tree view draws a row and its cells, and which point of the tree a mouse
// position stands for. The tree control knows nothing of the horizontal scroll: the view
// shifts only the drawing by scrollOffset (0 or negative), so positions on screen and in the
// tree differ by it.
#pragma once

#include <windows.h>

// The tree's own x for a position drawn at x.
int TreeX(int x, int scrollOffset) noexcept;

struct RowSpans {
    // From the label (or the end of the title column, if that comes first) to the end of the
    // last column, in the item's colours.
    RECT columns;
    // From the end of the last column to the right edge of what is on screen, in the tree's
    // background colour; empty when the columns reach that far.
    RECT beyond;
};

// The spans of a row with the label rectangle and item rectangle the tree gives (in its own
// coordinates), the width of the title column and the sum of the column widths. Whatever the
// tree drew past the title column (a deep row's box and icon in a narrow column, a long
// label) lies inside one of the two spans, so it never shows under the other columns' texts.
RowSpans RowSpansOf(const RECT& label, const RECT& item, int titleEnd, int columnsEnd, int scrollOffset) noexcept;

// The text rectangle of a cell from `left` to `right`, with `padding` inside both edges, as the
// header draws its titles; never of negative width.
RECT CellTextRect(int left, int right, const RECT& row, int padding) noexcept;
