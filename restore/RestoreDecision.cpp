#include "restore/RestoreDecision.h"

#include "platform/ShellPath.h"
#include "backup/DriverVersion.h"

namespace {

bool Readable(const std::wstring& version)
{
    int order = 0;
    return CompareDriverVersions(version, version, order);
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

bool ReplacesNewerDriver(const DriverPackage& package, const MatchedDevice& device)
{
    return package.force && device.action == DeviceAction::Install && KeepsNewerDriver(device, package.version);
}

std::vector<PlannedCall> PlannedCalls(const DriverPackage& package)
{
    std::vector<PlannedCall> calls;
    for (const MatchedDevice& device : package.devices) {
        bool known = device.action != DeviceAction::Install;
        for (const PlannedCall& call : calls)
            known = known || EqualsFoldingAsciiCase(call.hardwareId, device.hardwareId);
        if (known)
            continue;
        bool everyDevice = true;
        bool replaces = false;
        for (const MatchedDevice& same : package.devices) {
            if (!EqualsFoldingAsciiCase(same.hardwareId, device.hardwareId))
                continue;
            everyDevice = everyDevice && same.action == DeviceAction::Install;
            replaces = replaces || ReplacesInstalledDriver(same, package.version);
        }
        calls.push_back({device.hardwareId, everyDevice && replaces});
    }
    return calls;
}
