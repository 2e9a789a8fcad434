// The restore's decisions: the order of driver versions, which device gets a package, what
// the check and the run make of a package, and what the window shows of it.
#include <gtest/gtest.h>

#include "restore/BackupDecision.h"
#include "restore/CDriverRestorer.h"
#include "backup/DriverVersion.h"
#include "restore/RestoreDecision.h"
#include "restore/RestorePlan.h"
#include "backup/RestoreStatus.h"
#include "ui/PackageListColumns.h"

namespace {

// A checked package for the devices named by instance ID, each with the installed version given.
DriverPackage Checked(const std::wstring& name, const std::wstring& version,
                      const std::vector<std::pair<std::wstring, std::wstring>>& devices)
{
    DriverPackage package;
    package.displayName = name;
    package.version = version;
    package.date = L"01/01/2020";
    package.status = devices.empty() ? PackageStatus::ToStage : PackageStatus::ToInstall;
    for (const auto& [instanceId, installed] : devices) {
        MatchedDevice device;
        device.instanceId = instanceId;
        device.installedVersion = installed;
        device.action = DecideDevice(installed, version, false);
        package.devices.push_back(device);
    }
    std::vector<DeviceAction> actions;
    for (const MatchedDevice& device : package.devices)
        actions.push_back(device.action);
    package.status = PlanPackage(true, true, actions);
    return package;
}

std::vector<std::wstring> Decisions(const std::vector<DriverPackage>& packages)
{
    std::vector<std::wstring> texts;
    for (const DriverPackage& package : packages)
        texts.push_back(package.displayName + L": " + DecisionText(DecisionOf(package)));
    return texts;
}

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
    EXPECT_EQ(DecideDevice(L"9.9.9.9", L"", false), DeviceAction::Skip)
        << "a package whose version cannot be read never replaces a driver whose version can";
    EXPECT_EQ(DecideDevice(L"9.9.9.9", L"v2", false), DeviceAction::Skip);
    EXPECT_EQ(DecideDevice(L"9.9.9.9", L"", true), DeviceAction::Install) << "unless forced";
    EXPECT_EQ(DecideDevice(L"", L"", false), DeviceAction::Install) << "nothing to compare on either side";
    EXPECT_EQ(DecideDevice(L"unknown", L"1.0.0.0", false), DeviceAction::Install);
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
    EXPECT_FALSE(IsRestored(PackageStatus::Skipped)) << "skipped is not counted as restored";
    EXPECT_EQ(RunOutcome(PackageStatus::NotForArchitecture, false, true), PackageStatus::NotForArchitecture);
}

TEST(RestoreDecision, OnlyFailuresLeaveSomethingToFix)
{
    const struct {
        PackageStatus status;
        bool fine;
    } cases[] = {
        {PackageStatus::Installed, true},       {PackageStatus::Staged, true},
        {PackageStatus::Skipped, true},         {PackageStatus::NewerInBackup, true},
        {PackageStatus::NotForArchitecture, true}, {PackageStatus::InstallFailed, false},
        {PackageStatus::FilesMissing, false},   {PackageStatus::InfRefused, false},
        {PackageStatus::Unchecked, false},      {PackageStatus::ToInstall, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LeavesNothingToFix(c.status), c.fine) << StatusText(c.status);
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
        EXPECT_FALSE(IsInstallable(PackageStatus::NotForArchitecture, force));
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
    EXPECT_EQ(PackageCells(RestoreColumns(), package),
              (std::vector<std::wstring>{L"Round Trip Port", L"rtport.inf", L"5.6.7.8", L"Fabrikam, Inc.",
                                         L"Port A, Port B", L"installed"}))
        << "the device folder's own name: the class folder reads the same for many packages";

    DriverPackage loose;
    loose.displayName = L"loose.inf";
    loose.status = PackageStatus::ToStage;
    const std::vector<std::wstring> columns = PackageCells(RestoreColumns(), loose);
    EXPECT_EQ(columns[0], L"") << "an INF at the top of the restored folder";
    EXPECT_EQ(columns[4], L"none present");
    EXPECT_EQ(columns[5], L"stage: no device present") << "before the run: the decision";
}

TEST(RestoreDialog, StatusTextsAreTheRunsWords)
{
    EXPECT_EQ(StatusText(PackageStatus::Staged), L"staged (no device present)");
    EXPECT_EQ(StatusText(PackageStatus::Skipped), L"skipped (installed driver is newer)");
    EXPECT_EQ(StatusText(PackageStatus::FilesMissing), L"files missing");
    EXPECT_EQ(StatusText(PackageStatus::InfRefused), L"INF refused");
    EXPECT_EQ(StatusText(PackageStatus::InstallFailed), L"install failed");
    EXPECT_EQ(StatusText(PackageStatus::NotForArchitecture), L"skipped: not for this architecture");
    EXPECT_EQ(PackageCountText(0, 0), L"No driver packages found in this folder.");
    EXPECT_EQ(PackageCountText(3, 2), L"3 driver package(s) found, 2 ticked.");
}

TEST(RestoreDecision, EachPackageGetsOneDecisionWithItsReason)
{
    EXPECT_EQ(DecisionText(DecisionOf(Checked(L"a", L"1.0", {{L"ROOT\\A\\0", L""}}))), L"install");
    EXPECT_EQ(DecisionText(DecisionOf(Checked(L"b", L"1.0", {}))), L"stage: no device present");
    EXPECT_EQ(DecisionText(DecisionOf(Checked(L"c", L"1.0", {{L"ROOT\\A\\0", L"2.0"}}))),
              L"skip: installed driver is newer");
    DriverPackage refused;
    refused.status = PackageStatus::InfRefused;
    refused.error = L"no device models";
    EXPECT_EQ(DecisionText(DecisionOf(refused)), L"refuse: no device models");
    refused.status = PackageStatus::FilesMissing;
    EXPECT_EQ(DecisionText(DecisionOf(refused)), L"refuse: files missing");
    DriverPackage later;
    later.status = PackageStatus::NewerInBackup;
    later.newerPackage = L"Dev[1]\\dev.inf";
    EXPECT_EQ(DecisionText(DecisionOf(later)), L"skip: a newer package in this backup");
    EXPECT_EQ(DecisionOf(later).newerPackage, L"Dev[1]\\dev.inf");
    DriverPackage foreign;
    foreign.status = PackageStatus::NotForArchitecture;
    EXPECT_EQ(DecisionText(DecisionOf(foreign)), L"skip: not for this architecture");
}

TEST(RestorePlan, EachPackageShowsItsDevicesVersionsAndDecision)
{
    DriverPackage package = Checked(L"Ports\\Port A\\a.inf", L"1.0.0.0", {{L"ROOT\\A\\0", L"2.0.0.0"}, {L"ROOT\\A\\1", L""}});
    package.devices[0].name = L"Port A";
    package.devices[1].name = L"Port \"B\"";
    EXPECT_EQ(PlanText(package), L"Ports\\Port A\\a.inf\n  Saved version: 1.0.0.0\n"
                                 L"  Device: Port A [ROOT\\A\\0], installed version: 2.0.0.0\n"
                                 L"  Device: Port \"B\" [ROOT\\A\\1], installed version: none\n"
                                 L"  Decision: install\n\n");
    DriverPackage staged = Checked(L"s.inf", L"", {});
    EXPECT_EQ(PlanText(staged), L"s.inf\n  Saved version: unknown\n  Devices: none present\n"
                                L"  Decision: stage: no device present\n\n");
}

TEST(RestorePlan, ARestoreSucceedsUnlessAPackageIsRefused)
{
    DriverPackage foreign;
    foreign.status = PackageStatus::NotForArchitecture;
    DriverPackage later;
    later.status = PackageStatus::NewerInBackup;
    std::vector<DriverPackage> packages = {Checked(L"a", L"1.0", {{L"D\\0", L""}}), Checked(L"b", L"1.0", {}),
                                           Checked(L"c", L"1.0", {{L"D\\1", L"2.0"}}), foreign, later};
    EXPECT_TRUE(PlanSucceeds(packages));
    DriverPackage missing;
    missing.status = PackageStatus::FilesMissing;
    packages.push_back(missing);
    EXPECT_FALSE(PlanSucceeds(packages));
    packages.back().selected = false;
    EXPECT_TRUE(PlanSucceeds(packages)) << "an unticked package is not restored";
    EXPECT_FALSE(PlanSucceeds({})) << "nothing to restore fails, as the restore does";
}

TEST(RestoreDecision, TheInstallerIsForcedOnlyWhereTheDecisionGoesAgainstItsRanking)
{
    EXPECT_FALSE(DecisionOf(Checked(L"fresh", L"1.0", {{L"D\\0", L""}})).forceInstaller) << "no driver yet";
    EXPECT_FALSE(DecisionOf(Checked(L"update", L"2.0", {{L"D\\0", L"1.0"}})).forceInstaller) << "an older driver";
    EXPECT_TRUE(DecisionOf(Checked(L"again", L"2.0", {{L"D\\0", L"2.0"}})).forceInstaller) << "the same version again";
    EXPECT_TRUE(DecisionOf(Checked(L"unknown", L"2.0", {{L"D\\0", L"?"}})).forceInstaller);

    DriverPackage forced = Checked(L"forced", L"1.0", {{L"D\\0", L"2.0"}});
    EXPECT_FALSE(DecisionOf(forced).replacesNewer) << "skipped without /force";
    ForceOverNewer(forced);
    EXPECT_TRUE(DecisionOf(forced).forceInstaller);
    EXPECT_TRUE(DecisionOf(forced).replacesNewer) << "the log says so";
    DriverPackage unreadable = Checked(L"unreadable", L"", {{L"D\\0", L"2.0"}});
    EXPECT_EQ(unreadable.status, PackageStatus::Newer);
    ForceOverNewer(unreadable);
    EXPECT_TRUE(DecisionOf(unreadable).replacesNewer);
}

TEST(RestoreDecision, PackagesForTheSameDevicesAreDecidedTogether)
{
    // "[" sorts before "\\": in path order the older package would come last and stay.
    std::vector<DriverPackage> packages = {Checked(L"Dev[1]\\dev.inf", L"2.0.0.0", {{L"ROOT\\DEV\\0", L""}}),
                                           Checked(L"Dev\\dev.inf", L"1.5.0.0", {{L"ROOT\\DEV\\0", L""}}),
                                           Checked(L"Other\\other.inf", L"0.1", {{L"ROOT\\OTHER\\0", L""}}),
                                           Checked(L"Staged\\staged.inf", L"9.0", {})};
    DecideTogether(packages);
    EXPECT_EQ(Decisions(packages), (std::vector<std::wstring>{L"Dev[1]\\dev.inf: install",
                                                              L"Dev\\dev.inf: skip: a newer package in this backup",
                                                              L"Other\\other.inf: install",
                                                              L"Staged\\staged.inf: stage: no device present"}));
    EXPECT_EQ(packages[1].newerPackage, L"Dev[1]\\dev.inf");

    // The other way round, and with a version that cannot be read, which never wins.
    std::vector<DriverPackage> reversed = {Checked(L"A\\a.inf", L"", {{L"ROOT\\DEV\\0", L""}}),
                                           Checked(L"B\\b.inf", L"1.5.0.0", {{L"ROOT\\DEV\\0", L""}}),
                                           Checked(L"C\\c.inf", L"2.0.0.0", {{L"ROOT\\DEV\\0", L""}, {L"ROOT\\DEV\\1", L""}})};
    DecideTogether(reversed);
    EXPECT_EQ(reversed[0].status, PackageStatus::NewerInBackup);
    EXPECT_EQ(reversed[1].status, PackageStatus::NewerInBackup);
    EXPECT_EQ(reversed[2].status, PackageStatus::ToInstall);
    EXPECT_EQ(reversed[0].newerPackage, L"C\\c.inf");
}

TEST(RestoreDecision, BetweenEqualVersionsTheLaterDateThenThePathOrderWins)
{
    DriverPackage older = Checked(L"A\\a.inf", L"1.0", {{L"D\\0", L""}});
    DriverPackage newer = Checked(L"B\\b.inf", L"1.0.0.0", {{L"D\\0", L""}});
    newer.date = L"02/01/2020";
    EXPECT_TRUE(IsPreferredPackage(newer, older));
    EXPECT_FALSE(IsPreferredPackage(older, newer));
    std::vector<DriverPackage> same = {Checked(L"A\\a.inf", L"1.0", {{L"D\\0", L""}}),
                                       Checked(L"B\\b.inf", L"1.0", {{L"D\\0", L""}})};
    DecideTogether(same);
    EXPECT_EQ(same[0].status, PackageStatus::ToInstall);
    EXPECT_EQ(same[1].status, PackageStatus::NewerInBackup);
    EXPECT_FALSE(IsRestored(PackageStatus::NewerInBackup));
    EXPECT_FALSE(IsInstallable(PackageStatus::NewerInBackup, true)) << "not even with /force";
}
