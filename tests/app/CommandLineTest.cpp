// Reading the command line by the command table: each row a command line and the run it gives
// (the window, a command with the values handed to it, a folder refused before the run
// starts) or the help box of a bad command line; and the help text the table makes.
#include <gtest/gtest.h>

#include "app/CommandLineOptions.h"
#include "app/ExitCodes.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/TempFolder.h"

namespace {

// Names as a test gives them: "{os}" is the image's when an image folder was resolved first.
TargetNameValues FixedNames(const std::wstring&, const CommandValues& resolved)
{
    TargetNameValues names;
    names.computer = L"PC-1";
    names.os = resolved.Has(Argument::Image) && resolved.folders[static_cast<size_t>(Argument::Image)]
                   ? L"Image Windows"
                   : L"Windows 11 x64";
    return names;
}

// The outcome as a row writes it: "help", "window", "window: restore command", the command's
// name with every argument handed to it ("save /all /path:~\Out", the folders as full paths),
// or the command's name with the refusal of a folder ("verify: ERROR: Folder not found: ...").
std::wstring Outcome(const std::wstring& commandLine)
{
    MessageBoxRecorder boxes;
    CommandLineOptions options;
    const bool commandLineRun = ParseCommandLine(commandLine.c_str(), options, boxes);
    if (!boxes.boxes().empty()) {
        EXPECT_EQ(boxes.boxes().size(), 1u) << "the help box is shown once";
        const RecordedMessageBox& box = boxes.boxes()[0];
        EXPECT_EQ(box.owner, nullptr);
        EXPECT_EQ(box.caption, L"Tarnwick");
        EXPECT_EQ(box.type, static_cast<UINT>(MB_OK));
        EXPECT_EQ(box.text, CommandLineHelp());
        EXPECT_FALSE(commandLineRun);
        return L"help";
    }
    if (!commandLineRun)
        return options.OpensTheRestoreCommand() ? L"window: restore command" : L"window";
    std::wstring outcome = options.command->name;
    CommandValues values;
    std::wstring refusal;
    if (!ResolveArguments(options, values, refusal, FixedNames))
        return outcome + L": " + refusal.substr(0, refusal.find_last_not_of(L'\n') + 1);
    for (const ArgumentRow& row : ArgumentRows()) {
        if (!values.Has(row.argument))
            continue;
        outcome += std::wstring(L" ") + row.name;
        if (row.kind == ArgumentKind::Folder)
            outcome += L":" + values.Folder(row.argument).Full();
        else if (row.kind == ArgumentKind::ReportFile)
            outcome += L":" + values.ReportFile();
    }
    return outcome;
}

std::wstring WithFolder(std::wstring text, const std::wstring& folder)
{
    for (size_t at = text.find(L'~'); at != std::wstring::npos; at = text.find(L'~', at + folder.size()))
        text.replace(at, 1, folder);
    return text;
}

} // namespace

TEST(CommandLine, EachCommandLineGivesItsRunOrItsRefusal)
{
    // "~" is the current folder of the run: a folder "Backup" and a file "file.txt" are there.
    TempFolder current;
    ASSERT_TRUE(MakeFolders(current / L"Backup"));
    ASSERT_TRUE(WriteFileBytes(current / L"file.txt", "no folder"));
    ASSERT_TRUE(WriteFileBytes(current / L"Backup.ZIP", "a zip"));
    CurrentFolderGuard inside(current.path());
    ASSERT_TRUE(inside.entered());
    const struct {
        const wchar_t* commandLine;
        const wchar_t* outcome;
    } rows[] = {
        // The window: nothing given, or only what the window ignores.
        {L"tarnwick.exe", L"window"},
        {L"tarnwick.exe /all /present", L"window"},
        {L"tarnwick.exe /all /present /path:", L"window"},
        {L"tarnwick.exe /path", L"window"},
        {L"tarnwick.exe /path:A /path", L"window"},
        {L"/path:C:\\x.exe", L"window"},
        {L"tarnwick.exe /restore", L"window: restore command"},
        {L"tarnwick.exe /restore:", L"window: restore command"},
        // Names ignore case, values keep it; a later folder replaces an earlier one.
        {L"tarnwick.exe /ALL /Present /PATH:Out\\Mixed", L"save /all /present /path:~\\Out\\Mixed"},
        {L"tarnwick.exe /all:x /present:no /path:Out", L"save /all /present /path:~\\Out"},
        {L"tarnwick.exe /path:A /path:Out", L"save /path:~\\Out"},
        {L"tarnwick.exe \"\" \"/path:Out dir\" \"\"", L"save /path:~\\Out dir"},
        {L"tarnwick.exe /all /report:r.CSV /path:Out", L"save /all /path:~\\Out /report:~\\r.CSV"},
        {L"tarnwick.exe \"/REPORT:Reports\\PC.Json\" /present", L"report /present /report:~\\Reports\\PC.Json"},
        {L"tarnwick.exe \"/RESTORE:Backup\" /Force", L"restore /restore:~\\Backup /force"},
        {L"tarnwick.exe /restore:.", L"restore /restore:~"},
        {L"tarnwick.exe /restore:Backup /plan", L"plan /restore:~\\Backup /plan"},
        {L"tarnwick.exe /PLAN /force /restore:Backup", L"plan /restore:~\\Backup /force /plan"},
        {L"tarnwick.exe \"/Verify:Backup\"", L"verify /verify:~\\Backup"},
        {L"tarnwick.exe /path:Out /FULL /all", L"save /all /path:~\\Out /full"},
        {L"tarnwick.exe /full /image:Backup /path:Out", L"image /path:~\\Out /image:~\\Backup /full"},
        // "/verify" without a colon checks the backup a save has just made.
        {L"tarnwick.exe /path:Out /VERIFY", L"save /path:~\\Out /verify"},
        {L"tarnwick.exe /verify", L"help"},
        // A backup in one zip file is taken where a backup folder is.
        {L"tarnwick.exe /verify:Backup.ZIP", L"verify /verify:~\\Backup.ZIP"},
        {L"tarnwick.exe /restore:Backup.ZIP /plan", L"plan /restore:~\\Backup.ZIP /plan"},
        {L"tarnwick.exe /restore:missing.zip", L"restore: ERROR: Folder not found: ~\\missing.zip"},
        {L"tarnwick.exe /image:Backup /path:Out /all /report:r.json",
         L"image /all /path:~\\Out /report:~\\r.json /image:~\\Backup"},
        // Names in the target are filled in before it is resolved; "{os}" of an image is its own.
        {L"tarnwick.exe \"/path:Out\\{Computer}\\{os}\\{model}\"", L"save /path:~\\Out\\PC-1\\Windows 11 x64\\Unknown model"},
        {L"tarnwick.exe /path:{os} /image:Backup", L"image /path:~\\Image Windows /image:~\\Backup"},
        {L"tarnwick.exe /path:Out\\{serial}", L"help"},
        {L"tarnwick.exe /path:Out\\{os", L"help"},
        {L"tarnwick.exe /path:Out\\os}", L"help"},
        {L"tarnwick.exe /verify:{os}", L"verify: ERROR: Folder not found: ~\\{os}"},
        // Folders refused before the run starts, named as the run names them.
        {L"tarnwick.exe /path:Out:x", L"save: ERROR: Could not create target folder."},
        {L"tarnwick.exe /restore:missing", L"restore: ERROR: Folder not found: ~\\missing"},
        {L"tarnwick.exe /restore:NUL /plan", L"plan: ERROR: Folder not found: NUL"},
        {L"tarnwick.exe /verify:file.txt", L"verify: ERROR: Folder not found: ~\\file.txt"},
        {L"tarnwick.exe /image:missing /path:Out", L"image: ERROR: Folder not found: ~\\missing"},
        {L"tarnwick.exe /report:a\\b:c\\r.json", L"report: ERROR: Could not write the report a\\b:c\\r.json"},
        // Bad command lines: unrecognised arguments (the others around them still read), values
        // an argument does not take, and arguments that make no one command.
        {L"tarnwick.exe -all", L"help"},
        {L"tarnwick.exe all", L"help"},
        {L"tarnwick.exe /al", L"help"},
        {L"tarnwick.exe /pathx:D:\\A", L"help"},
        {L"tarnwick.exe :D:\\A", L"help"},
        {L"tarnwick.exe /x /y /z /path:D:\\A", L"help"},
        {L"tarnwick.exe /bogus /all /path:D:\\A", L"help"},
        {L"tarnwick.exe /report", L"help"},
        {L"tarnwick.exe /report:", L"help"},
        {L"tarnwick.exe /report:r.txt", L"help"},
        {L"tarnwick.exe /report:r.json\\x", L"help"},
        {L"tarnwick.exe /restore:Backup /plan:x", L"help"},
        {L"tarnwick.exe /force", L"help"},
        {L"tarnwick.exe /restore /force", L"help"},
        {L"tarnwick.exe /path:Out /force", L"help"},
        {L"tarnwick.exe /plan", L"help"},
        {L"tarnwick.exe /restore /plan", L"help"},
        {L"tarnwick.exe /path:Out /plan", L"help"},
        {L"tarnwick.exe /verify:Backup /plan", L"help"},
        {L"tarnwick.exe /full", L"help"},
        {L"tarnwick.exe /path:Out /full:x", L"help"},
        {L"tarnwick.exe /restore:Backup /full", L"help"},
        {L"tarnwick.exe /path:A /restore:B", L"help"},
        {L"tarnwick.exe /restore:B /force /path:A", L"help"},
        {L"tarnwick.exe /verify:B /restore:B", L"help"},
        {L"tarnwick.exe /path:A /verify:B", L"help"},
        {L"tarnwick.exe /report:r.json /restore:B", L"help"},
        {L"tarnwick.exe /image:E:", L"help"},
        {L"tarnwick.exe /image:E: /report:r.json", L"help"},
        {L"tarnwick.exe /image:E: /path:X /present", L"help"},
        {L"tarnwick.exe /image:E: /restore:X", L"help"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(row.commandLine)));
        EXPECT_EQ(Outcome(row.commandLine), WithFolder(row.outcome, current.path()));
    }
}

TEST(CommandLine, HelpTextKeepsTheBackupLinesAndAddsTheRestoreAfterThem)
{
    EXPECT_EQ(CommandLineHelp(),
              L"Tarnwick command line options:\n\n"
              L" \"/path:Path\" - Specify a [Path] where to save driver files.\n"
              L" /all - Save driver files from all Providers (including Microsoft).\n"
              L" /present - Save driver files of currently present (plugged in) devices only.\n"
              L" /full - Copy every driver again; without it a device unchanged since the backup in [Path] keeps "
              L"its folder.\n"
              L" /verify - With /path: check the saved drivers against their catalogs once they are saved.\n"
              L" A [Path] ending in .zip is saved as one zip file, which /restore: and /verify: take as it is.\n\n"
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

TEST(ExitCodes, RestoreSaysWhetherWindowsNeedsARestart)
{
    EXPECT_EQ(RestoreExitCode(true, false), 0);
    EXPECT_EQ(RestoreExitCode(true, true), 3010);
    EXPECT_EQ(RestoreExitCode(false, true), 1) << "a failed restore is a failure, restart or not";
    EXPECT_EQ(RestoreExitCode(false, false), 1);
}
