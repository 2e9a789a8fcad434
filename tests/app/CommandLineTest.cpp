// Reading the command line: which run it asks for, which options it sets, and when the help
// box appears.
#include <gtest/gtest.h>

#include "app/CommandLineOptions.h"
#include "app/ExitCodes.h"
#include "tests/support/MessageBoxRecorder.h"

namespace {

struct Parsed {
    bool commandLineRun;
    CommandLineOptions options;
    size_t helpBoxes;
    std::vector<RecordedMessageBox> boxes;
};

Parsed Parse(const wchar_t* commandLine)
{
    MessageBoxRecorder recorder;
    Parsed parsed{};
    parsed.commandLineRun = ParseCommandLine(commandLine, parsed.options, recorder);
    parsed.boxes = recorder.boxes();
    parsed.helpBoxes = parsed.boxes.size();
    return parsed;
}

} // namespace

TEST(CommandLine, NoArgumentsOpensTheWindowWithoutABox)
{
    const Parsed parsed = Parse(L"tarnwick.exe");
    EXPECT_FALSE(parsed.commandLineRun);
    EXPECT_EQ(parsed.helpBoxes, 0u);
    EXPECT_FALSE(parsed.options.all);
    EXPECT_FALSE(parsed.options.present);
    EXPECT_TRUE(parsed.options.path.empty());
}

TEST(CommandLine, OptionNamesIgnoreCaseButValuesKeepIt)
{
    const Parsed parsed = Parse(L"tarnwick.exe /ALL /Present /PATH:D:\\X\\Mixed");
    EXPECT_TRUE(parsed.commandLineRun);
    EXPECT_TRUE(parsed.options.all);
    EXPECT_TRUE(parsed.options.present);
    EXPECT_EQ(parsed.options.path, L"D:\\X\\Mixed");
    EXPECT_EQ(parsed.helpBoxes, 0u);
}

TEST(CommandLine, ValueKeepsFurtherColons)
{
    const Parsed parsed = Parse(L"tarnwick.exe /path:D:\\Drivers:x");
    EXPECT_TRUE(parsed.commandLineRun);
    EXPECT_EQ(parsed.options.path, L"D:\\Drivers:x");
}

TEST(CommandLine, FlagsWithoutPathOpenTheWindow)
{
    const Parsed parsed = Parse(L"tarnwick.exe /all /present");
    EXPECT_FALSE(parsed.commandLineRun);
    EXPECT_TRUE(parsed.options.all);
    EXPECT_TRUE(parsed.options.present);
    EXPECT_EQ(parsed.helpBoxes, 0u);
}

TEST(CommandLine, FlagValuesAreIgnored)
{
    const Parsed parsed = Parse(L"tarnwick.exe /all:x /present:no /path:E:\\B");
    EXPECT_TRUE(parsed.commandLineRun);
    EXPECT_TRUE(parsed.options.all);
    EXPECT_TRUE(parsed.options.present);
}

TEST(CommandLine, EmptyPathOpensTheWindowWithoutABox)
{
    for (const wchar_t* commandLine : {L"tarnwick.exe /path:", L"tarnwick.exe /path", L"tarnwick.exe /path:D:\\A /path"}) {
        SCOPED_TRACE(commandLine);
        const Parsed parsed = Parse(commandLine);
        EXPECT_FALSE(parsed.commandLineRun);
        EXPECT_TRUE(parsed.options.path.empty());
        EXPECT_EQ(parsed.helpBoxes, 0u);
    }
}

TEST(CommandLine, LaterPathReplacesEarlier)
{
    const Parsed parsed = Parse(L"tarnwick.exe /path:D:\\A /path:E:\\B");
    EXPECT_TRUE(parsed.commandLineRun);
    EXPECT_EQ(parsed.options.path, L"E:\\B");
}

TEST(CommandLine, UnrecognisedArgumentsShowTheHelpOnceAndOpenTheWindow)
{
    for (const wchar_t* commandLine :
         {L"tarnwick.exe -all", L"tarnwick.exe all", L"tarnwick.exe /al", L"tarnwick.exe /pathx:D:\\A",
          L"tarnwick.exe :D:\\A", L"tarnwick.exe /path:D:\\A /bogus", L"tarnwick.exe /x /y /z /path:D:\\A"}) {
        SCOPED_TRACE(commandLine);
        const Parsed parsed = Parse(commandLine);
        EXPECT_FALSE(parsed.commandLineRun);
        ASSERT_EQ(parsed.helpBoxes, 1u);
        const RecordedMessageBox& box = parsed.boxes[0];
        EXPECT_EQ(box.owner, nullptr);
        EXPECT_EQ(box.caption, L"Tarnwick");
        EXPECT_EQ(box.type, static_cast<UINT>(MB_OK));
        EXPECT_EQ(box.text, kCommandLineHelp);
    }
}

TEST(CommandLine, RecognisedArgumentsAroundAnUnknownOneStillCount)
{
    const Parsed parsed = Parse(L"tarnwick.exe /bogus /all /path:D:\\A");
    EXPECT_FALSE(parsed.commandLineRun);
    EXPECT_TRUE(parsed.options.all);
    EXPECT_EQ(parsed.options.path, L"D:\\A");
    EXPECT_EQ(parsed.helpBoxes, 1u);
}

TEST(CommandLine, EmptyQuotedArgumentIsIgnored)
{
    const Parsed parsed = Parse(L"tarnwick.exe \"\" /path:D:\\A \"\"");
    EXPECT_TRUE(parsed.commandLineRun);
    EXPECT_EQ(parsed.helpBoxes, 0u);
    EXPECT_EQ(parsed.options.path, L"D:\\A");
}

TEST(CommandLine, QuotedPathWithBlanksIsOneArgument)
{
    const Parsed parsed = Parse(L"tarnwick.exe \"/path:D:\\System Drivers\" /present");
    EXPECT_TRUE(parsed.commandLineRun);
    EXPECT_EQ(parsed.options.path, L"D:\\System Drivers");
    EXPECT_TRUE(parsed.options.present);
}

TEST(CommandLine, ProgramPathIsNeverReadAsAnOption)
{
    const Parsed parsed = Parse(L"/path:C:\\x.exe");
    EXPECT_FALSE(parsed.commandLineRun);
    EXPECT_EQ(parsed.helpBoxes, 0u);
}

TEST(CommandLine, HelpTextKeepsTheBackupLinesAndAddsTheRestoreAfterThem)
{
    EXPECT_STREQ(kCommandLineHelp,
                 L"Tarnwick command line options:\n\n"
                 L" \"/path:Path\" - Specify a [Path] where to save driver files.\n"
                 L" /all - Save driver files from all Providers (including Microsoft).\n"
                 L" /present - Save driver files of currently present (plugged in) devices only.\n\n"
                 L" Example:\n"
                 L" Tarnwick \"/path:D:\\System Drivers\" /present\n\n"
                 L" \"/restore:Path\" - Install the drivers saved in [Path] back onto this PC (needs administrator "
                 L"rights).\n"
                 L" /force - With /restore: also replace installed drivers that are newer.\n"
                 L" /plan - With /restore: show what the restore would do with each package; installs nothing.\n\n"
                 L" Example:\n"
                 L" Tarnwick \"/restore:D:\\System Drivers\"\n\n"
                 L" \"/image:Folder\" - With /path: save the drivers of the Windows installed in [Folder] (the disk "
                 L"of a PC that does not start), not of this PC (needs administrator rights).\n\n"
                 L" Example:\n"
                 L" Tarnwick /image:E: \"/path:D:\\Drivers of the old PC\"\n\n"
                 L" \"/verify:Path\" - Check the drivers saved in [Path] against their catalogs; changes nothing.\n\n"
                 L" \"/report:File\" - Write the list of devices (with /path: also what was saved) to [File], .json or "
                 L".csv.\n\n"
                 L" Example:\n"
                 L" Tarnwick \"/path:D:\\System Drivers\" \"/report:D:\\System Drivers\\report.json\"\n\n"
                 L" Exit codes: 0 done, 1 failed, 2 bad command line, 3010 done and Windows needs a restart.");
}

TEST(CommandLine, VerifyFolderAsksForACommandLineVerification)
{
    const Parsed parsed = Parse(L"tarnwick.exe \"/Verify:D:\\Old Drivers\"");
    EXPECT_TRUE(parsed.commandLineRun);
    EXPECT_EQ(parsed.helpBoxes, 0u);
    EXPECT_EQ(parsed.options.verify, L"D:\\Old Drivers");
    EXPECT_TRUE(parsed.options.restore.empty());
    EXPECT_FALSE(parsed.options.restoreRequested);
}

TEST(CommandLine, ChooseRunSaysWhichRunWithoutShowingAnything)
{
    const struct {
        const wchar_t* commandLine;
        CommandLineRun run;
    } cases[] = {
        {L"tarnwick.exe", CommandLineRun::Window},
        {L"tarnwick.exe /all /present /path:", CommandLineRun::Window},
        {L"tarnwick.exe /restore", CommandLineRun::Window},
        {L"tarnwick.exe /path:D:\\A", CommandLineRun::CommandLine},
        {L"tarnwick.exe /restore:D:\\A /force", CommandLineRun::CommandLine},
        {L"tarnwick.exe /bogus", CommandLineRun::BadCommandLine},
        {L"tarnwick.exe /path:D:\\A /bogus", CommandLineRun::BadCommandLine},
        {L"tarnwick.exe /path:D:\\A /restore:D:\\B", CommandLineRun::BadCommandLine},
        {L"tarnwick.exe /verify:D:\\A", CommandLineRun::CommandLine},
        {L"tarnwick.exe /verify:D:\\A /restore:D:\\B", CommandLineRun::BadCommandLine},
        {L"tarnwick.exe /report:D:\\r.json", CommandLineRun::CommandLine},
        {L"tarnwick.exe /all /report:D:\\r.CSV /path:D:\\A", CommandLineRun::CommandLine},
        {L"tarnwick.exe /report", CommandLineRun::BadCommandLine},
        {L"tarnwick.exe /report:", CommandLineRun::BadCommandLine},
        {L"tarnwick.exe /report:D:\\r.txt", CommandLineRun::BadCommandLine},
        {L"tarnwick.exe /report:D:\\r.json\\x", CommandLineRun::BadCommandLine},
        {L"tarnwick.exe /report:D:\\r.json /restore:D:\\B", CommandLineRun::BadCommandLine},
        {L"tarnwick.exe /image:E: /report:D:\\r.json", CommandLineRun::BadCommandLine},
        {L"tarnwick.exe /restore:D:\\A /plan", CommandLineRun::CommandLine},
        {L"tarnwick.exe /PLAN /force /restore:D:\\A", CommandLineRun::CommandLine},
        {L"tarnwick.exe /plan", CommandLineRun::BadCommandLine},
        {L"tarnwick.exe /restore /plan", CommandLineRun::BadCommandLine},
        {L"tarnwick.exe /path:D:\\A /plan", CommandLineRun::BadCommandLine},
        {L"tarnwick.exe /verify:D:\\A /plan", CommandLineRun::BadCommandLine},
        {L"tarnwick.exe /restore:D:\\A /plan:x", CommandLineRun::BadCommandLine},
        {L"tarnwick.exe /image:E: /path:D:\\A /report:D:\\r.json", CommandLineRun::CommandLine},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.commandLine);
        CommandLineOptions options;
        EXPECT_EQ(ChooseRun(test.commandLine, options), test.run);
    }
}

TEST(CommandLine, RestoreFolderAsksForACommandLineRestore)
{
    const Parsed parsed = Parse(L"tarnwick.exe \"/RESTORE:D:\\Old Drivers\" /Force");
    EXPECT_TRUE(parsed.commandLineRun);
    EXPECT_EQ(parsed.helpBoxes, 0u);
    EXPECT_EQ(parsed.options.restore, L"D:\\Old Drivers");
    EXPECT_TRUE(parsed.options.force);
    EXPECT_TRUE(parsed.options.restoreRequested);
    EXPECT_TRUE(parsed.options.path.empty());

    const Parsed plain = Parse(L"tarnwick.exe /restore:D:\\A");
    EXPECT_TRUE(plain.commandLineRun);
    EXPECT_FALSE(plain.options.force);
}

TEST(CommandLine, RestoreWithoutFolderOpensTheWindowForTheRestoreCommand)
{
    for (const wchar_t* commandLine : {L"tarnwick.exe /restore", L"tarnwick.exe /restore:"}) {
        SCOPED_TRACE(commandLine);
        const Parsed parsed = Parse(commandLine);
        EXPECT_FALSE(parsed.commandLineRun);
        EXPECT_EQ(parsed.helpBoxes, 0u);
        EXPECT_TRUE(parsed.options.restoreRequested);
        EXPECT_TRUE(parsed.options.restore.empty());
    }
    const Parsed forceAlone = Parse(L"tarnwick.exe /force");
    EXPECT_FALSE(forceAlone.commandLineRun);
    EXPECT_EQ(forceAlone.helpBoxes, 0u);
    EXPECT_FALSE(forceAlone.options.restoreRequested);
}

TEST(CommandLine, RestoreTogetherWithPathShowsTheHelpAndOpensTheWindow)
{
    for (const wchar_t* commandLine :
         {L"tarnwick.exe /path:D:\\A /restore:D:\\B", L"tarnwick.exe /restore:D:\\B /force /path:D:\\A",
          L"tarnwick.exe /verify:D:\\B /restore:D:\\B", L"tarnwick.exe /path:D:\\A /verify:D:\\B"}) {
        SCOPED_TRACE(commandLine);
        const Parsed parsed = Parse(commandLine);
        EXPECT_FALSE(parsed.commandLineRun);
        ASSERT_EQ(parsed.helpBoxes, 1u);
        EXPECT_EQ(parsed.boxes[0].text, kCommandLineHelp);
    }
}

TEST(CommandLine, ReadArgumentsSkipsProgramPath)
{
    CommandLineOptions options;
    EXPECT_TRUE(ReadArguments({L"/bogus", L"/present"}, options));
    EXPECT_TRUE(options.present);
    EXPECT_TRUE(ReadArguments({}, options));
}

TEST(CommandLine, ReportTakesItsFileAsGiven)
{
    const Parsed parsed = Parse(L"tarnwick.exe \"/REPORT:D:\\My Reports\\PC.Json\" /present");
    EXPECT_TRUE(parsed.commandLineRun);
    EXPECT_EQ(parsed.helpBoxes, 0u);
    EXPECT_EQ(parsed.options.report, L"D:\\My Reports\\PC.Json");
    EXPECT_TRUE(parsed.options.path.empty()) << "a report alone saves nothing";
}

TEST(CommandLine, ImageWithPathIsABackupOfThatWindows)
{
    const Parsed parsed = Parse(L"tarnwick.exe /image:E: \"/path:D:\\Old PC\" /all");
    EXPECT_TRUE(parsed.commandLineRun);
    EXPECT_EQ(parsed.options.image, L"E:");
    EXPECT_EQ(parsed.options.path, L"D:\\Old PC");
    EXPECT_TRUE(parsed.options.all);
    EXPECT_EQ(parsed.helpBoxes, 0u);
}

// No device of another Windows is attached, an image is never restored onto, and without a
// target there is nothing to do: each shows the help instead of running.
TEST(CommandLine, ImageWithPresentRestoreOrNoPathShowsTheHelp)
{
    for (const wchar_t* commandLine : {L"tarnwick.exe /image:E: /path:D:\\X /present",
                                       L"tarnwick.exe /image:E: /restore:D:\\X",
                                       L"tarnwick.exe /image:E:"}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(commandLine)));
        CommandLineOptions options;
        EXPECT_EQ(ChooseRun(commandLine, options), CommandLineRun::BadCommandLine);
        const Parsed parsed = Parse(commandLine);
        EXPECT_FALSE(parsed.commandLineRun);
        ASSERT_EQ(parsed.helpBoxes, 1u);
        EXPECT_EQ(parsed.boxes[0].text, kCommandLineHelp);
    }
}

TEST(ExitCodes, RestoreSaysWhetherWindowsNeedsARestart)
{
    EXPECT_EQ(RestoreExitCode(true, false), 0);
    EXPECT_EQ(RestoreExitCode(true, true), 3010);
    EXPECT_EQ(RestoreExitCode(false, true), 1) << "a failed restore is a failure, restart or not";
    EXPECT_EQ(RestoreExitCode(false, false), 1);
}
