#include "ui/HorizontalScroll.h"

#include <windows.h>

#include <algorithm>

int ScrollTarget(int request, int thumb, const ScrollState& state) noexcept
{
    const int lastPage = state.maximum - state.page + 1;
    switch (request) {
    case SB_LINELEFT:
        return std::max(state.position - state.lineStep, 0);
    case SB_LINERIGHT:
        return std::min(state.position + state.lineStep, lastPage);
    case SB_PAGELEFT:
        return std::max(state.position - state.page, 0);
    case SB_PAGERIGHT:
        return std::min(state.position + state.page, lastPage);
    case SB_LEFT:
        return 0;
    case SB_RIGHT:
        return lastPage;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        return thumb != 0 ? std::min(thumb, state.maximum) : 0;
    default:
        return state.position;
    }
}

int ClampedScrollPosition(int position, int maximum, int page) noexcept
{
    const int lastPage = std::max(maximum - page + 1, 0);
    return std::clamp(position, 0, lastPage);
}
