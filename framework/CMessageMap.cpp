#include "framework/CMessageMap.h"

#include "platform/Trace.h"

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

std::optional<LRESULT> CMessageMap::OnCreate(const CREATESTRUCTW&)
{
    return std::nullopt;
}

bool CMessageMap::OnSize(UINT, SIZE)
{
    return false;
}

bool CMessageMap::OnDpiChanged(UINT, const RECT&)
{
    return false;
}

bool CMessageMap::ProcessDecodedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_CREATE: {
        if (!lParam)
            return false;
        const std::optional<LRESULT> answer = OnCreate(*reinterpret_cast<const CREATESTRUCTW*>(lParam));
        if (!answer)
            return false;
        result = *answer;
        return true;
    }
    case WM_SIZE:
        result = 0;
        return OnSize(static_cast<UINT>(wParam), {LOWORD(lParam), HIWORD(lParam)});
    case WM_DPICHANGED:
        // A DPI of 0 or no rectangle is no change anyone could act on.
        result = 0;
        return HIWORD(wParam) != 0 && lParam && OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
    default:
        break;
    }
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
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_INITDIALOG:
    case WM_CREATE:
    case WM_SIZE:
    case WM_DPICHANGED:
        return true;
    default:
        return false;
    }
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
        TraceFailure(L"a window procedure");
        failed = true;
        return false;
    }
}
