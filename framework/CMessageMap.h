// What a window or dialog object of the program is to its procedure: a message map tried
// before default processing, and a last call once its window is gone. An object is bound to
// one window, so it cannot be copied.
//
// WM_COMMAND, WM_NOTIFY, WM_CREATE, WM_SIZE and WM_DPICHANGED (and, in a dialog,
// WM_INITDIALOG) are decoded here, once, into typed calls; they never reach
// ProcessWindowMessage. A class overrides the typed calls for the
// commands and notifications it owns and calls its base class's where the base has its own.
#pragma once

#include <windows.h>

#include <optional>

class CMessageMap {
public:
    CMessageMap(const CMessageMap&) = delete;
    CMessageMap& operator=(const CMessageMap&) = delete;

    // The map of every message that is not decoded: true when the message was handled, with
    // its result in `result`. None by default.
    virtual bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // A command from a menu, an accelerator or a control: its id, its notification code and
    // the control that sent it (null for menus and accelerators). True when handled.
    virtual bool OnCommand(UINT id, UINT code, HWND control);
    // A notification from a child control: its result when handled, nothing otherwise.
    virtual std::optional<LRESULT> OnNotify(NMHDR& header);
    // WM_CREATE: the window exists, its children not yet. 0 to go on, -1 to stop the
    // creation; nothing leaves the message to default processing (a superclassed control
    // sets itself up there).
    virtual std::optional<LRESULT> OnCreate(const CREATESTRUCTW& create);
    // WM_SIZE: the kind of change (SIZE_MAXIMIZED, ...) and the new client size. True when
    // handled; false leaves it to default processing.
    virtual bool OnSize(UINT type, SIZE client);
    // WM_DPICHANGED: the window's new DPI and the window rectangle the system suggests for
    // it. True when handled.
    virtual bool OnDpiChanged(UINT dpi, const RECT& suggested);
    // Turns a decoded message into its typed call: true when that call handled it.
    virtual bool ProcessDecodedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    virtual ~CMessageMap() = default;
    // Called after WM_NCDESTROY, when the window is gone and the object no longer bound. It
    // runs outside the message map's guard, so it may not throw.
    virtual void OnFinalMessage(HWND window) noexcept;

protected:
    CMessageMap() = default;
};

// Whether a message goes to the typed calls rather than to ProcessWindowMessage.
bool IsDecodedMessage(UINT message) noexcept;

// Offers a message to the map. An exception from a handler stops here, so it never unwinds
// through the system's code that called the procedure: the message then counts as not
// handled, and `failed` is set.
bool OfferMessage(CMessageMap& map, HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                  bool& failed) noexcept;
