#include "backup/PackageOutcome.h"

#include "backup/DriverVersion.h"

namespace {

// In the order of PackageOutcome.
const OutcomeWords kWords[] = {
    {L"refuse: not checked", L"not checked", nullptr, false, true},
    {L"install", L"install", nullptr, false, false},
    {L"stage: no device present", L"stage: no device present", nullptr, false, false},
    {L"skip: installed driver is newer", L"skipped (installed driver is newer)", nullptr, false, false},
    {L"skip: not for this architecture", L"skipped: not for this architecture", nullptr, true, false},
    {L"skip: a newer package in this backup", L"skipped: a newer package in this backup", nullptr, true, false},
    {L"refuse: files missing", L"files missing", L"incomplete", false, true},
    {L"refuse: files damaged", L"files damaged", L"damaged", false, true},
    {L"refuse: INF refused", L"INF refused", L"refused", false, true},
    {L"install", L"installed", nullptr, true, false},
    {L"stage: no device present", L"staged (no device present)", nullptr, true, false},
    {L"skip: installed driver is newer", L"skipped (installed driver is newer)", nullptr, true, false},
    {L"install", L"install failed", nullptr, false, false},
};

static_assert(sizeof(kWords) / sizeof(kWords[0]) == static_cast<size_t>(PackageOutcome::InstallFailed) + 1,
              "one row of words per outcome");

} // namespace

const OutcomeWords& WordsOf(PackageOutcome outcome)
{
    return kWords[static_cast<size_t>(outcome)];
}

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

PackageOutcome PlanPackage(bool infRead, bool filesComplete, const std::vector<DeviceAction>& actions)
{
    if (!infRead)
        return PackageOutcome::InfRefused;
    if (!filesComplete)
        return PackageOutcome::FilesMissing;
    if (actions.empty())
        return PackageOutcome::ToStage;
    for (DeviceAction action : actions) {
        if (action == DeviceAction::Install)
            return PackageOutcome::ToInstall;
    }
    return PackageOutcome::Newer;
}

PackageOutcome RunOutcome(PackageOutcome plan, bool staged, bool installedAll)
{
    switch (plan) {
    case PackageOutcome::ToInstall:
        return staged && installedAll ? PackageOutcome::Installed : PackageOutcome::InstallFailed;
    case PackageOutcome::ToStage:
        return staged ? PackageOutcome::Staged : PackageOutcome::InstallFailed;
    case PackageOutcome::Newer:
        return PackageOutcome::Skipped;
    default:
        return plan;
    }
}

bool IsRunResult(PackageOutcome outcome)
{
    return outcome == PackageOutcome::Installed || outcome == PackageOutcome::Staged ||
           outcome == PackageOutcome::Skipped || outcome == PackageOutcome::InstallFailed;
}

bool IsRestored(PackageOutcome outcome)
{
    return outcome == PackageOutcome::Installed || outcome == PackageOutcome::Staged;
}

bool LeavesNothingToFix(PackageOutcome outcome)
{
    return WordsOf(outcome).settled;
}

bool IsInstallable(PackageOutcome outcome, bool force)
{
    return outcome == PackageOutcome::ToInstall || outcome == PackageOutcome::ToStage ||
           (force && outcome == PackageOutcome::Newer);
}

bool IsSound(PackageOutcome outcome)
{
    return WordsOf(outcome).verdict == nullptr;
}

bool IsRefused(PackageOutcome outcome)
{
    return WordsOf(outcome).refused;
}
