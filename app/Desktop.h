// Whether the program can show windows to anybody: a service account's process runs on a
// window station that nobody sees, where a message box would wait for ever.
#pragma once

// False only when the process's window station says it is not visible; true when it cannot
// be asked.
bool DesktopIsVisible();

// A run that nobody watches: its output redirected (a script, a CI job) or no visible desktop
// (a scheduled task, a service account). Such a run prints its log's path as its last line
// instead of starting a viewer that nobody would see or close. Asked before SetUpConsole,
// which may replace the standard handles.
bool RunIsUnwatched();
