// Whether the program can show windows to anybody: a service account's process runs on a
// window station that nobody sees, where a message box would wait for ever.
#pragma once

// False only when the process's window station says it is not visible; true when it cannot
// be asked.
bool DesktopIsVisible();
