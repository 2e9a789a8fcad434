// The message that a window's BackgroundTask (the main window's scan, a dialog's discovery,
// save or check) posts to it as the task's very last use of it. The window then leaves its
// busy state, or ends itself, on the user-interface thread: a window that went away while the
// worker was still using it, or a worker that ended a dialog itself, would leave the worker
// holding a destroyed object.
#pragma once

#include <windows.h>

const UINT WM_WORKER_FINISHED = WM_APP + 1;
