// tarnwick.exe /restore:... on package folders laid out as a backup leaves them: a package
// that lacks a file is never handed to the installer, one that matches no device is staged,
// and one whose device has a newer driver is skipped unless /force. The log sits in the
// restored folder and is opened; the console shows the same messages.
#include <gtest/gtest.h>

#include <algorithm>

#include "discovery/SystemFolders.h"
#include "platform/MachinePlatform.h"
#include "saving/SavePaths.h"
#include "tests/e2e/TarnwickRun.h"
#include "tests/saving/SavingTestSupport.h"
#include "tests/support/OpenVerbRecorder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Wine.h"

namespace {

// A restore that reaches an installer asking for missing media never ends: the run is given
// this long, far more than a restore of one package needs, and then counts as hung.
const DWORD kRestoreLimitMs = 120000;

class CommandLineRestoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(recorder.installed()) << "TARNWICK_OPEN_RECORDER is not set";
        backup = sandbox / L"Driver Backup";
    }

    void TearDown() override
    {
        RemoveLogsInTemp();
        for (const std::wstring& published : staged) {
            if (!published.empty())
                fixture::UninstallPublished(published);
        }
        for (const std::wstring& device : devices)
            fixture::RemoveDevice(device);
    }

    // A package as a backup holds it: the device's folder under its class folder.
    // sys: the .sys file's bytes when not empty; the package's catalog lists them.
    fixture::SimpleDriver WriteBackedUp(const std::wstring& name, const std::wstring& model, const std::wstring& version,
                                        const std::string& sys = std::string())
    {
        fixture::SimpleDriver driver = fixture::OneModelDriver(name, model, L"ROOT\\TARNWICK_RS_" + name);
        driver.driverVer = L"01/02/2020," + version;
        fixture::Package package = fixture::MakePackage(driver, {});
        if (!sys.empty())
            package.files[0].content = sys;
        std::wstring error;
        EXPECT_TRUE(fixture::WritePackage(package, FolderOf(driver), error)) << error;
        return driver;
    }

    std::wstring FolderOf(const fixture::SimpleDriver& driver) const
    {
        return backup + L"\\" + driver.classDescription + L"\\" + driver.models[0].description;
    }

    // A device of the driver's ID as a PC that lost the driver has it.
    std::wstring RegisterDevice(const fixture::SimpleDriver& driver)
    {
        std::wstring instanceId;
        std::wstring error;
        EXPECT_TRUE(fixture::RegisterBareDevice(driver.models[0].hardwareId, L"", instanceId, error)) << error;
        devices.push_back(instanceId);
        return instanceId;
    }

    ProgramRun Restore(const std::wstring& extra = std::wstring(), const std::wstring& folder = std::wstring())
    {
        return RunWithOutputToFile(L"\"" + BuildProgramPath("TARNWICK_EXE") + L"\" \"/restore:" +
                                       (folder.empty() ? backup : folder) + L"\"" + extra,
                                   kRestoreLimitMs);
    }

    ProgramRun Plan(const std::wstring& extra = std::wstring())
    {
        return Restore(L" /plan" + extra);
    }

    // A plan leaves no trace: no log in the backup folder or in the temporary folder, no
    // driver on the device, the INF not published.
    void ExpectNothingChanged(const std::wstring& device, const std::wstring& infName)
    {
        EXPECT_TRUE(LogsIn(backup).empty()) << "a plan writes no log";
        EXPECT_EQ(::GetFileAttributesW((ReadSystemFolders().windowsDir + L"\\inf\\" + infName).c_str()),
                  INVALID_FILE_ATTRIBUTES) << infName;
        if (!device.empty()) {
            EXPECT_FALSE(fixture::DriverKeyExists(device)) << device;
        }
        ::Sleep(1000);
        EXPECT_TRUE(recorder.WaitForOpened(0, 0).empty()) << "nothing is opened";
    }

    // The decision lines of a plan, in order.
    static std::vector<std::string> PlannedDecisions(const std::string& output)
    {
        std::vector<std::string> decisions;
        const std::string marker = "  Decision: ";
        for (size_t at = output.find(marker); at != std::string::npos; at = output.find(marker, at + 1))
            decisions.push_back(output.substr(at + marker.size(), output.find("\r\n", at) - at - marker.size()));
        return decisions;
    }

    // What a restore's log says it did with each package, in the plan's words.
    static std::vector<std::string> RunOutcomes(const std::string& log)
    {
        const std::pair<std::string, std::string> outcomes[] = {
            {"  Installed.\r\n", "install"},
            {"  Staged (no device present).\r\n", "stage: no device present"},
            {"  Skipped (installed driver is newer).\r\n", "skip: installed driver is newer"},
            {"  Skipped: a newer package in this backup", "skip: a newer package in this backup"},
            {"  Skipped: not for this architecture", "skip: not for this architecture"},
            {"  ERROR: Files missing.\r\n", "refuse: files missing"},
        };
        std::vector<std::string> decisions;
        for (size_t line = 0; line < log.size(); line = log.find("\r\n", line) + 2) {
            for (const auto& outcome : outcomes) {
                if (log.compare(line, outcome.first.size(), outcome.first) == 0)
                    decisions.push_back(outcome.second);
            }
            if (log.find("\r\n", line) == std::string::npos)
                break;
        }
        return decisions;
    }

    // The messages of the package's head: its INF in the backup, class, provider, version.
    static std::wstring PackageHead(const fixture::SimpleDriver& driver)
    {
        const std::wstring& version = driver.driverVer.substr(driver.driverVer.find(L',') + 1);
        return driver.classDescription + L"\\" + driver.models[0].description + L"\\" + driver.name +
               L".inf\nClass: " + driver.className + L"\nProvider: " + driver.provider + L"\nVersion: " + version +
               L"\n";
    }

    std::wstring RunStart() const
    {
        return L"Checking driver packages...\nRestoring drivers...\n  Source path is " + backup + L"\n\n";
    }

    static std::wstring Summary(int restored, int total)
    {
        return L"\nDone: " + std::to_wstring(restored) + L" of " + std::to_wstring(total) +
               L" driver package(s) restored.\n";
    }

    // The run's log, in the backup folder, shown on the console as it is and named as the last
    // line; a scripted run leaves no viewer open.
    std::string ExpectLog(const ProgramRun& run)
    {
        const std::string log = OnlyLogIn(backup);
        const std::vector<std::wstring> logs = LogsIn(backup);
        if (logs.size() != 1) {
            ADD_FAILURE() << "one log in the backup folder";
            return log;
        }
        const std::wstring kind = L"-restore-log.txt";
        EXPECT_EQ(logs[0].substr(logs[0].size() - std::min(logs[0].size(), kind.size())), kind);
        // The log is started before the check, so it holds all the console shows.
        EXPECT_EQ(run.output, log + LogBytes(WithBackslash(backup) + logs[0] + L"\n"));
        // The shell starts a viewer after the call returns: give it the time to show up.
        ::Sleep(1000);
        EXPECT_TRUE(recorder.WaitForOpened(0, 0).empty()) << "no viewer is left behind a scripted run";
        return log;
    }

    static bool Holds(const std::string& log, const std::wstring& messages)
    {
        return log.find(LogBytes(messages)) != std::string::npos;
    }

    // The log of a restore run that ended with success.
    std::string SucceededRestoreLog()
    {
        const ProgramRun run = Restore();
        EXPECT_TRUE(run.finished) << "the restore hung";
        EXPECT_EQ(run.exitCode, 0u);
        return ExpectLog(run);
    }

    // The name the system published the INF under, as the log says; removed again after the test.
    std::wstring Staged(const std::string& log)
    {
        const std::string marker = "  Staged as ";
        const size_t start = log.find(marker);
        if (start == std::string::npos)
            return std::wstring();
        const size_t end = log.find("\r\n", start);
        const std::string name = log.substr(start + marker.size(), end - start - marker.size());
        staged.emplace_back(name.begin(), name.end());
        return staged.back();
    }

    OpenVerbRecorder recorder;
    TempFolder sandbox;
    std::wstring backup;
    std::vector<std::wstring> staged;
    std::vector<std::wstring> devices;
};

} // namespace

TEST_F(CommandLineRestoreTest, PackageWithAMissingFileIsReportedAndNeverInstalled)
{
    const fixture::SimpleDriver driver = WriteBackedUp(L"rsgap", L"Gap Widget", L"1.2.3.4");
    const std::wstring device = RegisterDevice(driver);
    // One file of the install section, the co-installer and the catalog are gone.
    for (const wchar_t* suffix : {L".sys", L"co.dll", L".cat"})
        ASSERT_TRUE(::DeleteFileW((FolderOf(driver) + L"\\" + driver.name + suffix).c_str()));

    const ProgramRun plan = Plan();
    ASSERT_TRUE(plan.finished);
    EXPECT_EQ(plan.exitCode, 1u) << "a real restore would fail";
    EXPECT_TRUE(Holds(plan.output, L"  Decision: refuse: files missing\n\nA restore would fail.\n")) << plan.output;
    ExpectNothingChanged(device, L"rsgap.inf");

    const ProgramRun run = Restore();
    ASSERT_TRUE(run.finished) << "the restore hung";
    EXPECT_EQ(run.exitCode, 1u);
    const std::string log = ExpectLog(run);
    EXPECT_EQ(RunOutcomes(log), PlannedDecisions(plan.output));
    EXPECT_TRUE(Holds(log, RunStart() + PackageHead(driver) + L"Device: " + device + L" [" + device + L"]\n"));
    for (const wchar_t* suffix : {L".sys", L"co.dll", L".cat"})
        EXPECT_TRUE(Holds(log, L"    ERROR: File missing: " + driver.name + suffix + L"\n")) << suffix;
    EXPECT_TRUE(Holds(log, L"  ERROR: Files missing.\n\n" + Summary(0, 1)));
    EXPECT_FALSE(Holds(log, L"  Staging")) << "nothing was handed to the system";
    EXPECT_FALSE(fixture::DriverKeyExists(device));
    EXPECT_EQ(::GetFileAttributesW((ReadSystemFolders().windowsDir + L"\\inf\\rsgap.inf").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

TEST_F(CommandLineRestoreTest, PackageThatMatchesNoDeviceIsStaged)
{
    const fixture::SimpleDriver driver = WriteBackedUp(L"rsalone", L"Alone Widget", L"3.1.0.0");

    const std::string log = SucceededRestoreLog();
    const std::wstring published = Staged(log);
    // Known Wine difference: Wine publishes the INF under its own name; Windows as oemN.inf.
    EXPECT_EQ(published, RunningUnderWine() ? L"rsalone.inf" : published);
    EXPECT_EQ(log, LogBytes(RunStart() + PackageHead(driver) + L"Devices: none present\n  Staging rsalone.inf...\n"
                            L"  Staged as " + published + L"\n  Staged (no device present).\n\n" + Summary(1, 1)));
    EXPECT_EQ(ReadFileBytes(ReadSystemFolders().windowsDir + L"\\inf\\" + published),
              ReadFileBytes(FolderOf(driver) + L"\\rsalone.inf"));
}

TEST_F(CommandLineRestoreTest, DeviceWithoutDriverGetsThePackage)
{
    const fixture::SimpleDriver driver = WriteBackedUp(L"rslost", L"Lost Widget", L"2.0.0.1");
    const std::wstring device = RegisterDevice(driver);

    const std::string log = SucceededRestoreLog();
    const std::wstring published = Staged(log);
    EXPECT_EQ(log, LogBytes(RunStart() + PackageHead(driver) + L"Device: " + device + L" [" + device +
                            L"]\n  Staging rslost.inf...\n  Staged as " + published + L"\n  Installing on " + device +
                            L" [" + driver.models[0].hardwareId + L"]...\n  Installed.\n\n" + Summary(1, 1)));
    EXPECT_EQ(fixture::ReadDriverText(device, L"InfPath"), published);
    EXPECT_EQ(fixture::ReadDriverText(device, L"InfSection"), L"DeviceInstall");
    const std::wstring system = ReadSystemFolders().systemDir;
    EXPECT_EQ(ReadFileBytes(system + L"\\drivers\\rslost.sys"), ReadFileBytes(FolderOf(driver) + L"\\rslost.sys"));
    EXPECT_EQ(ReadFileBytes(system + L"\\rslostco.dll"), ReadFileBytes(FolderOf(driver) + L"\\rslostco.dll"))
        << "the co-installer is installed too";
}

TEST_F(CommandLineRestoreTest, NewerInstalledDriverIsSkippedUnlessForced)
{
    fixture::SimpleDriver newer = fixture::OneModelDriver(L"rsnewer", L"Newer Widget", L"ROOT\\TARNWICK_RS_rsnewer");
    newer.driverVer = L"05/06/2024,2.0.0.0";
    fixture::ScopedPackage installed(fixture::MakePackage(newer, {{newer.models[0].hardwareId}}));
    ASSERT_TRUE(installed.ok()) << ::testing::PrintToString(installed.error());
    const std::wstring device = installed.result().devices[0].instanceId;
    const fixture::SimpleDriver older =
        WriteBackedUp(L"rsnewer", L"Newer Widget", L"1.9.9.9", "the older driver's own bytes");

    const ProgramRun plan = Plan();
    ASSERT_TRUE(plan.finished);
    EXPECT_EQ(plan.exitCode, 0u) << plan.output;
    EXPECT_TRUE(Holds(plan.output, older.classDescription + L"\\Newer Widget\\rsnewer.inf\n  Saved version: 1.9.9.9\n"
                                   L"  Device: Newer Widget [" + device + L"], installed version: 2.0.0.0\n"
                                   L"  Decision: skip: installed driver is newer\n\nA restore would succeed.\n"))
        << plan.output;
    const ProgramRun forcedPlan = Plan(L" /force");
    ASSERT_TRUE(forcedPlan.finished);
    EXPECT_EQ(forcedPlan.exitCode, 0u);
    EXPECT_EQ(PlannedDecisions(forcedPlan.output), std::vector<std::string>{"install"}) << forcedPlan.output;
    EXPECT_TRUE(LogsIn(backup).empty());
    EXPECT_EQ(fixture::ReadDriverText(device, L"InfPath"), installed.result().publishedInf) << "the plan changed nothing";

    const ProgramRun skipped = Restore();
    ASSERT_TRUE(skipped.finished);
    EXPECT_EQ(skipped.exitCode, 0u) << "a package skipped for a newer driver leaves nothing to fix";
    const std::string skipLog = ExpectLog(skipped);
    EXPECT_EQ(skipLog, LogBytes(RunStart() + PackageHead(older) + L"Device: Newer Widget [" + device + L"]\n" +
                                L"  Skipping Newer Widget: its driver 2.0.0.0 is newer.\n"
                                L"  Skipped (installed driver is newer).\n\n" + Summary(0, 1)));
    EXPECT_EQ(fixture::ReadDriverText(device, L"InfPath"), installed.result().publishedInf);

    ASSERT_TRUE(::DeleteFileW((backup + L"\\" + LogsIn(backup)[0]).c_str()));
    recorder.Clear();
    const ProgramRun forced = Restore(L" /force");
    ASSERT_TRUE(forced.finished);
    EXPECT_EQ(forced.exitCode, 0u);
    const std::string forceLog = ExpectLog(forced);
    const std::wstring published = Staged(forceLog);
    EXPECT_TRUE(Holds(forceLog, L"  /force: replacing the newer driver 2.0.0.0 of Newer Widget with 1.9.9.9.\n"
                                L"  Installing on Newer Widget [ROOT\\TARNWICK_RS_rsnewer]...\n  Installed.\n\n" +
                                    Summary(1, 1)));
    EXPECT_EQ(fixture::ReadDriverText(device, L"InfPath"), published);
    EXPECT_EQ(ReadFileBytes(ReadSystemFolders().systemDir + L"\\drivers\\rsnewer.sys"),
              ReadFileBytes(FolderOf(older) + L"\\rsnewer.sys"));
}

TEST_F(CommandLineRestoreTest, PackageWithFilesInSubfoldersComesBackFromItsBackup)
{
    fixture::ScopedPackage installed(fixture::LayoutPackage(L"ROOT\\TARNWICK_RS_LAYOUT"));
    ASSERT_TRUE(installed.ok()) << ::testing::PrintToString(installed.error());
    const ProgramRun saved = RunTarnwick(PathArgument(backup));
    ASSERT_EQ(saved.exitCode, 0u);
    const std::vector<std::wstring> saveLogs = LogsIn(backup);
    ASSERT_EQ(saveLogs.size(), 1u);
    ASSERT_TRUE(::DeleteFileW((backup + L"\\" + saveLogs[0]).c_str()));
    recorder.Clear();

    const ProgramRun run = Restore();
    ASSERT_TRUE(run.finished) << "the restore hung";
    const std::string log = ExpectLog(run);
    Staged(log);
    EXPECT_TRUE(Holds(log, L"Tarnwick test devices\\Layout Device\\layout.inf\nClass: TarnwickTest\n"
                           L"Provider: Layout Corp\nVersion: 3.0.0.1\n"));
    // The backup keeps each file's subfolder, so the package installs from it.
    EXPECT_EQ(run.exitCode, 0u) << log;
    EXPECT_TRUE(Holds(log, L"  Installed.\n\n")) << log;
}

TEST_F(CommandLineRestoreTest, FolderWithoutPackagesFailsWithItsLogInTheFolder)
{
    ASSERT_TRUE(WriteFileBytes(backup + L"\\notes.txt", "no driver here"));
    ASSERT_TRUE(WriteFileBytes(backup + L"\\Class\\Device\\readme.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n"));

    const ProgramRun run = Restore();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(ExpectLog(run), LogBytes(L"Checking driver packages...\nERROR: No driver packages found in " + backup + L"\n"));
}

TEST_F(CommandLineRestoreTest, NothingIsReadFromOutsideTheRestoredFolder)
{
    // The stick holds a catalog above the restored folder; the INF names it.
    ASSERT_TRUE(WriteFileBytes(sandbox / L"planted.cat", "planted catalog"));
    const fixture::SimpleDriver driver = WriteBackedUp(L"rsplant", L"Plant Widget", L"1.0.0.0");
    const std::wstring inf = FolderOf(driver) + L"\\rsplant.inf";
    std::wstring text = fixture::SimpleInfText(driver);
    for (size_t at = text.find(L"=rsplant.cat"); at != std::wstring::npos; at = text.find(L"=rsplant.cat", at + 1))
        text.replace(at, 12, L"=..\\..\\..\\planted.cat");
    ASSERT_TRUE(WriteFileBytes(inf, std::string(reinterpret_cast<const char*>((L"\xFEFF" + text).c_str()),
                                                (text.size() + 1) * 2)));
    const std::wstring device = RegisterDevice(driver);

    const ProgramRun run = Restore();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    const std::string log = ExpectLog(run);
    EXPECT_TRUE(Holds(log, L"  ERROR: INF refused: outside the package folder: ..\\..\\..\\planted.cat.\n\n" +
                               Summary(0, 1))) << log;
    EXPECT_FALSE(Holds(log, L"  Staging")) << "never handed to the installer";
    EXPECT_FALSE(fixture::DriverKeyExists(device));
    const SystemFolders folders = ReadSystemFolders();
    EXPECT_EQ(::GetFileAttributesW((folders.catalogDir + L"\\planted.cat").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(::GetFileAttributesW((folders.windowsDir + L"\\inf\\rsplant.inf").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(CommandLineRestoreTest, AMissingFolderIsNamedAsSuch)
{
    for (const std::wstring& missing : {backup + L"\\missing", sandbox / L"file.txt"}) {
        SCOPED_TRACE(::testing::PrintToString(missing));
        ASSERT_TRUE(WriteFileBytes(sandbox / L"file.txt", "no folder"));
        const ProgramRun run = Restore(L"", missing);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 1u);
        EXPECT_EQ(run.output.rfind(LogBytes(L"Checking driver packages...\nERROR: Folder not found: " + missing + L"\n"), 0), 0u)
            << run.output;
    }
}

TEST_F(CommandLineRestoreTest, PlanChangesNothingAndTellsWhatTheRestoreThenDoes)
{
    const fixture::SimpleDriver lost = WriteBackedUp(L"rsplanlost", L"Plan Lost Widget", L"2.0.0.1");
    const std::wstring device = RegisterDevice(lost);
    const fixture::SimpleDriver alone = WriteBackedUp(L"rsplanalone", L"Plan Alone Widget", L"3.0.0.0");
    // A package made only for another processor, as a backup taken on an ARM64 PC holds it.
    fixture::SimpleDriver foreign = fixture::OneModelDriver(L"rsplanarm", L"Plan Arm Widget", L"ROOT\\TARNWICK_RS_ARM");
    fixture::Package foreignPackage = fixture::MakePackage(foreign, {});
    const std::wstring other = MachineDecoration() == L"arm64" ? L"NTamd64" : L"NTarm64";
    for (size_t at = foreignPackage.infText.find(L"NTamd64"); at != std::wstring::npos;
         at = foreignPackage.infText.find(L"NTamd64", at))
        foreignPackage.infText.replace(at, 7, other);
    std::wstring error;
    ASSERT_TRUE(fixture::WritePackage(foreignPackage, FolderOf(foreign), error)) << error;
    const std::wstring foreignDevice = RegisterDevice(foreign);

    const ProgramRun plan = Plan();
    ASSERT_TRUE(plan.finished);
    EXPECT_EQ(plan.exitCode, 0u) << plan.output;
    EXPECT_TRUE(Holds(plan.output, L"Checking driver packages...\nRestore plan for " + backup + L" (nothing is installed):\n\n"))
        << plan.output;
    EXPECT_TRUE(Holds(plan.output, lost.classDescription + L"\\Plan Lost Widget\\rsplanlost.inf\n  Saved version: 2.0.0.1\n"
                                   L"  Device: " + device + L" [" + device + L"], installed version: none\n"
                                   L"  Decision: install\n\n")) << plan.output;
    EXPECT_TRUE(Holds(plan.output, L"rsplanalone.inf\n  Saved version: 3.0.0.0\n  Devices: none present\n"
                                   L"  Decision: stage: no device present\n\n")) << plan.output;
    EXPECT_TRUE(Holds(plan.output, L"rsplanarm.inf\n  Saved version: 1.2.3.4\n  Devices: none present\n"
                                   L"  Decision: skip: not for this architecture\n\n")) << plan.output;
    EXPECT_TRUE(Holds(plan.output, L"A restore would succeed.\n")) << plan.output;
    for (const wchar_t* inf : {L"rsplanlost.inf", L"rsplanalone.inf", L"rsplanarm.inf"})
        ExpectNothingChanged(device, inf);
    EXPECT_FALSE(fixture::DriverKeyExists(foreignDevice));

    const ProgramRun run = Restore();
    ASSERT_TRUE(run.finished) << "the restore hung";
    EXPECT_EQ(run.exitCode, 0u) << "installed, staged and skipped for its processor: nothing to fix";
    const std::string log = ExpectLog(run);
    for (size_t at = log.find("  Staged as "); at != std::string::npos; at = log.find("  Staged as ", at + 1))
        Staged(log.substr(at));
    EXPECT_EQ(RunOutcomes(log), PlannedDecisions(plan.output)) << log;
    EXPECT_EQ(RunOutcomes(log).size(), 3u) << log;
    EXPECT_TRUE(Holds(log, L"Devices: none present\n  Skipped: not for this architecture (" + MachineDecoration() + L").\n\n"))
        << log;
    EXPECT_FALSE(fixture::DriverKeyExists(foreignDevice)) << "never installed on a device of its ID";
    EXPECT_TRUE(fixture::DriverKeyExists(device));
}
