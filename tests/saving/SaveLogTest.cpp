// The save log: its dated name, its 8-bit CR LF text written whole, the console copy, and
// where it ends up and is opened from.
#include <gtest/gtest.h>

#include <string>

#include "discovery/SystemFolders.h"
#include "log/SaveLog.h"
#include "saving/SavePaths.h"
#include "tests/saving/SavingTestSupport.h"
#include "tests/support/ShellOpenRecorder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestFiles.h"

namespace {

class SaveLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(target.path().empty());
    }

    static std::vector<std::wstring> LogsInTemp() { return LogsIn(ReadSystemFolders().tempDir); }

    void TearDown() override { RemoveLogsInTemp(); }

    ShellOpenRecorder shell;
    TempFolder target;
};

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    return time;
}

} // namespace

TEST(SaveLogName, DateAndTimeWithLeadingZerosAndDots)
{
    SYSTEMTIME december = Time(2026, 12, 6, 10, 18, 12);
    EXPECT_EQ(LogFileName(&december), L"Tarnwick-06.12.2026-10.18.12-log.txt");
    SYSTEMTIME early = Time(2027, 1, 2, 3, 4, 5);
    EXPECT_EQ(LogFileName(&early), L"Tarnwick-02.01.2027-03.04.05-log.txt");
    SYSTEMTIME evening = Time(2026, 7, 31, 23, 59, 9);
    EXPECT_EQ(LogFileName(&evening), L"Tarnwick-31.07.2026-23.59.09-log.txt") << "24-hour clock";
}

TEST(SaveLogText, LatinOneCharactersAreOneByteEach)
{
    EXPECT_EQ(ToLogText(L"Caf\x00e9 \x00ff\x0001"), std::string("Caf\xe9 \xff\x01"));
    EXPECT_EQ(ToLogText(L"line\n"), std::string("line\n")) << "CR LF comes from the text stream";
}

TEST(SaveLogText, WiderCharactersBecomeOneQuestionMarkEach)
{
    EXPECT_EQ(ToLogText(L"\x4e2d\x6587 Device"), std::string("?? Device"));
    EXPECT_EQ(ToLogText(L"A\xd83d\xde00Z"), std::string("A?Z")) << "a surrogate pair is one character";
    EXPECT_EQ(ToLogText(L"A\xd83dZ"), std::string("A?Z")) << "a lone surrogate";
    EXPECT_EQ(ToLogText(L"\x0100"), std::string("?"));
}

TEST_F(SaveLogTest, MessagesAreWrittenInOrderWithCrLfAndNothingAdded)
{
    TextStreamFile console;
    ASSERT_NE(console.get(), nullptr);
    {
        SaveLog log(shell, ReadSystemFolders().tempDir);
        ASSERT_TRUE(log.Open(FolderOf(target.path()), console.get()));
        ASSERT_EQ(LogsInTemp().size(), 1u) << "written in the temporary folder first";
        log.Print(L"Saving devices...\n");
        log.Print(L"  Target path is %s\n\n", target.path().c_str());
        log.Print(L"no line feed, ");
        log.Print(L"same line %d\n", 42);
        log.Print(L"Caf\x00e9 \x4e2d\n");
        log.Finish();
    }
    const std::string expected = "Saving devices...\r\n  Target path is " + Latin1(target.path()) +
                                 "\r\n\r\nno line feed, same line 42\r\nCaf\xe9 ?\r\n";
    const std::vector<std::wstring> files = ListTree(target.path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(ReadFileBytes(target / files[0]), expected);
    EXPECT_EQ(console.Close(), expected) << "the console gets the same text";
    EXPECT_TRUE(LogsInTemp().empty()) << "moved, not copied";
}

TEST_F(SaveLogTest, EveryMessageIsInTheFileAsSoonAsItIsPrinted)
{
    SaveLog log(shell, ReadSystemFolders().tempDir);
    ASSERT_TRUE(log.Open(FolderOf(target.path()), nullptr));
    const std::wstring temp = ReadSystemFolders().tempDir + L"\\" + LogsInTemp().at(0);
    log.Print(L"Saving devices...\n");
    EXPECT_EQ(ReadLogBeingWritten(temp), "Saving devices...\r\n") << "a run ended now leaves this much";
    log.Print(L"  Target path is %s\n\n", L"T");
    EXPECT_EQ(ReadLogBeingWritten(temp), "Saving devices...\r\n  Target path is T\r\n\r\n");
    log.Finish();
}

TEST_F(SaveLogTest, RunsStartedInTheSameSecondKeepTheirOwnLogs)
{
    OtherRunsLogs others;
    std::wstring name;
    {
        SaveLog log(shell, ReadSystemFolders().tempDir);
        ASSERT_TRUE(log.Open(FolderOf(target.path()), nullptr));
        log.Print(L"this run\n");
        EXPECT_TRUE(others.Untouched()) << "the other run's log is not emptied";
        log.Finish();
    }
    EXPECT_TRUE(others.Untouched());
    const std::vector<std::wstring> logs = ListTree(target.path());
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(ReadFileBytes(target / logs[0]), "this run\r\n");
    EXPECT_EQ(logs[0].find(L"-1-"), std::wstring::npos) << "the final name is the plain one: " << logs[0].c_str();
    ExpectOpenedLog(shell.Opened(), target.path(), L"this run\n");
}

TEST(SaveLogName, NumberedNameForTheTemporaryFolder)
{
    EXPECT_EQ(NumberedLogFileName(L"Tarnwick-06.12.2026-10.18.12-log.txt", 3), L"Tarnwick-06.12.2026-10.18.12-3-log.txt");
}

TEST_F(SaveLogTest, ScriptedRunGetsThePathInsteadOfAViewer)
{
    TextStreamFile output;
    std::wstring name;
    {
        SaveLog log(shell, ReadSystemFolders().tempDir);
        ASSERT_TRUE(log.Open(FolderOf(target.path()), nullptr));
        name = LogsInTemp().at(0);
        log.ReportPathInsteadOfOpening(output.get());
        log.Print(L"one\n");
        log.Finish();
    }
    EXPECT_EQ(output.Close(), Latin1(target / name) + "\r\n");
    EXPECT_EQ(ReadFileBytes(target / name), "one\r\n");
    ::Sleep(1000);
    EXPECT_TRUE(shell.Opened().empty()) << "no viewer";
}

TEST_F(SaveLogTest, LongMessageIsWrittenWhole)
{
    const std::wstring name(7000, L'x');
    const std::wstring format(3000, L'%');
    {
        SaveLog log(shell, ReadSystemFolders().tempDir);
        ASSERT_TRUE(log.Open(FolderOf(target.path()), nullptr));
        log.Print(L"%s|%s\n", name.c_str(), name.c_str());
        log.Print(format.c_str());
        log.Finish();
    }
    const std::vector<std::wstring> files = ListTree(target.path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(ReadFileBytes(target / files[0]), Latin1(name) + "|" + Latin1(name) + "\r\n" + std::string(1500, '%'));
}

TEST_F(SaveLogTest, NameIsTakenWhenOpened)
{
    SYSTEMTIME before = {};
    ::GetLocalTime(&before);
    SaveLog log(shell, ReadSystemFolders().tempDir);
    ASSERT_TRUE(log.Open(FolderOf(target.path()), nullptr));
    SYSTEMTIME after = {};
    ::GetLocalTime(&after);
    const std::vector<std::wstring> logs = LogsInTemp();
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_TRUE(logs[0] == LogFileName(&before) || logs[0] == LogFileName(&after)) << logs[0].c_str();
    log.Finish();
}

TEST_F(SaveLogTest, FinishMovesTheLogIntoTheTargetAndOpensIt)
{
    std::wstring name;
    {
        SaveLog log(shell, ReadSystemFolders().tempDir);
        ASSERT_TRUE(log.Open(FolderOf(target.path()), nullptr));
        name = LogsInTemp().at(0);
        log.Print(L"one\n");
        log.Finish();
    }
    EXPECT_EQ(ListTree(target.path()), std::vector<std::wstring>{name});
    ExpectOpenedLog(shell.Opened(), target.path(), L"one\n");
}

TEST_F(SaveLogTest, AnOlderLogOfTheSameNameIsKeptAndTheNewOneNumbered)
{
    SaveLog log(shell, ReadSystemFolders().tempDir);
    ASSERT_TRUE(log.Open(FolderOf(target.path()), nullptr));
    const std::wstring name = LogsInTemp().at(0);
    ASSERT_TRUE(WriteFileBytes(target / name, "an earlier run in the same second\r\n"));
    ASSERT_TRUE(WriteFileBytes(target / NumberedLogFileName(name, 1), "and another\r\n"));
    log.Print(L"the later run\n");
    EXPECT_TRUE(log.Finish());
    EXPECT_EQ(ReadFileBytes(target / name), "an earlier run in the same second\r\n");
    EXPECT_EQ(ReadFileBytes(target / NumberedLogFileName(name, 1)), "and another\r\n");
    EXPECT_EQ(ReadFileBytes(target / NumberedLogFileName(name, 2)), "the later run\r\n");
    ASSERT_EQ(shell.Opened().size(), 1u);
    EXPECT_EQ(shell.Opened()[0], target / NumberedLogFileName(name, 2)) << "the run's own log is opened";
    EXPECT_TRUE(LogsInTemp().empty());
}

TEST_F(SaveLogTest, LogStaysInTempAndOpensFromThereWhenTheTargetIsMissing)
{
    const std::wstring missing = target / L"never-created";
    {
        SaveLog log(shell, ReadSystemFolders().tempDir);
        ASSERT_TRUE(log.Open(FolderOf(missing), nullptr));
        log.Print(L"ERROR: No devices selected.\n");
        log.Finish();
    }
    EXPECT_EQ(::GetFileAttributesW(missing.c_str()), INVALID_FILE_ATTRIBUTES) << "Finish creates no folder";
    ExpectOpenedLog(shell.Opened(), ReadSystemFolders().tempDir, L"ERROR: No devices selected.\n");
}

TEST_F(SaveLogTest, WithoutConsoleMessagesGoToTheFileOnly)
{
    SaveLog log(shell, ReadSystemFolders().tempDir);
    ASSERT_TRUE(log.Open(FolderOf(target.path()), nullptr));
    log.Print(L"window mode\n");
    log.Finish();
    const std::vector<std::wstring> files = ListTree(target.path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(ReadFileBytes(target / files[0]), "window mode\r\n");
}

TEST_F(SaveLogTest, LogThatCannotBeCreatedIsNeitherMovedNorOpened)
{
    TextStreamFile console;
    TempFolderBlocked blocked;
    {
        SaveLog log(shell, ReadSystemFolders().tempDir);
        EXPECT_FALSE(log.Open(FolderOf(target.path()), console.get()));
        log.Print(L"not written anywhere\n");
        log.Finish();
    }
    EXPECT_TRUE(ListTree(target.path()).empty());
    EXPECT_EQ(console.Close(), "not written anywhere\r\n") << "the console copy does not depend on the file";
    ::Sleep(1000);
    EXPECT_TRUE(shell.Opened().empty()) << "nothing is opened";
}

TEST_F(SaveLogTest, FinishedPathIsTheFullPathWhereTheLogStays)
{
    SaveLog log(shell, ReadSystemFolders().tempDir);
    ASSERT_TRUE(log.Open(FolderOf(target.path()), nullptr));
    const std::wstring name = LogsInTemp().at(0);
    EXPECT_EQ(log.FinishedPath(), L"");
    log.Finish();
    EXPECT_EQ(log.FinishedPath(), target / name);
}

// The temporary folder's volume is full: the log file is made, but not one message reaches it.
// The console says so, naming the log, and the log counts as failed.
TEST_F(SaveLogTest, LogThatCouldNotBeWrittenWholeIsReportedOnTheConsole)
{
    TextStreamFile console;
    std::wstring name;
    bool whole = true;
    {
        TempFolderFull full;
        if (!full.ok())
            GTEST_SKIP() << "no small volume mounted for this test (that needs root)";
        SaveLog log(shell, full.path());
        ASSERT_TRUE(log.Open(FolderOf(target.path()), console.get()));
        name = LogsIn(full.path()).at(0);
        log.Print(L"Saving devices...\n");
        log.Print(L"%s\n", std::wstring(5000, L'x').c_str());
        whole = log.Finish();
    }
    EXPECT_FALSE(whole);
    const std::string output = console.Close();
    const std::string error = "ERROR: The log file " + Latin1(target / name) + " is incomplete: ";
    EXPECT_EQ(output.find("Saving devices...\r\n"), 0u) << output;
    EXPECT_NE(output.find(error), std::string::npos) << output;
    EXPECT_EQ(output.substr(output.size() - 2), "\r\n");
    EXPECT_EQ(ReadFileBytes(target / name), "") << "the log as far as it was written";
}

// The first write that fails ends what the file gets: room freed afterwards lets no later
// message in, so the log never holds a message after a hole, and it is reported incomplete.
TEST_F(SaveLogTest, LogStopsAtTheFirstFailedWrite)
{
    TempFolderFull full;
    if (!full.ok())
        GTEST_SKIP() << "no small volume mounted for this test (that needs root)";
    SaveLog log(shell, full.path());
    ASSERT_TRUE(log.Open(FolderOf(target.path()), nullptr));
    const std::wstring name = LogsIn(full.path()).at(0);
    // Short enough to wait in the stream's buffer: only the flush after it finds the disk full.
    log.Print(L"Saving devices...\n");
    full.FreeRoom();
    log.Print(L"a later line\n");
    EXPECT_FALSE(log.Finish());
    EXPECT_EQ(ReadFileBytes(target / name).find("a later line"), std::string::npos) << "nothing after the hole";
}
