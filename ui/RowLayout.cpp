#include "ui/RowLayout.h"

#include <algorithm>

int TreeX(int x, int scrollOffset) noexcept
{
    return x - scrollOffset;
}

RowSpans RowSpansOf(const RECT& label, const RECT& item, int titleEnd, int columnsEnd, int scrollOffset) noexcept
{
    RowSpans spans = {};
    const LONG columnsLeft = std::min<LONG>(label.left, std::min(titleEnd, columnsEnd));
    const LONG columnsRight = columnsEnd;
    spans.columns = {columnsLeft, item.top, columnsRight, item.bottom};
    // The item rectangle covers the tree's client width in its own coordinates; the drawing is
    // shifted left by the scroll, so the screen's right edge lies further right.
    const LONG screenRight = std::max<LONG>(TreeX(item.right, scrollOffset), label.right);
    spans.beyond = {columnsRight, item.top, std::max(columnsRight, screenRight), item.bottom};
    return spans;
}

RECT CellTextRect(int left, int right, const RECT& row, int padding) noexcept
{
    const int textLeft = left + padding;
    return {textLeft, row.top, std::max(textLeft, right - padding), row.bottom};
}
