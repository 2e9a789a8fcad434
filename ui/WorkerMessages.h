// Messages that a dialog's worker thread posts to the dialog when its run is over. The
// worker touches nothing of the dialog after posting, and the dialog ends itself on the
// user-interface thread: a worker that ended the dialog itself could still be using it
// when the dialog object is destroyed.
#pragma once

#include <windows.h>

const UINT WM_WORKER_FINISHED = WM_APP + 1;
