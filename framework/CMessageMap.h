// What a window or dialog object of the program is to its procedure: a message map tried
// before default processing, and a last call once its window is gone. An object is bound to
// one window, so it cannot be copied.
#pragma once

#include <windows.h>

class CMessageMap {
public:
    CMessageMap(const CMessageMap&) = delete;
    CMessageMap& operator=(const CMessageMap&) = delete;

    // The message map: true when the message was handled, with its result in `result`.
    virtual bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
    virtual ~CMessageMap() = default;
    // Called after WM_NCDESTROY, when the window is gone and the object no longer bound. It
    // runs outside the message map's guard, so it may not throw.
    virtual void OnFinalMessage(HWND window) noexcept;

protected:
    CMessageMap() = default;
};

// Offers a message to the map. An exception from a handler stops here, so it never unwinds
// through the system's code that called the procedure: the message then counts as not
// handled, and `failed` is set.
bool OfferMessage(CMessageMap& map, HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                  bool& failed) noexcept;
