// What happens to a package of a backup, and why: one value from its check to the end of a
// restore, and the one table of its words that the console, the log, the plan, the
// verification and both dialogs show. The run changes a decision into what it did; a package
// the run leaves alone (refused, or skipped for a reason the check found) keeps its decision.
#pragma once

#include <string>
#include <vector>

enum class PackageOutcome {
    Unchecked,
    // What the check decides, before anything is installed.
    ToInstall,           // matches present devices and may be installed on them
    ToStage,             // matches no present device: staged, for Windows to use when one appears
    Newer,               // every matched device has a newer driver
    NotForArchitecture,  // its models are all for other processors than this PC's
    NewerInBackup,       // another package of the backup serves the same devices (kept by the run)
    FilesMissing,        // a file the installation needs is not in the package's folder
    FilesDamaged,        // a file does not match the package's catalogs (or a catalog is unusable)
    InfRefused,          // the INF cannot be read or names what may not be used, or the system would not stage it
    // What the run did.
    Installed,
    Staged,
    Skipped,
    InstallFailed,
};

enum class DeviceAction {
    Install,
    Skip,  // its installed driver is newer than the package's
};

// The words of an outcome, each where it is shown.
struct OutcomeWords {
    // The decision as the plan words it, and the list before the run: "install",
    // "skip: installed driver is newer", "refuse: files missing". A refusal with a reason of
    // its own (the INF's) takes that instead of the part after "refuse: ".
    const wchar_t* decision;
    // What the log and the list say once the run is past the package: "installed",
    // "skipped: a newer package in this backup", "INF refused". The log starts its line with
    // it ("Installed.", "ERROR: Files missing.").
    const wchar_t* result;
    // What the verification says: "damaged", "incomplete", "refused"; none for a sound
    // package, which is "intact" with catalogs and "unsigned" without.
    const wchar_t* verdict;
    // Nothing is left to fix: installed, staged, or skipped for a reason that needs no fixing.
    bool settled;
    // The check refuses the package: it is never handed to the installer.
    bool refused;
};

const OutcomeWords& WordsOf(PackageOutcome outcome);

// Install, unless the restore is not forced and the device's driver is newer than the
// package's version, or the package's version cannot be read while the driver's can. A
// device whose driver's version cannot be read (or that has no driver) gets the package.
DeviceAction DecideDevice(const std::wstring& installedVersion, const std::wstring& packageVersion, bool force);

// The check's decision on a package: refused and missing files first, as such a package must
// never reach the installer; then whether any matched device is to get the driver.
PackageOutcome PlanPackage(bool infRead, bool filesComplete, const std::vector<DeviceAction>& actions);

// What a planned package became once the run has staged it (staged) and installed it on the
// devices it was to be installed on (installedAll: each of them reads back the package).
PackageOutcome RunOutcome(PackageOutcome plan, bool staged, bool installedAll);

// Whether the run has been at the package: the outcome says what the run did.
bool IsRunResult(PackageOutcome outcome);
// The run's success: the package was installed or staged.
bool IsRestored(PackageOutcome outcome);
// The run left nothing to fix for the package (settled in the table).
bool LeavesNothingToFix(PackageOutcome outcome);
// A package that the run hands to the system (staged and, with devices, installed).
bool IsInstallable(PackageOutcome outcome, bool force);
// A package that the verification finds whole: nothing missing, damaged or refused in it.
bool IsSound(PackageOutcome outcome);
// A package that the check refuses (refused in the table).
bool IsRefused(PackageOutcome outcome);
