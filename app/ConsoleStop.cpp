#include "app/ConsoleStop.h"

#include <atomic>

#include "platform/Handles.h"
#include "platform/Trace.h"

namespace {

// The handler is a plain function the system calls: its state is the process's. The event
// lives as long as the process, since a handler may still look at it after the run.
std::atomic<bool> g_requested{false};

HANDLE RunFinishedEvent()
{
    static const UniqueKernelHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    return event.get();
}

} // namespace

ConsoleStop::ConsoleStop()
{
    g_requested = false;
    ::ResetEvent(RunFinishedEvent());
    if (!::SetConsoleCtrlHandler(&ConsoleStop::OnControl, TRUE))
        TraceFailure(L"installing the console control handler", ::GetLastError());
}

ConsoleStop::~ConsoleStop()
{
    ::SetEvent(RunFinishedEvent());
    ::SetConsoleCtrlHandler(&ConsoleStop::OnControl, FALSE);
}

bool ConsoleStop::Requested() const
{
    return g_requested.load();
}

BOOL WINAPI ConsoleStop::OnControl(DWORD event)
{
    g_requested = true;
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        ::WaitForSingleObject(RunFinishedEvent(), kLongestWaitMs);
        return TRUE;
    default:
        return FALSE;
    }
}
