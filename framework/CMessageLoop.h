// A thread's message loop: offers each message to the registered filters (the most recently
// added first) before translating and dispatching it, and calls the idle handlers whenever
// the queue runs empty. Modal dialogs and menus run loops of their own, which do not call
// these filters.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/CIdleHandler.h"
#include "framework/CMessageFilter.h"

class CMessageLoop {
public:
    void AddMessageFilter(CMessageFilter& filter);
    void RemoveMessageFilter(CMessageFilter& filter) noexcept;
    void AddIdleHandler(CIdleHandler& handler);
    void RemoveIdleHandler(CIdleHandler& handler) noexcept;

    // Runs until WM_QUIT and returns its wParam.
    int Run();

    // True when a filter took the message.
    bool PreTranslateMessage(MSG& message);
    // Calls every idle handler; true when one of them wants more idle time.
    bool OnIdle();

    // Mouse moves, paints and the caret's timer do not count as activity after which the
    // idle handlers run again.
    static bool IsIdleMessage(const MSG& message) noexcept;

private:
    std::vector<CMessageFilter*> filters_;
    std::vector<CIdleHandler*> idleHandlers_;
};
