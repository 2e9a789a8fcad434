#include "framework/CMessageLoop.h"

#include <algorithm>

namespace {

template <typename T>
void RemoveEntry(std::vector<T*>& entries, T* entry) noexcept
{
    entries.erase(std::remove(entries.begin(), entries.end(), entry), entries.end());
}

const UINT kSystemTimer = 0x0118;  // the caret blink timer's message

} // namespace

void CMessageLoop::AddMessageFilter(CMessageFilter& filter)
{
    filters_.push_back(&filter);
}

void CMessageLoop::RemoveMessageFilter(CMessageFilter& filter) noexcept
{
    RemoveEntry(filters_, &filter);
}

void CMessageLoop::AddIdleHandler(CIdleHandler& handler)
{
    idleHandlers_.push_back(&handler);
}

void CMessageLoop::RemoveIdleHandler(CIdleHandler& handler) noexcept
{
    RemoveEntry(idleHandlers_, &handler);
}

int CMessageLoop::Run()
{
    MSG message = {};
    bool idle = true;
    for (;;) {
        while (idle && !::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE))
            idle = OnIdle();

        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0)
            return static_cast<int>(message.wParam);
        if (got == -1)
            return 0;
        if (!PreTranslateMessage(message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (IsIdleMessage(message))
            idle = true;
    }
}

bool CMessageLoop::PreTranslateMessage(MSG& message)
{
    // A filter may unregister itself (or another) while it handles the message: walk a copy.
    const std::vector<CMessageFilter*> filters = filters_;
    for (auto it = filters.rbegin(); it != filters.rend(); ++it) {
        if (std::find(filters_.begin(), filters_.end(), *it) != filters_.end() && (*it)->PreTranslateMessage(message))
            return true;
    }
    return false;
}

bool CMessageLoop::OnIdle()
{
    const std::vector<CIdleHandler*> handlers = idleHandlers_;
    bool more = false;
    for (CIdleHandler* handler : handlers) {
        if (std::find(idleHandlers_.begin(), idleHandlers_.end(), handler) != idleHandlers_.end())
            more = handler->OnIdle() || more;
    }
    return more;
}

bool CMessageLoop::IsIdleMessage(const MSG& message) noexcept
{
    switch (message.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case kSystemTimer:
        return false;
    default:
        return true;
    }
}
