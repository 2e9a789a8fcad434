#include "restore/RestorePlan.h"

#include "backup/OutcomeText.h"

namespace {

std::wstring OrUnknown(const std::wstring& text, const wchar_t* unknown)
{
    return text.empty() ? unknown : text;
}

} // namespace

std::wstring PlanText(const DriverPackage& package)
{
    std::wstring text = package.displayName + L"\n";
    text += L"  Saved version: " + OrUnknown(package.version, L"unknown") + L"\n";
    if (package.devices.empty())
        text += L"  Devices: none present\n";
    for (const MatchedDevice& device : package.devices)
        text += L"  Device: " + device.name + L" [" + device.instanceId + L"], installed version: " +
                OrUnknown(device.installedVersion, L"none") + L"\n";
    text += L"  Decision: " + DecisionText(package) + L"\n\n";
    return text;
}

bool PlanSucceeds(const std::vector<DriverPackage>& packages)
{
    int planned = 0;
    for (const DriverPackage& package : packages) {
        if (!package.selected)
            continue;
        ++planned;
        if (IsRefused(package.outcome))
            return false;
    }
    return planned > 0;
}
