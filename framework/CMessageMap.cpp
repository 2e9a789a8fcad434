#include "framework/CMessageMap.h"

bool CMessageMap::ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}

bool CMessageMap::OnCommand(UINT, UINT, HWND)
{
    return false;
}

std::optional<LRESULT> CMessageMap::OnNotify(NMHDR&)
{
    return std::nullopt;
}

bool CMessageMap::ProcessDecodedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_COMMAND) {
        if (!OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)))
            return false;
        result = 0;
        return true;
    }
    if (message == WM_NOTIFY && lParam) {
        const std::optional<LRESULT> answer = OnNotify(*reinterpret_cast<NMHDR*>(lParam));
        if (!answer)
            return false;
        result = *answer;
        return true;
    }
    return false;
}

void CMessageMap::OnFinalMessage(HWND) noexcept
{
}

bool IsDecodedMessage(UINT message) noexcept
{
    return message == WM_COMMAND || message == WM_NOTIFY || message == WM_INITDIALOG;
}

bool OfferMessage(CMessageMap& map, HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                  bool& failed) noexcept
{
    failed = false;
    try {
        if (IsDecodedMessage(message))
            return map.ProcessDecodedMessage(message, wParam, lParam, result);
        return map.ProcessWindowMessage(window, message, wParam, lParam, result);
    } catch (...) {
        failed = true;
        return false;
    }
}
