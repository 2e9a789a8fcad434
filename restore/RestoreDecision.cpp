#include "restore/RestoreDecision.h"

#include <utility>

#include "backup/DriverVersion.h"

namespace {

bool Readable(const std::wstring& version)
{
    int order = 0;
    return CompareDriverVersions(version, version, order);
}

RestoreDecision InstallDecision(const DriverPackage& package)
{
    RestoreDecision decision;
    decision.action = RestoreAction::Install;
    for (const MatchedDevice& device : package.devices) {
        if (device.action != DeviceAction::Install)
            continue;
        decision.forceInstaller = decision.forceInstaller || ReplacesInstalledDriver(device, package.version);
        decision.replacesNewer = decision.replacesNewer || (package.force && KeepsNewerDriver(device, package.version));
    }
    return decision;
}

RestoreDecision Decision(RestoreAction action, std::wstring reason = std::wstring())
{
    RestoreDecision decision;
    decision.action = action;
    decision.reason = std::move(reason);
    return decision;
}

} // namespace

bool KeepsNewerDriver(const MatchedDevice& device, const std::wstring& packageVersion)
{
    int order = 0;
    if (CompareDriverVersions(device.installedVersion, packageVersion, order))
        return order > 0;
    return Readable(device.installedVersion) && !Readable(packageVersion);
}

bool ReplacesInstalledDriver(const MatchedDevice& device, const std::wstring& packageVersion)
{
    if (device.installedVersion.empty())
        return false;
    int order = 0;
    return !CompareDriverVersions(device.installedVersion, packageVersion, order) || order >= 0;
}

RestoreDecision DecisionOf(const DriverPackage& package)
{
    switch (package.status) {
    case PackageStatus::ToInstall:
    case PackageStatus::Installed:
        return InstallDecision(package);
    case PackageStatus::InstallFailed:
        return package.devices.empty() ? Decision(RestoreAction::Stage) : InstallDecision(package);
    case PackageStatus::ToStage:
    case PackageStatus::Staged:
        return Decision(RestoreAction::Stage);
    case PackageStatus::Newer:
    case PackageStatus::Skipped:
        return Decision(RestoreAction::SkipInstalledNewer);
    case PackageStatus::NewerInBackup: {
        RestoreDecision decision = Decision(RestoreAction::SkipNewerInBackup);
        decision.newerPackage = package.newerPackage;
        return decision;
    }
    case PackageStatus::NotForArchitecture:
        return Decision(RestoreAction::SkipNotForArchitecture);
    case PackageStatus::FilesMissing:
        return Decision(RestoreAction::Refuse, L"files missing");
    case PackageStatus::FilesDamaged: {
        std::wstring names;
        for (const BadFile& file : package.verification.badFiles)
            names += (names.empty() ? L"" : L", ") + file.path;
        return Decision(RestoreAction::Refuse, L"files damaged: " + names);
    }
    case PackageStatus::InfRefused:
        return Decision(RestoreAction::Refuse, package.error.empty() ? L"INF refused" : package.error);
    case PackageStatus::Unchecked:
        break;
    }
    return Decision(RestoreAction::Refuse, L"not checked");
}

std::wstring DecisionText(const RestoreDecision& decision)
{
    switch (decision.action) {
    case RestoreAction::Install:
        return L"install";
    case RestoreAction::SkipInstalledNewer:
        return L"skip: installed driver is newer";
    case RestoreAction::SkipNewerInBackup:
        return L"skip: a newer package in this backup";
    case RestoreAction::SkipNotForArchitecture:
        return L"skip: not for this architecture";
    case RestoreAction::Stage:
        return L"stage: no device present";
    case RestoreAction::Refuse:
        break;
    }
    return L"refuse: " + decision.reason;
}
