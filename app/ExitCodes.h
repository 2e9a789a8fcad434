// The process exit codes, as scripts and deployment tools read them.
#pragma once

#include <windows.h>

// Everything asked for was done.
const int kSucceededExitCode = 0;
// Something failed, or nothing could be done (no window can be shown).
const int kFailedExitCode = 1;
// The command line was not understood; a scripted run then prints the help text.
const int kBadCommandLineExitCode = 2;
// A restore succeeded and Windows needs a restart to finish it (the system's own code for it).
const int kRestartNeededExitCode = ERROR_SUCCESS_REBOOT_REQUIRED;

// The exit code of a run that either did all it was asked or did not.
inline int ExitCodeOf(bool succeeded)
{
    return succeeded ? kSucceededExitCode : kFailedExitCode;
}

// A restore's exit code: 3010 when it succeeded and Windows needs a restart to finish it.
inline int RestoreExitCode(bool restored, bool restartNeeded)
{
    if (!restored)
        return kFailedExitCode;
    return restartNeeded ? kRestartNeededExitCode : kSucceededExitCode;
}
