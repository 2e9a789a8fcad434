// The restore run on packages written at test time: only the selected packages take part, a
// stop asked for between packages ends the run with the abort line and no summary, the
// fraction done reaches 1, and a command-line restore without administrator rights stops
// before anything is looked at.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "app/CStandaloneTarnwick.h"
#include "discovery/SystemFolders.h"
#include "restore/CDriverRestorer.h"
#include "tests/fixtures/DriverFixture.h"
#include "tests/saving/SavingTestSupport.h"
#include "tests/support/ShellOpenRecorder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Wine.h"

namespace {

class RestoreRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const wchar_t* name : {L"rrfirst", L"rrsecond", L"rrthird"}) {
            const fixture::SimpleDriver driver = fixture::OneModelDriver(name, name, L"ROOT\\TARNWICK_RR_" + std::wstring(name));
            std::wstring error;
            ASSERT_TRUE(fixture::WritePackage(fixture::MakePackage(driver, {}), backup / name, error)) << error;
        }
    }

    void TearDown() override
    {
        RemoveLogsInTemp();
        for (const wchar_t* inf : {L"rrfirst.inf", L"rrsecond.inf", L"rrthird.inf"})
            fixture::UninstallPublished(inf);
    }

    static std::wstring StagedLines(const std::wstring& name)
    {
        return name + L"\\" + name + L".inf\nClass: TarnwickTest\nProvider: Contoso\nVersion: 1.2.3.4\n"
               L"Devices: none present\n  Staging " + name + L".inf...\n  Staged as " + name +
               L".inf\n  Staged (no device present).\n\n";
    }

    ShellOpenRecorder shell;
    TempFolder backup;
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
        ASSERT_TRUE(restorer.FindPackages(backup.path(), false));
        ASSERT_EQ(restorer.Packages().size(), 3u);
        restorer.Packages()[1].selected = false;
        reporter.fractions.clear();
        EXPECT_TRUE(restorer.RestoreAll(nullptr));
        EXPECT_EQ(restorer.Packages()[0].status, PackageStatus::Staged);
        EXPECT_EQ(restorer.Packages()[1].status, PackageStatus::ToStage) << "left alone";
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
        ASSERT_TRUE(restorer.FindPackages(backup.path(), false));
        // The first package's step ends at a third; the stop is asked for as it is passed.
        reporter.fractions.clear();
        reporter.stopAbove = 0.3;
        EXPECT_FALSE(restorer.RestoreAll(nullptr));
        EXPECT_EQ(restorer.Packages()[1].status, PackageStatus::ToStage);
        EXPECT_EQ(restorer.Packages()[2].status, PackageStatus::ToStage);
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
    EXPECT_FALSE(restorer.FindPackages(backup.path(), false));
    EXPECT_EQ(reporter.fractions.size(), 1u) << "no package checked after the stop";
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
    options.restore = backup.path();
    int exitCode = -1;
    const std::string output = RunCapturingOutput(run, options, exitCode);
    EXPECT_EQ(exitCode, 1);
    EXPECT_EQ(output, std::string(kNoRightsMessage));
    EXPECT_NE(output.find("administrator"), std::string::npos);
    EXPECT_TRUE(LogsIn(backup.path()).empty()) << "no log: nothing was looked at";
    EXPECT_EQ(::GetFileAttributesW((ReadSystemFolders().windowsDir + L"\\inf\\rrfirst.inf").c_str()),
              INVALID_FILE_ATTRIBUTES);
}
