// Hands a checked package to the system: stages it (SetupCopyOEMInfW), installs it on the
// devices it is to be installed on (UpdateDriverForPlugAndPlayDevicesW, once per hardware
// ID), and reads each device's outcome back from its driver key, since the installer's own
// answer cannot be trusted (it reports success for an ID that no device has).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "model/IProgressReporter.h"
#include "platform/DriverKey.h"
#include "backup/DriverPackage.h"
#include "restore/RestoreDecision.h"

// Publishes the INF; sets publishedInf, or error with the system's reason.
bool StagePackage(DriverPackage& package);

enum class InstallRun {
    Finished,   // every install call returned; each device's installed and error tell the outcome
    Abandoned,  // the reporter asked to stop while an install call was still running
    TimedOut,   // an install call was still running when its time was up
};

// How long one install call may take. The system's installer waits for ever for a file
// that went missing, so a call past this is given up on.
const DWORD kInstallTimeLimitMs = 5 * 60 * 1000;

// Installs the staged package with the calls planned for it (PlannedCalls), each forced or
// not as planned. The install calls run as tasks of their own; while one runs, the reporter
// is asked every fifth of a second (with fraction) whether to go on. A call that the user gave
// up on, or that ran past timeLimitMs, is left to finish alone; the devices it was for get
// the reason as their error.
InstallRun InstallOnDevices(DriverPackage& package, const std::vector<PlannedCall>& calls, IProgressReporter& reporter,
                            double fraction, DWORD timeLimitMs = kInstallTimeLimitMs);

// The destinations of the package's files that do not hold a file of the size checked (a
// compressed source only needs its file there), for the devices it was installed on.
std::vector<std::wstring> FilesNotInstalled(const DriverPackage& package);

// The key names the package: its published INF (compared as the file system compares names)
// and the model's install section.
bool NamesPackage(const DriverKeyValues& key, const std::wstring& publishedInf, const std::wstring& section);
