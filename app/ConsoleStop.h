// A console's Ctrl+C, Ctrl+Break, closing the console window, logging off and shutting down stop
// a command-line run the way the Cancel button stops a save in the window: the run is asked to
// stop at its next progress report, marks the device folder it was copying, and its log is
// moved, written out and opened before the process goes. Without this the system ends the
// process at once, with a file half copied and the log left in the temporary folder.
#pragma once

#include <windows.h>

class ConsoleStop {
public:
    // Installs the console control handler for the life of the object; one at a time.
    ConsoleStop();
    // Lets a handler that waits for the run (close, log-off, shut-down) return, and removes it.
    ~ConsoleStop();
    ConsoleStop(const ConsoleStop&) = delete;
    ConsoleStop& operator=(const ConsoleStop&) = delete;

    // Whether a control event has asked the run to stop.
    bool Requested() const;

    // The handler the system calls on its own thread. Every event asks the run to stop. Ctrl+C
    // and Ctrl+Break are then handled, and the process goes on to its end. After a close,
    // log-off or shut-down the system ends the process as soon as the handler returns, so the
    // handler waits (a few seconds at most: the system's own limit is about five) until the run
    // has finished its log.
    static BOOL WINAPI OnControl(DWORD event);

    // How long a close, log-off or shut-down waits for the run.
    static const DWORD kLongestWaitMs = 4500;
};
