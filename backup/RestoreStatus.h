// The decisions of a restore: whether a device gets the package's driver, what the check
// before installing makes of a package, and what the run made of it in the end.
#pragma once

#include <string>
#include <vector>

enum class DeviceAction {
    Install,
    Skip,  // its installed driver is newer than the package's
};

enum class PackageStatus {
    Unchecked,
    // The check's verdicts, before anything is installed.
    ToInstall,     // matches present devices and may be installed on them
    ToStage,       // matches no present device: staged, for Windows to use when one appears
    Newer,         // every matched device has a newer driver
    NotForArchitecture, // its models are all for other processors than this PC's
    NewerInBackup, // another package of the backup serves the same devices (kept by the run)
    FilesMissing,  // a file the installation needs is not in the package's folder
    FilesDamaged,  // a file does not match the package's catalog (or the catalog is unusable)
    InfRefused,    // the INF cannot be read, or the system would not stage it
    // What the run did.
    Installed,
    Staged,
    Skipped,
    InstallFailed,
};

// Install, unless the restore is not forced and the device's driver is newer than the
// package's version, or the package's version cannot be read while the driver's can. A
// device whose driver's version cannot be read (or that has no driver) gets the package.
DeviceAction DecideDevice(const std::wstring& installedVersion, const std::wstring& packageVersion, bool force);

// The check's verdict on a package: refused and missing files first, as such a package must
// never reach the installer; then whether any matched device is to get the driver.
PackageStatus PlanPackage(bool infRead, bool filesComplete, const std::vector<DeviceAction>& actions);

// The outcome of a planned package once the run has staged it (staged) and installed it on
// the devices it was to be installed on (installedAll: each of them reads back the package).
PackageStatus RunOutcome(PackageStatus plan, bool staged, bool installedAll);

// The run's success: the package was installed or staged.
bool IsRestored(PackageStatus status);
// The run left nothing to fix for the package: installed, staged, or skipped because a newer
// driver is installed, a newer package of the backup serves its devices, or it is not made
// for this PC's processor.
bool LeavesNothingToFix(PackageStatus status);
// A package that the run hands to the system (staged and, with devices, installed).
bool IsInstallable(PackageStatus status, bool force);

// The status as the dialog and the log show it: "installed", "staged (no device present)",
// "skipped (installed driver is newer)", "files missing", ...
std::wstring StatusText(PackageStatus status);
