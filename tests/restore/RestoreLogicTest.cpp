// The restore's decisions: the order of driver versions, which device gets a package, what
// the check and the run make of a package, and what the window shows of it.
#include <gtest/gtest.h>

#include "restore/CDriverRestorer.h"
#include "restore/DriverVersion.h"
#include "restore/RestoreStatus.h"
#include "ui/CRestoreDlg.h"

namespace {

int Order(const std::wstring& left, const std::wstring& right)
{
    int order = 99;
    EXPECT_TRUE(CompareDriverVersions(left, right, order)) << ::testing::PrintToString(left + L" / " + right);
    return order;
}

} // namespace

TEST(DriverVersion, DriverVerSplitsIntoDateAndVersion)
{
    const DriverVer plain = ParseDriverVer(L"06/21/2006,1.2.3.4");
    EXPECT_EQ(plain.date, L"06/21/2006");
    EXPECT_EQ(plain.version, L"1.2.3.4");
    const DriverVer spaced = ParseDriverVer(L" 11/12/2023 ,  5.6.7.8 ");
    EXPECT_EQ(spaced.date, L"11/12/2023");
    EXPECT_EQ(spaced.version, L"5.6.7.8");
    const DriverVer dateOnly = ParseDriverVer(L"01/01/2020");
    EXPECT_EQ(dateOnly.date, L"01/01/2020");
    EXPECT_TRUE(dateOnly.version.empty());
    EXPECT_TRUE(ParseDriverVer(L"").version.empty());
}

TEST(DriverVersion, VersionsCompareAsNumbersPartByPart)
{
    EXPECT_EQ(Order(L"1.2.3.4", L"1.2.3.4"), 0);
    EXPECT_EQ(Order(L"1.10.0.0", L"1.9.0.0"), 1) << "not as text";
    EXPECT_EQ(Order(L"2.0.0.0", L"10.0.0.0"), -1);
    EXPECT_EQ(Order(L"1.2", L"1.2.0.0"), 0) << "missing parts are 0";
    EXPECT_EQ(Order(L"1.2.0.1", L"1.2"), 1);
    EXPECT_EQ(Order(L"65535.0.0.0", L"65534.99.99.99"), 1);
    EXPECT_EQ(Order(L" 3.0.0.0 ", L"3.0"), 0);
}

TEST(DriverVersion, UnreadableVersionsHaveNoOrder)
{
    for (const wchar_t* bad : {L"", L"1..2", L".1", L"1.", L"1.2.3.4.5", L"1.x", L"65536.0", L"v1.0", L"-1.0"}) {
        int order = 42;
        EXPECT_FALSE(CompareDriverVersions(bad, L"1.0.0.0", order)) << ::testing::PrintToString(std::wstring(bad));
        EXPECT_FALSE(CompareDriverVersions(L"1.0.0.0", bad, order));
        EXPECT_EQ(order, 42);
    }
}

TEST(RestoreDecision, DeviceKeepsANewerDriverUnlessForced)
{
    EXPECT_EQ(DecideDevice(L"2.0.0.0", L"1.9.9.9", false), DeviceAction::Skip);
    EXPECT_EQ(DecideDevice(L"2.0.0.0", L"1.9.9.9", true), DeviceAction::Install);
    EXPECT_EQ(DecideDevice(L"1.2.3.4", L"1.2.3.4", false), DeviceAction::Install) << "the same version again";
    EXPECT_EQ(DecideDevice(L"1.0.0.0", L"1.2.0.0", false), DeviceAction::Install);
    EXPECT_EQ(DecideDevice(L"", L"1.0.0.0", false), DeviceAction::Install) << "a device without a driver";
    EXPECT_EQ(DecideDevice(L"9.9.9.9", L"", false), DeviceAction::Install) << "a package without a version";
}

TEST(RestoreDecision, CheckRefusesBeforeItLooksAtDevices)
{
    const std::vector<DeviceAction> install = {DeviceAction::Install};
    EXPECT_EQ(PlanPackage(false, true, install), PackageStatus::InfRefused);
    EXPECT_EQ(PlanPackage(false, false, install), PackageStatus::InfRefused);
    EXPECT_EQ(PlanPackage(true, false, install), PackageStatus::FilesMissing);
    EXPECT_EQ(PlanPackage(true, false, {}), PackageStatus::FilesMissing) << "a staged package needs its files too";
    EXPECT_EQ(PlanPackage(true, true, {}), PackageStatus::ToStage);
    EXPECT_EQ(PlanPackage(true, true, install), PackageStatus::ToInstall);
    EXPECT_EQ(PlanPackage(true, true, {DeviceAction::Skip, DeviceAction::Install}), PackageStatus::ToInstall);
    EXPECT_EQ(PlanPackage(true, true, {DeviceAction::Skip, DeviceAction::Skip}), PackageStatus::Newer);
}

TEST(RestoreDecision, RunOutcomeCountsOnlyWhatTheSystemConfirmed)
{
    EXPECT_EQ(RunOutcome(PackageStatus::ToInstall, true, true), PackageStatus::Installed);
    EXPECT_EQ(RunOutcome(PackageStatus::ToInstall, true, false), PackageStatus::InstallFailed);
    EXPECT_EQ(RunOutcome(PackageStatus::ToInstall, false, true), PackageStatus::InstallFailed);
    EXPECT_EQ(RunOutcome(PackageStatus::ToStage, true, true), PackageStatus::Staged);
    EXPECT_EQ(RunOutcome(PackageStatus::ToStage, false, true), PackageStatus::InstallFailed);
    EXPECT_EQ(RunOutcome(PackageStatus::Newer, false, true), PackageStatus::Skipped);
    EXPECT_EQ(RunOutcome(PackageStatus::FilesMissing, false, true), PackageStatus::FilesMissing);
    EXPECT_TRUE(IsRestored(PackageStatus::Staged));
    EXPECT_FALSE(IsRestored(PackageStatus::Skipped)) << "a skipped package makes the exit code 1";
}

TEST(RestoreDecision, OnlyCompletePackagesReachTheSystem)
{
    EXPECT_TRUE(IsInstallable(PackageStatus::ToInstall, false));
    EXPECT_TRUE(IsInstallable(PackageStatus::ToStage, false));
    EXPECT_FALSE(IsInstallable(PackageStatus::Newer, false));
    EXPECT_TRUE(IsInstallable(PackageStatus::Newer, true));
    for (bool force : {false, true}) {
        EXPECT_FALSE(IsInstallable(PackageStatus::FilesMissing, force));
        EXPECT_FALSE(IsInstallable(PackageStatus::InfRefused, force));
        EXPECT_FALSE(IsInstallable(PackageStatus::Unchecked, force));
    }
}

TEST(RestoreDecision, ForcingAPackageSendsItOverEveryNewerDriver)
{
    DriverPackage package;
    package.status = PackageStatus::Newer;
    package.devices.resize(2);
    package.devices[0].action = DeviceAction::Skip;
    package.devices[1].action = DeviceAction::Skip;
    ForceOverNewer(package);
    EXPECT_TRUE(package.force);
    EXPECT_EQ(package.status, PackageStatus::ToInstall);
    EXPECT_EQ(package.devices[0].action, DeviceAction::Install);
    EXPECT_EQ(package.devices[1].action, DeviceAction::Install);

    DriverPackage incomplete;
    incomplete.status = PackageStatus::FilesMissing;
    ForceOverNewer(incomplete);
    EXPECT_EQ(incomplete.status, PackageStatus::FilesMissing) << "force never lets missing files through";
}

TEST(RestoreDialog, RowShowsFolderInfVersionProviderDevicesAndStatus)
{
    DriverPackage package;
    package.displayName = L"Tarnwick ports\\Round Trip Port\\rtport.inf";
    package.version = L"5.6.7.8";
    package.provider = L"Fabrikam, Inc.";
    package.status = PackageStatus::Installed;
    package.devices.resize(2);
    package.devices[0].name = L"Port A";
    package.devices[1].name = L"Port B";
    EXPECT_EQ(PackageColumns(package), (std::vector<std::wstring>{L"Round Trip Port", L"rtport.inf", L"5.6.7.8",
                                                                  L"Fabrikam, Inc.", L"Port A, Port B", L"installed"}))
        << "the device folder's own name: the class folder reads the same for many packages";

    DriverPackage loose;
    loose.displayName = L"loose.inf";
    loose.status = PackageStatus::ToStage;
    const std::vector<std::wstring> columns = PackageColumns(loose);
    EXPECT_EQ(columns[0], L"") << "an INF at the top of the restored folder";
    EXPECT_EQ(columns[4], L"none present");
    EXPECT_EQ(columns[5], L"ready to stage (no device present)");
}

TEST(RestoreDialog, StatusTextsAreTheRunsWords)
{
    EXPECT_EQ(StatusText(PackageStatus::Staged), L"staged (no device present)");
    EXPECT_EQ(StatusText(PackageStatus::Skipped), L"skipped (installed driver is newer)");
    EXPECT_EQ(StatusText(PackageStatus::FilesMissing), L"files missing");
    EXPECT_EQ(StatusText(PackageStatus::InfRefused), L"INF refused");
    EXPECT_EQ(StatusText(PackageStatus::InstallFailed), L"install failed");
    EXPECT_EQ(PackageCountText(0, 0), L"No driver packages found in this folder.");
    EXPECT_EQ(PackageCountText(3, 2), L"3 driver package(s) found, 2 ticked.");
}
