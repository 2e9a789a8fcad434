#include "restore/CDriverRestorer.h"

#include "platform/ShellPath.h"
#include "restore/PackageChecker.h"
#include "restore/PackageFinder.h"
#include "restore/PackageInstaller.h"

namespace {

// The parts of a package's step: staging, then installing.
const double kStageShare = 0.2;

} // namespace

void ForceOverNewer(DriverPackage& package)
{
    package.force = true;
    for (MatchedDevice& device : package.devices)
        device.action = DeviceAction::Install;
    if (package.status == PackageStatus::Newer)
        package.status = PackageStatus::ToInstall;
}

CDriverRestorer::CDriverRestorer(IProgressReporter& progressReporter, IShellOpen& shell,
                                 const SystemFolders& folders)
    : log(shell, folders.tempDir, L"restore-log"), reporter(&progressReporter)
{
}

CDriverRestorer::~CDriverRestorer()
{
    log.Finish();
}

bool CDriverRestorer::FindPackages(const std::wstring& restoredFolder, bool force)
{
    folder = restoredFolder;
    packages = FindDriverPackages(folder);
    for (size_t i = 0; i < packages.size(); ++i) {
        packages[i].force = force;
        PackageChecker::Check(packages[i]);
        if (!reporter->Progress(static_cast<double>(i + 1) / static_cast<double>(packages.size())))
            return false;
    }
    return true;
}

bool CDriverRestorer::RestoreAll(FILE* console)
{
    if (!log.Open(folder, console))
        return false;
    int n = 0;
    for (const DriverPackage& package : packages)
        n += package.selected ? 1 : 0;
    if (n == 0) {
        log.Print(packages.empty() ? L"ERROR: No driver packages found in %s\n" : L"ERROR: No driver packages selected.\n",
                  folder.c_str());
        return false;
    }
    log.Print(L"Restoring drivers...\n");
    log.Print(L"  Source path is %s\n\n", folder.c_str());

    const double step = 1.0 / n;
    double done = 0.0;
    int restored = 0;
    for (DriverPackage& package : packages) {
        if (!package.selected)
            continue;
        if (!RestorePackage(package, done, step)) {
            log.Print(L"  Operation aborted by the user.\n");
            return false;
        }
        restored += IsRestored(package.status) ? 1 : 0;
        done += step;
        if (!Progress(done)) {
            log.Print(L"  Operation aborted by the user.\n");
            return false;
        }
    }
    log.Print(L"\nDone: %d of %d driver package(s) restored.\n", restored, n);
    if (RestartNeeded())
        log.Print(L"Windows needs a restart to finish installing the drivers.\n");
    return restored == n;
}

bool CDriverRestorer::RestorePackage(DriverPackage& package, double base, double step)
{
    PrintPackage(package);
    if (package.force)
        ForceOverNewer(package);
    const PackageStatus plan = package.status;
    bool staged = false;
    bool installedAll = true;
    if (IsInstallable(plan, package.force)) {
        log.Print(L"  Staging %s...\n", FileNamePart(package.infPath).c_str());
        staged = StagePackage(package);
        if (!staged) {
            package.status = PackageStatus::InfRefused;
            PrintOutcome(package);
            return true;
        }
        log.Print(L"  Staged as %s\n", package.publishedInf.c_str());
        if (!Progress(base + step * kStageShare))
            return false;
        if (plan == PackageStatus::ToInstall && !Install(package, base + step * kStageShare))
            return false;
        for (const MatchedDevice& device : package.devices)
            installedAll = installedAll && (device.action != DeviceAction::Install || device.installed);
    }
    package.status = RunOutcome(plan, staged, installedAll);
    PrintOutcome(package);
    return true;
}

bool CDriverRestorer::Install(DriverPackage& package, double fraction)
{
    for (const MatchedDevice& device : package.devices) {
        if (device.action == DeviceAction::Skip)
            log.Print(L"  Skipping %s: its driver %s is newer.\n", device.name.c_str(), device.installedVersion.c_str());
        else
            log.Print(L"  Installing on %s [%s]...\n", device.name.c_str(), device.hardwareId.c_str());
    }
    if (InstallOnDevices(package, *this->reporter, fraction) == InstallRun::Abandoned) {
        aborted = true;
        log.Print(L"  The install was still running when the user stopped it.\n");
        return false;
    }
    for (const MatchedDevice& device : package.devices) {
        if (device.action == DeviceAction::Install && !device.installed)
            log.Print(L"    ERROR: Install failed on %s: %s\n", device.name.c_str(), device.error.c_str());
    }
    return true;
}

void CDriverRestorer::PrintPackage(const DriverPackage& package)
{
    log.Print(L"%s\n", package.displayName.c_str());
    log.Print(L"Class: %s\n", package.className.c_str());
    log.Print(L"Provider: %s\n", package.provider.c_str());
    log.Print(L"Version: %s\n", package.version.c_str());
    if (package.devices.empty())
        log.Print(L"Devices: none present\n");
    for (const MatchedDevice& device : package.devices)
        log.Print(L"Device: %s [%s]\n", device.name.c_str(), device.instanceId.c_str());
    for (const std::wstring& file : package.missingFiles)
        log.Print(L"    ERROR: File missing: %s\n", file.c_str());
}

void CDriverRestorer::PrintOutcome(const DriverPackage& package)
{
    switch (package.status) {
    case PackageStatus::Installed:
        log.Print(L"  Installed.\n\n");
        break;
    case PackageStatus::Staged:
        log.Print(L"  Staged (no device present).\n\n");
        break;
    case PackageStatus::Skipped:
        for (const MatchedDevice& device : package.devices)
            log.Print(L"  Skipping %s: its driver %s is newer.\n", device.name.c_str(), device.installedVersion.c_str());
        log.Print(L"  Skipped (installed driver is newer).\n\n");
        break;
    case PackageStatus::FilesMissing:
        log.Print(L"  ERROR: Files missing.\n\n");
        break;
    case PackageStatus::InfRefused:
        log.Print(L"  ERROR: INF refused: %s.\n\n", package.error.c_str());
        break;
    default:
        log.Print(L"  ERROR: Install failed.\n\n");
        break;
    }
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
