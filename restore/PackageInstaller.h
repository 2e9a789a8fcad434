// Hands a checked package to the system: stages it (SetupCopyOEMInfW), installs it on the
// devices it is to be installed on (UpdateDriverForPlugAndPlayDevicesW, once per hardware
// ID), and reads each device's outcome back from its driver key, since the installer's own
// answer cannot be trusted (it reports success for an ID that no device has).
#pragma once

#include <windows.h>

#include <string>

#include "model/IProgressReporter.h"
#include "restore/DriverPackage.h"

// Publishes the INF; sets publishedInf, or error with the system's reason.
bool StagePackage(DriverPackage& package);

enum class InstallRun {
    Finished,   // every install call returned; each device's installed and error tell the outcome
    Abandoned,  // the reporter asked to stop while an install call was still running
};

// Installs the staged package on each device whose action is Install. The install calls run
// on a thread of their own; while one runs, the reporter is asked every fifth of a second
// (with fraction) whether to go on. A call that the user gave up on is left to finish alone.
InstallRun InstallOnDevices(DriverPackage& package, IProgressReporter& reporter, double fraction);

// What a device's driver key names now.
struct DriverKeyValues {
    bool found = false;  // the device and its driver key exist
    std::wstring infPath;
    std::wstring infSection;
    std::wstring driverVersion;
};
DriverKeyValues ReadDriverKey(const std::wstring& instanceId);

// The key names the package: its published INF (letters A to Z in any case) and the model's
// install section.
bool NamesPackage(const DriverKeyValues& key, const std::wstring& publishedInf, const std::wstring& section);

// The system's text for an error code, with the code: "The system cannot find the file
// specified. (error 2)".
std::wstring ErrorText(DWORD error);
