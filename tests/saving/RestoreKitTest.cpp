// The restore kit at a backup's top: "Restore drivers.cmd", started from anywhere, restores the
// folder it lies in through the program's copy beside it; the help file goes along when it is
// beside the program; README.txt says in two lines what the folder is.
#include <gtest/gtest.h>

#include "saving/FolderBackupWriter.h"
#include "saving/RestoreKit.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestFiles.h"

namespace {

std::wstring Environment(const wchar_t* name)
{
    wchar_t value[MAX_PATH] = L"";
    return ::GetEnvironmentVariableW(name, value, MAX_PATH) ? value : L"";
}

TEST(RestoreKit, ScriptRestoresItsOwnFolderThroughTheProgramsCopy)
{
    // The "program" is a recorder of its command line, with a help file beside it.
    TempFolder sandbox;
    const std::wstring program = sandbox / L"install\\tarnwick-1.2.exe";
    ASSERT_TRUE(MakeFolders(sandbox / L"install"));
    ASSERT_TRUE(::CopyFileW(Environment(L"TARNWICK_COMMAND_RECORDER").c_str(), program.c_str(), FALSE));
    ASSERT_TRUE(WriteFileBytes(sandbox / L"install\\Help.chm", "help"));
    const std::wstring backup = sandbox / L"D\x00fcsseldorf & Co";
    ASSERT_TRUE(MakeFolders(backup));
    FolderBackupWriter writer(FolderOf(backup));
    EXPECT_TRUE(PutRestoreKit(writer, program).empty());
    EXPECT_EQ(ListTree(backup), (std::vector<std::wstring>{L"Help.chm", L"README.txt", L"Restore drivers.cmd",
                                                           L"tarnwick.exe"}));
    EXPECT_EQ(ReadFileBytes(backup + L"\\Help.chm"), "help");
    const std::string readme = ReadFileBytes(backup + L"\\README.txt");
    EXPECT_EQ(std::count(readme.begin(), readme.end(), '\n'), 2) << readme;

    // Started from another folder, as Explorer starts it, with the backup's path unquoted.
    const std::wstring record = sandbox / L"command.txt";
    ASSERT_TRUE(::SetEnvironmentVariableW(L"TARNWICK_COMMAND_RECORD", record.c_str()));
    CurrentFolderGuard elsewhere(sandbox / L"install");
    ChildProcess script(L"cmd.exe /c \"\"" + backup + L"\\Restore drivers.cmd\"\"");
    ASSERT_TRUE(script.started());
    ASSERT_TRUE(script.Wait(60000));
    ::SetEnvironmentVariableW(L"TARNWICK_COMMAND_RECORD", nullptr);
    const std::string recorded = ReadFileBytes(record);
    const std::wstring line(reinterpret_cast<const wchar_t*>(recorded.data()), recorded.size() / sizeof(wchar_t));
    EXPECT_EQ(line, L"\"" + backup + L"\\tarnwick.exe\" \"/restore:" + backup + L"\\.\"");
    EXPECT_EQ(FolderOf(backup + L"\\.").Full(), backup) << "the folder restored is the script's own";
}

} // namespace
