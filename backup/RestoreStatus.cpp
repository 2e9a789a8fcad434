#include "backup/RestoreStatus.h"

#include "backup/DriverVersion.h"

DeviceAction DecideDevice(const std::wstring& installedVersion, const std::wstring& packageVersion, bool force)
{
    if (force)
        return DeviceAction::Install;
    int order = 0;
    if (CompareDriverVersions(installedVersion, packageVersion, order))
        return order > 0 ? DeviceAction::Skip : DeviceAction::Install;
    const bool installedReadable = CompareDriverVersions(installedVersion, installedVersion, order);
    const bool packageReadable = CompareDriverVersions(packageVersion, packageVersion, order);
    return installedReadable && !packageReadable ? DeviceAction::Skip : DeviceAction::Install;
}

PackageStatus PlanPackage(bool infRead, bool filesComplete, const std::vector<DeviceAction>& actions)
{
    if (!infRead)
        return PackageStatus::InfRefused;
    if (!filesComplete)
        return PackageStatus::FilesMissing;
    if (actions.empty())
        return PackageStatus::ToStage;
    for (DeviceAction action : actions) {
        if (action == DeviceAction::Install)
            return PackageStatus::ToInstall;
    }
    return PackageStatus::Newer;
}

PackageStatus RunOutcome(PackageStatus plan, bool staged, bool installedAll)
{
    switch (plan) {
    case PackageStatus::ToInstall:
        return staged && installedAll ? PackageStatus::Installed : PackageStatus::InstallFailed;
    case PackageStatus::ToStage:
        return staged ? PackageStatus::Staged : PackageStatus::InstallFailed;
    case PackageStatus::Newer:
        return PackageStatus::Skipped;
    default:
        return plan;
    }
}

bool IsRestored(PackageStatus status)
{
    return status == PackageStatus::Installed || status == PackageStatus::Staged;
}

bool LeavesNothingToFix(PackageStatus status)
{
    return IsRestored(status) || status == PackageStatus::Skipped || status == PackageStatus::NewerInBackup ||
           status == PackageStatus::NotForArchitecture;
}

bool IsInstallable(PackageStatus status, bool force)
{
    return status == PackageStatus::ToInstall || status == PackageStatus::ToStage ||
           (force && status == PackageStatus::Newer);
}

std::wstring StatusText(PackageStatus status)
{
    switch (status) {
    case PackageStatus::Unchecked:
        return L"not checked";
    case PackageStatus::ToInstall:
        return L"ready to install";
    case PackageStatus::ToStage:
        return L"ready to stage (no device present)";
    case PackageStatus::Newer:
        return L"installed driver is newer";
    case PackageStatus::NewerInBackup:
        return L"skipped: a newer package in this backup";
    case PackageStatus::NotForArchitecture:
        return L"skipped: not for this architecture";
    case PackageStatus::FilesMissing:
        return L"files missing";
    case PackageStatus::FilesDamaged:
        return L"files damaged";
    case PackageStatus::InfRefused:
        return L"INF refused";
    case PackageStatus::Installed:
        return L"installed";
    case PackageStatus::Staged:
        return L"staged (no device present)";
    case PackageStatus::Skipped:
        return L"skipped (installed driver is newer)";
    case PackageStatus::InstallFailed:
        return L"install failed";
    }
    return std::wstring();
}
