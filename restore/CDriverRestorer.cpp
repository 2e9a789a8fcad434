#include "restore/CDriverRestorer.h"

#include "platform/ShellPath.h"
#include "platform/Trace.h"
#include "backup/BackupCheck.h"
#include "backup/ExtractedZip.h"
#include "backup/OutcomeText.h"
#include "backup/PackageFinder.h"
#include "restore/BackupDecision.h"
#include "restore/PackageInstaller.h"
#include "restore/RestoreDecision.h"

namespace {

// The parts of a package's step: staging, then installing.
const double kStageShare = 0.2;

} // namespace

void ForceOverNewer(DriverPackage& package)
{
    package.force = true;
    for (MatchedDevice& device : package.devices)
        device.action = DeviceAction::Install;
    if (package.outcome == PackageOutcome::Newer)
        package.outcome = PackageOutcome::ToInstall;
}

CDriverRestorer::CDriverRestorer(IProgressReporter& progressReporter, IShellOpen& shell,
                                 const SystemFolders& folders)
    : log(shell, folders.tempDir, L"restore-log"),
      tempDir(folders.tempDir),
      reporter(&progressReporter)
{
    // Read-only media is said: the restored folder exists, so the log was meant to go there.
    log.SayFailedMove();
}

CDriverRestorer::~CDriverRestorer()
{
    log.Finish();
}

bool CDriverRestorer::OpenLog(const FolderPath& restoredFolder, FILE* console)
{
    folder = restoredFolder;
    logStarted = true;
    // A zip's log cannot go into it: it stays in the temporary folder.
    const bool opened = log.Open(IsZipBackup(restoredFolder) ? std::nullopt : folder, console);
    // Without its file the run still tells the console, and says why first.
    if (!opened)
        log.Print(L"WARNING: The log cannot be written in %s: %s\n", tempDir.c_str(), SystemErrorText(::GetLastError()).c_str());
    log.Print(L"Checking driver packages...\n");
    return opened;
}

bool CDriverRestorer::FindPackages(const FolderPath& restoredFolder, bool force)
{
    folder = restoredFolder;
    zipRefusal.clear();
    if (IsZipBackup(restoredFolder)) {
        // Installed from the extracted folder, which stays until the restorer goes.
        extracted = ExtractForReading(restoredFolder, tempDir, *reporter, log, zipRefusal);
        if (!extracted) {
            packages.clear();
            return false;
        }
    }
    packages = FindDriverPackages(extracted ? extracted->Folder() : restoredFolder);
    if (!CheckPackages(packages, force, tempDir, *reporter))
        return false;
    MergeIdenticalPackages(packages);
    DecideTogether(packages);
    return true;
}

bool CDriverRestorer::RestoreAll(FILE* console)
{
    if (!logStarted)
        log.Open(folder && IsZipBackup(*folder) ? std::nullopt : folder, console);
    logStarted = true;
    int n = 0;
    for (const DriverPackage& package : packages)
        n += package.selected && package.outcome != PackageOutcome::NewerInBackup ? 1 : 0;
    if (n == 0) {
        log.Print(packages.empty() ? L"ERROR: No driver packages found in %s\n" : L"ERROR: No driver packages selected.\n",
                  Folder().c_str());
        return false;
    }
    log.Print(L"Restoring drivers...\n");
    log.Print(L"  Source path is %s\n\n", Folder().c_str());

    const double step = 1.0 / n;
    double done = 0.0;
    int restored = 0;
    int fine = 0;
    for (DriverPackage& package : packages) {
        if (!package.selected)
            continue;
        if (package.outcome == PackageOutcome::NewerInBackup) {
            PrintPackage(package);
            PrintOutcome(package);
            continue;
        }
        if (!RestorePackage(package, done, step)) {
            log.Print(L"  Operation aborted by the user.\n");
            return false;
        }
        restored += IsRestored(package.outcome) ? 1 : 0;
        fine += LeavesNothingToFix(package.outcome) ? 1 : 0;
        done += step;
        if (!Progress(done)) {
            log.Print(L"  Operation aborted by the user.\n");
            return false;
        }
    }
    log.Print(L"\nDone: %d of %d driver package(s) restored.\n", restored, n);
    if (RestartNeeded())
        log.Print(L"Windows needs a restart to finish installing the drivers.\n");
    return fine == n;
}

bool CDriverRestorer::RestorePackage(DriverPackage& package, double base, double step)
{
    PrintPackage(package);
    if (package.force)
        ForceOverNewer(package);
    const PackageOutcome plan = package.outcome;
    bool staged = false;
    bool installedAll = true;
    if (IsInstallable(plan, package.force)) {
        log.Print(L"  Staging %s...\n", FileNamePart(package.infPath).c_str());
        staged = StagePackage(package);
        if (!staged) {
            package.outcome = PackageOutcome::InfRefused;
            PrintOutcome(package);
            return true;
        }
        log.Print(L"  Staged as %s\n", package.publishedInf.c_str());
        if (!Progress(base + step * kStageShare))
            return false;
        if (plan == PackageOutcome::ToInstall && !Install(package, base + step * kStageShare))
            return false;
        for (const MatchedDevice& device : package.devices)
            installedAll = installedAll && (device.action != DeviceAction::Install || device.installed);
        if (plan == PackageOutcome::ToInstall && installedAll) {
            CheckInstalledFiles(package);
            installedAll = package.error.empty();
        }
    }
    package.outcome = RunOutcome(plan, staged, installedAll);
    PrintOutcome(package);
    return true;
}

bool CDriverRestorer::Install(DriverPackage& package, double fraction)
{
    PrintDevices(package);
    const InstallRun run = InstallOnDevices(package, PlannedCalls(package), *this->reporter, fraction, installTimeLimitMs);
    if (run == InstallRun::Abandoned) {
        aborted = true;
        log.Print(L"  The install was still running when the user stopped it.\n");
        return false;
    }
    if (run == InstallRun::TimedOut)
        package.error = L"the installer did not finish";
    for (const MatchedDevice& device : package.devices) {
        if (device.action == DeviceAction::Install && !device.installed && !device.error.empty())
            log.Print(L"    ERROR: Install failed on %s: %s\n", device.name.c_str(), device.error.c_str());
    }
    return true;
}

// What was checked is what must be installed: a file that went missing from the folder after
// the check may be skipped by the installer without a word.
void CDriverRestorer::CheckInstalledFiles(DriverPackage& package)
{
    const std::vector<std::wstring> absent = FilesNotInstalled(package);
    for (const std::wstring& file : absent)
        log.Print(L"    ERROR: %s not installed\n", file.c_str());
    if (!absent.empty())
        package.error = absent.front() + L" not installed";
}

void CDriverRestorer::PrintPackage(const DriverPackage& package)
{
    log.Print(L"%s\n", package.displayName.c_str());
    for (const std::wstring& same : package.sameIn)
        log.Print(L"Same package: %s\n", same.c_str());
    log.Print(L"Class: %s\n", package.className.c_str());
    log.Print(L"Provider: %s\n", package.provider.c_str());
    log.Print(L"Version: %s\n", package.version.c_str());
    if (package.devices.empty())
        log.Print(L"Devices: none present\n");
    for (const MatchedDevice& device : package.devices)
        log.Print(L"Device: %s [%s]\n", device.name.c_str(), device.instanceId.c_str());
    for (const std::wstring& file : package.missingFiles)
        log.Print(L"    ERROR: File missing: %s\n", file.c_str());
    for (const BadFile& file : package.verification.badFiles) {
        if (package.outcome == PackageOutcome::FilesDamaged && file.fault != FileFault::Missing)
            log.Print(L"    ERROR: File damaged: %s: %s\n", file.path.c_str(), file.reason.c_str());
    }
}

void CDriverRestorer::PrintDevices(const DriverPackage& package)
{
    for (const MatchedDevice& device : package.devices) {
        if (device.action == DeviceAction::Skip) {
            log.Print(L"  Skipping %s: its driver %s is newer.\n", device.name.c_str(), device.installedVersion.c_str());
            continue;
        }
        if (ReplacesNewerDriver(package, device))
            log.Print(L"  /force: replacing the newer driver %s of %s with %s.\n", device.installedVersion.c_str(),
                      device.name.c_str(), package.version.empty() ? L"a version that cannot be read" : package.version.c_str());
        log.Print(L"  Installing on %s [%s]...\n", device.name.c_str(), device.hardwareId.c_str());
    }
}

void CDriverRestorer::PrintOutcome(const DriverPackage& package)
{
    if (package.outcome == PackageOutcome::Skipped) {
        for (const MatchedDevice& device : package.devices)
            log.Print(L"  Skipping %s: its driver %s is newer.\n", device.name.c_str(), device.installedVersion.c_str());
    }
    log.Print(L"  %s\n\n", ResultLine(package).c_str());
}

bool CDriverRestorer::Progress(double fraction)
{
    if (!reporter->Progress(fraction))
        aborted = true;
    return !aborted;
}

bool CDriverRestorer::RestartNeeded() const
{
    for (const DriverPackage& package : packages)
        if (package.selected && package.restartNeeded)
            return true;
    return false;
}
