// The restore run on packages written at test time: only the selected packages take part, a
// stop asked for between packages ends the run with the abort line and no summary, the
// fraction done reaches 1, and a command-line restore without administrator rights stops
// before anything is looked at.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "app/CStandaloneTarnwick.h"
#include "discovery/SystemFolders.h"
#include "restore/CDriverRestorer.h"
#include "restore/PackageInstaller.h"
#include "tests/fixtures/DriverFixture.h"
#include "tests/saving/SavingTestSupport.h"
#include "tests/support/ShellOpenRecorder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestBackup.h"
#include "tests/support/Wine.h"

namespace {

class RestoreRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const wchar_t* name : {L"rrfirst", L"rrsecond", L"rrthird"})
            backup.Add(name);
    }

    void TearDown() override
    {
        RemoveLogsInTemp();
        for (const wchar_t* inf : {L"rrfirst.inf", L"rrsecond.inf", L"rrthird.inf"})
            fixture::UninstallPublished(inf);
        for (const std::wstring& inf : published)
            fixture::UninstallPublished(inf);
        for (const std::wstring& device : registered)
            fixture::RemoveDevice(device);
    }

    static std::wstring StagedLines(const std::wstring& name)
    {
        return name + L"\\" + name + L".inf\nClass: TarnwickTest\nProvider: Contoso\nVersion: 1.2.3.4\n"
               L"Devices: none present\n  Staging " + name + L".inf...\n  Staged as " + name +
               L".inf\n  Staged (no device present).\n\n";
    }

    // A package of its own in folder (under `other`) for a device registered now, as a PC
    // that lost the driver has it; removed again after the test.
    // sys: the .sys file's bytes when not empty; the package's catalog lists them.
    fixture::SimpleDriver WriteForDevice(const std::wstring& name, const std::wstring& folder,
                                         const std::wstring& version, const std::wstring& hardwareId,
                                         const std::string& sys = std::string())
    {
        fixture::SimpleDriver driver = fixture::OneModelDriver(name, name + L" device", hardwareId);
        driver.driverVer = L"01/02/2020," + version;
        fixture::Package package = fixture::MakePackage(driver, {});
        if (!sys.empty())
            package.files[0].content = sys;
        other.Write(package, folder);
        published.push_back(name + L".inf");
        return driver;
    }

    std::wstring RegisterDevice(const std::wstring& hardwareId)
    {
        std::wstring instanceId;
        std::wstring error;
        EXPECT_TRUE(fixture::RegisterBareDevice(hardwareId, L"", instanceId, error)) << error;
        registered.push_back(instanceId);
        return instanceId;
    }

    // The log of a restore of `other`, run to its end by a restorer of its own.
    std::string RestoreOther(bool& succeeded, DWORD timeLimitMs = kInstallTimeLimitMs,
                             const std::function<void(CDriverRestorer&)>& afterCheck = nullptr)
    {
        {
            RecordingReporter reporter;
            CDriverRestorer restorer(reporter, shell, ReadSystemFolders());
            restorer.SetInstallTimeLimit(timeLimitMs);
            EXPECT_TRUE(restorer.FindPackages(other.Folder(), false));
            if (afterCheck)
                afterCheck(restorer);
            succeeded = restorer.RestoreAll(nullptr);
        }
        return OnlyLogIn(other.path());
    }

    ShellOpenRecorder shell;
    TestBackup backup;
    TestBackup other;
    std::vector<std::wstring> published;
    std::vector<std::wstring> registered;
};

// Runs the command-line run with standard output going to a file of its own, and returns what
// it wrote there.
std::string RunCapturingOutput(CStandaloneTarnwick& run, const CommandLineOptions& options, int& exitCode)
{
    TempFolder folder;
    const std::wstring path = folder / L"output.txt";
    std::fflush(stdout);
    const int saved = ::_dup(::_fileno(stdout));
    const int file = ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0600);
    ::_dup2(file, ::_fileno(stdout));
    exitCode = run.Run(options);
    std::fflush(stdout);
    ::_dup2(saved, ::_fileno(stdout));
    ::_close(saved);
    ::_close(file);
    return ReadFileBytes(path);
}

} // namespace

TEST_F(RestoreRunTest, OnlySelectedPackagesAreRestoredAndCounted)
{
    {
        RecordingReporter reporter;
        CDriverRestorer restorer(reporter, shell, ReadSystemFolders());
        ASSERT_TRUE(restorer.FindPackages(backup.Folder(), false));
        ASSERT_EQ(restorer.Packages().size(), 3u);
        restorer.Packages()[1].selected = false;
        reporter.fractions.clear();
        EXPECT_TRUE(restorer.RestoreAll(nullptr));
        EXPECT_EQ(restorer.Packages()[0].outcome, PackageOutcome::Staged);
        EXPECT_EQ(restorer.Packages()[1].outcome, PackageOutcome::ToStage) << "left alone";
        ASSERT_FALSE(reporter.fractions.empty());
        EXPECT_DOUBLE_EQ(reporter.fractions.back(), 1.0);
        for (size_t i = 1; i < reporter.fractions.size(); ++i)
            EXPECT_GE(reporter.fractions[i], reporter.fractions[i - 1]);
    }
    EXPECT_EQ(OnlyLogIn(backup.path()),
              LogBytes(L"Restoring drivers...\n  Source path is " + backup.path() + L"\n\n" + StagedLines(L"rrfirst") +
                       StagedLines(L"rrthird") + L"\nDone: 2 of 2 driver package(s) restored.\n"));
}

TEST_F(RestoreRunTest, StopBetweenPackagesEndsTheRunWithoutASummary)
{
    {
        RecordingReporter reporter;
        CDriverRestorer restorer(reporter, shell, ReadSystemFolders());
        ASSERT_TRUE(restorer.FindPackages(backup.Folder(), false));
        // The first package's step ends at a third; the stop is asked for as it is passed.
        reporter.fractions.clear();
        reporter.stopAbove = 0.3;
        EXPECT_FALSE(restorer.RestoreAll(nullptr));
        EXPECT_EQ(restorer.Packages()[1].outcome, PackageOutcome::ToStage);
        EXPECT_EQ(restorer.Packages()[2].outcome, PackageOutcome::ToStage);
    }
    EXPECT_EQ(OnlyLogIn(backup.path()),
              LogBytes(L"Restoring drivers...\n  Source path is " + backup.path() + L"\n\n" + StagedLines(L"rrfirst") +
                       L"  Operation aborted by the user.\n"));
}

TEST_F(RestoreRunTest, CheckStopsWhenTheReporterSaysSo)
{
    RecordingReporter reporter;
    reporter.stopAtFirst = true;
    CDriverRestorer restorer(reporter, shell, ReadSystemFolders());
    EXPECT_FALSE(restorer.FindPackages(backup.Folder(), false));
    EXPECT_EQ(reporter.fractions.size(), 1u) << "no package checked after the stop";
}

TEST_F(RestoreRunTest, DamagedPackageIsNeverHandedToTheInstallerEvenWithForceAndTheOthersAre)
{
    const std::wstring sys = backup / L"rrsecond\\rrsecond.sys";
    std::string bytes = ReadFileBytes(sys);
    bytes[bytes.size() / 2] ^= 0x10;
    ASSERT_TRUE(WriteFileBytes(sys, bytes));
    CStandaloneTarnwick run(shell);
    run.hasInstallRights = [] { return true; };
    CommandLineOptions options;
    ASSERT_EQ(ChooseRun((L"tarnwick.exe \"/restore:" + backup.path() + L"\" /force").c_str(), options),
              CommandLineRun::CommandLine);
    int exitCode = -1;
    RunCapturingOutput(run, options, exitCode);
    EXPECT_EQ(exitCode, 1);
    const std::string log = OnlyLogIn(backup.path());
    EXPECT_NE(log.find(LogBytes(StagedLines(L"rrfirst"))), std::string::npos) << log;
    EXPECT_NE(log.find(LogBytes(StagedLines(L"rrthird"))), std::string::npos) << log;
    EXPECT_NE(log.find(LogBytes(L"Devices: none present\n    ERROR: File damaged: rrsecond.sys: does not match the "
                                L"catalog\n  ERROR: Files damaged.\n\n")),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("Staging rrsecond.inf"), std::string::npos) << "never handed to the system";
    EXPECT_NE(log.find("Done: 2 of 3 driver package(s) restored."), std::string::npos) << log;
    EXPECT_EQ(::GetFileAttributesW((ReadSystemFolders().windowsDir + L"\\inf\\rrsecond.inf").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

TEST_F(RestoreRunTest, CommandLineWithoutRightsSaysSoAndTouchesNothing)
{
    // Known Wine difference: every process has an elevated token under Wine, so the missing
    // rights of a process on Windows are stood in for here.
    if (RunningUnderWine()) {
        EXPECT_TRUE(ProcessIsElevated()) << "Wine's user is an administrator";
    }
    CStandaloneTarnwick run(shell);
    run.hasInstallRights = [] { return false; };
    CommandLineOptions options;
    ASSERT_EQ(ChooseRun((L"tarnwick.exe \"/restore:" + backup.path() + L"\"").c_str(), options),
              CommandLineRun::CommandLine);
    int exitCode = -1;
    const std::string output = RunCapturingOutput(run, options, exitCode);
    EXPECT_EQ(exitCode, 1);
    EXPECT_EQ(output, std::string(kNoRightsMessage));
    EXPECT_NE(output.find("administrator"), std::string::npos);
    EXPECT_TRUE(LogsIn(backup.path()).empty()) << "no log: nothing was looked at";
    EXPECT_EQ(::GetFileAttributesW((ReadSystemFolders().windowsDir + L"\\inf\\rrfirst.inf").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

TEST_F(RestoreRunTest, AFolderGivenRelativeIsResolved)
{
    wchar_t previous[MAX_PATH] = L"";
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(backup.path().c_str()));
    std::vector<DriverPackage> found;
    bool restored = false;
    {
        RecordingReporter reporter;
        CDriverRestorer restorer(reporter, shell, ReadSystemFolders());
        const bool checked = restorer.FindPackages(ExistingFolder(L"."), false);
        found = restorer.Packages();
        restored = checked && restorer.RestoreAll(nullptr);
        EXPECT_EQ(restorer.Folder(), backup.path());
    }
    ::SetCurrentDirectoryW(previous);
    EXPECT_TRUE(restored) << "each package staged from its full path";
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].infPath, backup / L"rrfirst\\rrfirst.inf");
    EXPECT_EQ(OnlyLogIn(backup.path()).find(LogBytes(L"ERROR")), std::string::npos);
}

TEST_F(RestoreRunTest, TheNewestPackageForADeviceWinsWhateverThePathOrder)
{
    // "Dev[1]" sorts before "Dev\": installed in path order, the older one would come last.
    const std::wstring id = L"ROOT\\TARNWICK_RR_TWICE";
    WriteForDevice(L"rrtwice", L"Dev", L"1.5.0.0", id);
    WriteForDevice(L"rrtwice", L"Dev[1]", L"2.0.0.0", id, "the newer driver");
    const std::wstring device = RegisterDevice(id);

    bool succeeded = false;
    const std::string log = RestoreOther(succeeded);
    EXPECT_TRUE(succeeded) << log;
    EXPECT_NE(log.find(LogBytes(L"Dev\\rrtwice.inf\nClass: TarnwickTest\nProvider: Contoso\nVersion: 1.5.0.0\nDevice: " +
                                device + L" [" + device + L"]\n  Skipped: a newer package in this backup (Dev[1]\\rrtwice.inf).\n")),
              std::string::npos) << log;
    EXPECT_NE(log.find(LogBytes(L"\nDone: 1 of 1 driver package(s) restored.\n")), std::string::npos) << log;
    EXPECT_EQ(fixture::ReadDriverText(device, L"InfSection"), L"DeviceInstall");
    EXPECT_EQ(ReadFileBytes(ReadSystemFolders().systemDir + L"\\drivers\\rrtwice.sys"), "the newer driver");
}

TEST_F(RestoreRunTest, NothingThatLeadsOutOfAPackageIsInstalled)
{
    const std::string outsideBytes = "the bytes of a file outside the backup";
    struct Case {
        const wchar_t* name;
        TestBackup::Change package;
        std::function<void(const std::wstring& folder)> change;
        std::wstring reason;
    };
    const Case cases[] = {
        // Unsigned, as in the attack: no catalog stands in the way of the outside bytes.
        {L"rrlink",
         [](fixture::Package& package) {
             package.catalog.clear();
             for (const std::wstring line : {L"CatalogFile.NTamd64=rrlink.cat\r\n", L"CatalogFile=rrlink.cat\r\n"})
                 package.infText.erase(package.infText.find(line), line.size());
         },
         [&](const std::wstring& folder) {
             ASSERT_TRUE(WriteFileBytes(folder + L" outside\\a14.sys", outsideBytes));
             ASSERT_TRUE(::DeleteFileW((folder + L"\\rrlink.sys").c_str()));
             ASSERT_TRUE(MakeFileLink(folder + L"\\rrlink.sys", folder + L" outside\\a14.sys"));
         },
         L"outside the package folder: rrlink.sys"},
        {L"rrplain",
         [](fixture::Package& package) {
             const size_t plain = package.infText.find(L"CatalogFile=rrplain.cat");
             package.infText.replace(plain, 23, L"CatalogFile=..\\rrplain outside\\hosts");
         },
         [&](const std::wstring& folder) { ASSERT_TRUE(WriteFileBytes(folder + L" outside\\hosts", outsideBytes)); },
         L"outside the package folder: ..\\rrplain outside\\hosts"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(test.name)));
        TestBackup attacked;
        attacked.Add(test.name, test.name, {}, test.package);
        test.change(attacked / test.name);
        published.push_back(std::wstring(test.name) + L".inf");
        RegisterDevice(L"ROOT\\TARNWICK_" + std::wstring(test.name));
        {
            RecordingReporter reporter;
            CDriverRestorer restorer(reporter, shell, ReadSystemFolders());
            ASSERT_TRUE(restorer.FindPackages(attacked.Folder(), true));
            EXPECT_FALSE(restorer.RestoreAll(nullptr));
        }
        const std::string log = OnlyLogIn(attacked.path());
        EXPECT_NE(log.find(LogBytes(L"  ERROR: INF refused: " + test.reason + L".\n")), std::string::npos) << log;
        const SystemFolders system = ReadSystemFolders();
        EXPECT_NE(ReadFileBytes(system.systemDir + L"\\drivers\\" + test.name + L".sys"), outsideBytes);
        EXPECT_EQ(::GetFileAttributesW((system.windowsDir + L"\\inf\\" + test.name + L".inf").c_str()),
                  INVALID_FILE_ATTRIBUTES) << "never staged";
    }
}

TEST_F(RestoreRunTest, OnePackageInSeveralFoldersIsInstalledOnce)
{
    for (const wchar_t* folder : {L"Ports\\Port A", L"Ports\\Port B"})
        WriteForDevice(L"rrsame", folder, L"1.0.0.0", L"ROOT\\TARNWICK_RR_SAME");
    bool succeeded = false;
    std::vector<DriverPackage> found;
    const std::string log = RestoreOther(succeeded, kInstallTimeLimitMs,
                                         [&found](CDriverRestorer& restorer) { found = restorer.Packages(); });
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].sameIn, std::vector<std::wstring>{L"Ports\\Port B\\rrsame.inf"});
    EXPECT_TRUE(succeeded);
    EXPECT_NE(log.find(LogBytes(L"Ports\\Port A\\rrsame.inf\nSame package: Ports\\Port B\\rrsame.inf\n")), std::string::npos)
        << log;
    EXPECT_NE(log.find(LogBytes(L"\nDone: 1 of 1 driver package(s) restored.\n")), std::string::npos) << log;
}

TEST_F(RestoreRunTest, AFileGoneAfterTheCheckFailsTheInstall)
{
    const fixture::SimpleDriver driver = WriteForDevice(L"rrgone", L"Gone", L"1.0.0.0", L"ROOT\\TARNWICK_RR_GONE");
    RegisterDevice(driver.models[0].hardwareId);
    bool succeeded = true;
    const std::string log = RestoreOther(succeeded, kInstallTimeLimitMs, [this](CDriverRestorer&) {
        ASSERT_TRUE(::DeleteFileW((other / L"Gone\\rrgone.dll").c_str()));
    });
    EXPECT_FALSE(succeeded);
    EXPECT_EQ(::GetFileAttributesW((ReadSystemFolders().systemDir + L"\\rrgone.dll").c_str()), INVALID_FILE_ATTRIBUTES);
    // The destination as the installer names it: the file's full path in the system folder.
    const size_t failed = log.find(LogBytes(L"  ERROR: Install failed: "));
    ASSERT_NE(failed, std::string::npos) << log;
    const std::string line = log.substr(failed, log.find("\r\n", failed) - failed);
    const std::string end = "\\rrgone.dll not installed.";
    EXPECT_EQ(line.substr(line.size() - std::min(line.size(), end.size())), end) << line;
}

TEST_F(RestoreRunTest, TheLogIsOpenedBeforeTheCheck)
{
    {
        RecordingReporter reporter;
        reporter.stopAtFirst = true;
        CDriverRestorer restorer(reporter, shell, ReadSystemFolders());
        EXPECT_TRUE(restorer.OpenLog(backup.Folder(), nullptr));
        EXPECT_FALSE(restorer.FindPackages(backup.Folder(), false)) << "ended during the check";
    }
    EXPECT_EQ(OnlyLogIn(backup.path()), LogBytes(L"Checking driver packages...\n"));
}

TEST_F(RestoreRunTest, ALogThatCannotBeWrittenIsSaidOnTheConsole)
{
    TempFolder consoleFolder;
    const std::wstring consolePath = consoleFolder / L"console.txt";
    SystemFolders folders = ReadSystemFolders();
    folders.tempDir = backup / L"rrfirst\\rrfirst.inf\\no folder";
    {
        FILE* console = ::_wfopen(consolePath.c_str(), L"wb");
        ASSERT_NE(console, nullptr);
        {
            RecordingReporter reporter;
            CDriverRestorer restorer(reporter, shell, folders);
            EXPECT_FALSE(restorer.OpenLog(backup.Folder(), console));
        }
        std::fclose(console);
    }
    const std::string output = ReadFileBytes(consolePath);
    EXPECT_EQ(output.rfind("WARNING: The log cannot be written in " + ToLogText(folders.tempDir) + ": ", 0), 0u) << output;
    EXPECT_NE(output.find("Checking driver packages..."), std::string::npos) << output;
}

TEST_F(RestoreRunTest, TwoRestoresAtOnceKeepBothLogs)
{
    const OtherRunsLogs others(backup.path(), L"restore-log");
    {
        RecordingReporter reporter;
        CDriverRestorer restorer(reporter, shell, ReadSystemFolders());
        ASSERT_TRUE(restorer.FindPackages(backup.Folder(), false));
        restorer.Packages()[1].selected = false;
        restorer.Packages()[2].selected = false;
        EXPECT_TRUE(restorer.RestoreAll(nullptr));
    }
    EXPECT_TRUE(others.Untouched()) << "the other run's log with the same name stays";
    EXPECT_EQ(LogsIn(backup.path()).size(), 61u);
}

TEST_F(RestoreRunTest, ALogThatCannotBeMovedIntoTheFolderIsSaidOnTheConsole)
{
    TempFolder consoleFolder;
    const std::wstring consolePath = consoleFolder / L"console.txt";
    TempFolder gone;
    FILE* console = ::_wfopen(consolePath.c_str(), L"wb");
    ASSERT_NE(console, nullptr);
    {
        RecordingReporter reporter;
        CDriverRestorer restorer(reporter, shell, ReadSystemFolders());
        EXPECT_TRUE(restorer.OpenLog(ExistingFolder(gone.path()), console));
        // The media goes away before the end, as a stick pulled out does.
        ASSERT_TRUE(RemoveTree(gone.path()));
    }
    std::fclose(console);
    const std::string output = ReadFileBytes(consolePath);
    EXPECT_NE(output.find(ToLogText(L"The log could not be moved into " + gone.path() + L": ")), std::string::npos) << output;
    EXPECT_NE(output.find("It stays at "), std::string::npos) << output;
    const std::vector<std::wstring> opened = shell.Opened();
    ASSERT_EQ(opened.size(), 1u) << "the log is opened where it stays";
    EXPECT_EQ(ReadLogBeingWritten(opened[0]), LogBytes(L"Checking driver packages...\n"));
}

// Last in this program: the installer it gives up on goes on waiting in the background.
TEST_F(RestoreRunTest, AnInstallerThatNeverFinishesIsGivenUpOnAndTheRunGoesOn)
{
    const fixture::SimpleDriver hung = WriteForDevice(L"rrhung", L"A Hung", L"1.0.0.0", L"ROOT\\TARNWICK_RR_HUNG");
    RegisterDevice(hung.models[0].hardwareId);
    WriteForDevice(L"rrafter", L"B After", L"1.0.0.0", L"ROOT\\TARNWICK_RR_AFTER");
    bool succeeded = true;
    // The system's installer asks for a missing driver file again and again.
    const std::string log = RestoreOther(succeeded, 3000, [this](CDriverRestorer&) {
        ASSERT_TRUE(::DeleteFileW((other / L"A Hung\\rrhung.sys").c_str()));
    });
    EXPECT_FALSE(succeeded);
    EXPECT_NE(log.find(LogBytes(L"  ERROR: Install failed: the installer did not finish.\n")), std::string::npos) << log;
    EXPECT_NE(log.find(LogBytes(L"B After\\rrafter.inf\n")), std::string::npos) << "the next package's turn comes";
    EXPECT_NE(log.find(LogBytes(L"\nDone: 1 of 2 driver package(s) restored.\n")), std::string::npos) << log;
}
