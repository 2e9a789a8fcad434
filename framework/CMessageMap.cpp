#include "framework/CMessageMap.h"

void CMessageMap::OnFinalMessage(HWND) noexcept
{
}

bool OfferMessage(CMessageMap& map, HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                  bool& failed) noexcept
{
    failed = false;
    try {
        return map.ProcessWindowMessage(window, message, wParam, lParam, result);
    } catch (...) {
        failed = true;
        return false;
    }
}
