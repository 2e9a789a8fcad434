// The message that a worker thread (the main window's scan, a dialog's discovery or save)
// posts to its window as its very last use of it. The window then leaves its busy state, or
// ends itself, on the user-interface thread: a window that went away while the worker was
// still using it, or a worker that ended a dialog itself, would leave the worker holding a
// destroyed object.
#pragma once

#include <windows.h>

#include <functional>

const UINT WM_WORKER_FINISHED = WM_APP + 1;

// Runs task on a new thread, then posts WM_WORKER_FINISHED with `kind` as its wParam to window.
// An exception from the task stops on the worker: what it did before stands, and the window
// hears of the end all the same. False when no thread could be started (the task never runs).
bool StartWorker(HWND window, std::function<void()> task, WPARAM kind = 0);
