// The restore's decisions: the order of driver versions, which device gets a package, what
// the check and the run make of a package, and what the window shows of it.
#include <gtest/gtest.h>

#include "restore/BackupDecision.h"
#include "restore/CDriverRestorer.h"
#include "backup/DriverVersion.h"
#include "restore/RestoreDecision.h"
#include "restore/RestorePlan.h"
#include "backup/OutcomeText.h"
#include "backup/PackageOutcome.h"
#include "platform/MachinePlatform.h"
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
    package.outcome = devices.empty() ? PackageOutcome::ToStage : PackageOutcome::ToInstall;
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
    package.outcome = PlanPackage(true, true, actions);
    return package;
}

// Whether the installer is forced for the package's one hardware ID.
bool ForcedCalls(const DriverPackage& package)
{
    const std::vector<PlannedCall> calls = PlannedCalls(package);
    EXPECT_EQ(calls.size(), 1u);
    return !calls.empty() && calls[0].force;
}

std::vector<std::wstring> Decisions(const std::vector<DriverPackage>& packages)
{
    std::vector<std::wstring> texts;
    for (const DriverPackage& package : packages)
        texts.push_back(package.displayName + L": " + DecisionText(package));
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
    EXPECT_EQ(PlanPackage(false, true, install), PackageOutcome::InfRefused);
    EXPECT_EQ(PlanPackage(false, false, install), PackageOutcome::InfRefused);
    EXPECT_EQ(PlanPackage(true, false, install), PackageOutcome::FilesMissing);
    EXPECT_EQ(PlanPackage(true, false, {}), PackageOutcome::FilesMissing) << "a staged package needs its files too";
    EXPECT_EQ(PlanPackage(true, true, {}), PackageOutcome::ToStage);
    EXPECT_EQ(PlanPackage(true, true, install), PackageOutcome::ToInstall);
    EXPECT_EQ(PlanPackage(true, true, {DeviceAction::Skip, DeviceAction::Install}), PackageOutcome::ToInstall);
    EXPECT_EQ(PlanPackage(true, true, {DeviceAction::Skip, DeviceAction::Skip}), PackageOutcome::Newer);
}

TEST(RestoreDecision, RunOutcomeCountsOnlyWhatTheSystemConfirmed)
{
    EXPECT_EQ(RunOutcome(PackageOutcome::ToInstall, true, true), PackageOutcome::Installed);
    EXPECT_EQ(RunOutcome(PackageOutcome::ToInstall, true, false), PackageOutcome::InstallFailed);
    EXPECT_EQ(RunOutcome(PackageOutcome::ToInstall, false, true), PackageOutcome::InstallFailed);
    EXPECT_EQ(RunOutcome(PackageOutcome::ToStage, true, true), PackageOutcome::Staged);
    EXPECT_EQ(RunOutcome(PackageOutcome::ToStage, false, true), PackageOutcome::InstallFailed);
    EXPECT_EQ(RunOutcome(PackageOutcome::Newer, false, true), PackageOutcome::Skipped);
    EXPECT_EQ(RunOutcome(PackageOutcome::FilesMissing, false, true), PackageOutcome::FilesMissing);
    EXPECT_TRUE(IsRestored(PackageOutcome::Staged));
    EXPECT_FALSE(IsRestored(PackageOutcome::Skipped)) << "skipped is not counted as restored";
    EXPECT_EQ(RunOutcome(PackageOutcome::NotForArchitecture, false, true), PackageOutcome::NotForArchitecture);
}

TEST(RestoreDecision, OnlyFailuresLeaveSomethingToFix)
{
    const struct {
        PackageOutcome outcome;
        bool fine;
    } cases[] = {
        {PackageOutcome::Installed, true},       {PackageOutcome::Staged, true},
        {PackageOutcome::Skipped, true},         {PackageOutcome::NewerInBackup, true},
        {PackageOutcome::NotForArchitecture, true}, {PackageOutcome::InstallFailed, false},
        {PackageOutcome::FilesMissing, false},   {PackageOutcome::InfRefused, false},
        {PackageOutcome::Unchecked, false},      {PackageOutcome::ToInstall, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LeavesNothingToFix(c.outcome), c.fine) << WordsOf(c.outcome).result;
}

TEST(RestoreDecision, OnlyCompletePackagesReachTheSystem)
{
    EXPECT_TRUE(IsInstallable(PackageOutcome::ToInstall, false));
    EXPECT_TRUE(IsInstallable(PackageOutcome::ToStage, false));
    EXPECT_FALSE(IsInstallable(PackageOutcome::Newer, false));
    EXPECT_TRUE(IsInstallable(PackageOutcome::Newer, true));
    for (bool force : {false, true}) {
        EXPECT_FALSE(IsInstallable(PackageOutcome::FilesMissing, force));
        EXPECT_FALSE(IsInstallable(PackageOutcome::InfRefused, force));
        EXPECT_FALSE(IsInstallable(PackageOutcome::Unchecked, force));
        EXPECT_FALSE(IsInstallable(PackageOutcome::NotForArchitecture, force));
    }
}

TEST(RestoreDecision, ForcingAPackageSendsItOverEveryNewerDriver)
{
    DriverPackage package;
    package.outcome = PackageOutcome::Newer;
    package.devices.resize(2);
    package.devices[0].action = DeviceAction::Skip;
    package.devices[1].action = DeviceAction::Skip;
    ForceOverNewer(package);
    EXPECT_TRUE(package.force);
    EXPECT_EQ(package.outcome, PackageOutcome::ToInstall);
    EXPECT_EQ(package.devices[0].action, DeviceAction::Install);
    EXPECT_EQ(package.devices[1].action, DeviceAction::Install);

    DriverPackage incomplete;
    incomplete.outcome = PackageOutcome::FilesMissing;
    ForceOverNewer(incomplete);
    EXPECT_EQ(incomplete.outcome, PackageOutcome::FilesMissing) << "force never lets missing files through";
}

TEST(RestoreDialog, RowShowsFolderInfVersionProviderDevicesAndStatus)
{
    DriverPackage package;
    package.displayName = L"Tarnwick ports\\Round Trip Port\\rtport.inf";
    package.version = L"5.6.7.8";
    package.provider = L"Fabrikam, Inc.";
    package.outcome = PackageOutcome::Installed;
    package.devices.resize(2);
    package.devices[0].name = L"Port A";
    package.devices[1].name = L"Port B";
    EXPECT_EQ(PackageCells(RestoreColumns(), package),
              (std::vector<std::wstring>{L"Round Trip Port", L"rtport.inf", L"5.6.7.8", L"Fabrikam, Inc.",
                                         L"Port A, Port B", L"installed"}))
        << "the device folder's own name: the class folder reads the same for many packages";

    DriverPackage loose;
    loose.displayName = L"loose.inf";
    loose.outcome = PackageOutcome::ToStage;
    const std::vector<std::wstring> columns = PackageCells(RestoreColumns(), loose);
    EXPECT_EQ(columns[0], L"") << "an INF at the top of the restored folder";
    EXPECT_EQ(columns[4], L"none present");
    EXPECT_EQ(columns[5], L"stage: no device present") << "before the run: the decision";
}

TEST(RestoreDialog, StatusTextsAreTheRunsWordsAndTheLogSaysThem)
{
    const struct {
        PackageOutcome outcome;
        const wchar_t* error;
        const wchar_t* words;  // the list's, after the run
        std::wstring line;     // the log's
    } cases[] = {
        {PackageOutcome::Installed, L"", L"installed", L"Installed."},
        {PackageOutcome::Staged, L"", L"staged (no device present)", L"Staged (no device present)."},
        {PackageOutcome::Skipped, L"", L"skipped (installed driver is newer)", L"Skipped (installed driver is newer)."},
        {PackageOutcome::FilesMissing, L"", L"files missing", L"ERROR: Files missing."},
        {PackageOutcome::FilesDamaged, L"", L"files damaged", L"ERROR: Files damaged."},
        {PackageOutcome::InfRefused, L"no device models", L"INF refused", L"ERROR: INF refused: no device models."},
        {PackageOutcome::InstallFailed, L"", L"install failed", L"ERROR: Install failed."},
        {PackageOutcome::InstallFailed, L"the installer did not finish", L"install failed",
         L"ERROR: Install failed: the installer did not finish."},
        {PackageOutcome::NotForArchitecture, L"", L"skipped: not for this architecture",
         L"Skipped: not for this architecture (" + MachineDecoration() + L")."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.line));
        DriverPackage package;
        package.outcome = c.outcome;
        package.error = c.error;
        EXPECT_EQ(WordsOf(c.outcome).result, std::wstring(c.words));
        EXPECT_EQ(ResultLine(package), c.line);
    }
    EXPECT_EQ(PackageCountText(0, 0), L"No driver packages found in this folder.");
    EXPECT_EQ(PackageCountText(3, 2), L"3 driver package(s) found, 2 ticked.");
}

TEST(RestoreDecision, EachPackageGetsOneDecisionWithItsReason)
{
    EXPECT_EQ(DecisionText((Checked(L"a", L"1.0", {{L"ROOT\\A\\0", L""}}))), L"install");
    EXPECT_EQ(DecisionText((Checked(L"b", L"1.0", {}))), L"stage: no device present");
    EXPECT_EQ(DecisionText((Checked(L"c", L"1.0", {{L"ROOT\\A\\0", L"2.0"}}))),
              L"skip: installed driver is newer");
    DriverPackage refused;
    refused.outcome = PackageOutcome::InfRefused;
    refused.error = L"no device models";
    EXPECT_EQ(DecisionText((refused)), L"refuse: no device models");
    refused.outcome = PackageOutcome::FilesMissing;
    EXPECT_EQ(DecisionText((refused)), L"refuse: files missing");
    DriverPackage later;
    later.outcome = PackageOutcome::NewerInBackup;
    later.newerPackage = L"Dev[1]\\dev.inf";
    EXPECT_EQ(DecisionText((later)), L"skip: a newer package in this backup");
    EXPECT_EQ(ResultLine(later), L"Skipped: a newer package in this backup (Dev[1]\\dev.inf).");
    DriverPackage foreign;
    foreign.outcome = PackageOutcome::NotForArchitecture;
    EXPECT_EQ(DecisionText((foreign)), L"skip: not for this architecture");
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
    foreign.outcome = PackageOutcome::NotForArchitecture;
    DriverPackage later;
    later.outcome = PackageOutcome::NewerInBackup;
    std::vector<DriverPackage> packages = {Checked(L"a", L"1.0", {{L"D\\0", L""}}), Checked(L"b", L"1.0", {}),
                                           Checked(L"c", L"1.0", {{L"D\\1", L"2.0"}}), foreign, later};
    EXPECT_TRUE(PlanSucceeds(packages));
    DriverPackage missing;
    missing.outcome = PackageOutcome::FilesMissing;
    packages.push_back(missing);
    EXPECT_FALSE(PlanSucceeds(packages));
    packages.back().selected = false;
    EXPECT_TRUE(PlanSucceeds(packages)) << "an unticked package is not restored";
    EXPECT_FALSE(PlanSucceeds({})) << "nothing to restore fails, as the restore does";
}

TEST(RestoreDecision, TheInstallerIsForcedOnlyWhereTheDecisionGoesAgainstItsRanking)
{
    EXPECT_FALSE(ForcedCalls(Checked(L"fresh", L"1.0", {{L"D\\0", L""}}))) << "no driver yet";
    EXPECT_FALSE(ForcedCalls(Checked(L"update", L"2.0", {{L"D\\0", L"1.0"}}))) << "an older driver";
    EXPECT_TRUE(ForcedCalls(Checked(L"again", L"2.0", {{L"D\\0", L"2.0"}}))) << "the same version again";
    EXPECT_TRUE(ForcedCalls(Checked(L"unknown", L"2.0", {{L"D\\0", L"?"}})));

    DriverPackage forced = Checked(L"forced", L"1.0", {{L"D\\0", L"2.0"}});
    EXPECT_FALSE(ReplacesNewerDriver(forced, forced.devices[0])) << "skipped without /force";
    EXPECT_TRUE(PlannedCalls(forced).empty()) << "no call for a device that keeps its driver";
    ForceOverNewer(forced);
    EXPECT_TRUE(ForcedCalls(forced));
    EXPECT_TRUE(ReplacesNewerDriver(forced, forced.devices[0])) << "the log says so";
    DriverPackage unreadable = Checked(L"unreadable", L"", {{L"D\\0", L"2.0"}});
    EXPECT_EQ(unreadable.outcome, PackageOutcome::Newer);
    ForceOverNewer(unreadable);
    EXPECT_TRUE(ReplacesNewerDriver(unreadable, unreadable.devices[0]));
}

TEST(RestoreDecision, EachHardwareIdIsOneCallForcedOnlyWhereAllItsDevicesGoAgainstTheRanking)
{
    const struct {
        const char* what;
        std::vector<std::pair<std::wstring, std::wstring>> devices;  // hardware ID, installed version
        std::vector<std::pair<std::wstring, bool>> calls;             // hardware ID, forced
    } cases[] = {
        {"the same version again beside a fresh device", {{L"ID\\A", L"2.0"}, {L"id\\a", L""}}, {{L"ID\\A", true}}},
        {"a device of the same ID keeps its newer driver", {{L"ID\\A", L"2.0"}, {L"ID\\A", L"3.0"}}, {{L"ID\\A", false}}},
        {"two IDs, decided each on its own", {{L"ID\\A", L"2.0"}, {L"ID\\B", L"1.0"}}, {{L"ID\\A", true}, {L"ID\\B", false}}},
        {"every device keeps its newer driver", {{L"ID\\A", L"3.0"}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::pair<std::wstring, std::wstring>> devices;
        for (size_t i = 0; i < c.devices.size(); ++i)
            devices.push_back({L"D\\" + std::to_wstring(i), c.devices[i].second});
        DriverPackage package = Checked(L"p", L"2.0", devices);
        for (size_t i = 0; i < c.devices.size(); ++i)
            package.devices[i].hardwareId = c.devices[i].first;
        std::vector<std::pair<std::wstring, bool>> calls;
        for (const PlannedCall& call : PlannedCalls(package))
            calls.push_back({call.hardwareId, call.force});
        EXPECT_EQ(calls, c.calls);
    }
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
    EXPECT_EQ(reversed[0].outcome, PackageOutcome::NewerInBackup);
    EXPECT_EQ(reversed[1].outcome, PackageOutcome::NewerInBackup);
    EXPECT_EQ(reversed[2].outcome, PackageOutcome::ToInstall);
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
    EXPECT_EQ(same[0].outcome, PackageOutcome::ToInstall);
    EXPECT_EQ(same[1].outcome, PackageOutcome::NewerInBackup);
    EXPECT_FALSE(IsRestored(PackageOutcome::NewerInBackup));
    EXPECT_FALSE(IsInstallable(PackageOutcome::NewerInBackup, true)) << "not even with /force";
}
