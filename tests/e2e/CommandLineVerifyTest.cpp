// tarnwick.exe /verify:... on a backup whose packages carry real catalogs: an untouched backup
// verifies intact with exit code 0; a damaged, incomplete or refused package is named with its
// bad files and gives exit code 1, the other packages still intact. Nothing is installed; the
// log stays in the temporary folder, nothing of the verified folder changes, and the console
// shows the same lines.
#include <gtest/gtest.h>

#include <algorithm>

#include "discovery/SystemFolders.h"
#include "saving/SavePaths.h"
#include "tests/e2e/TarnwickRun.h"
#include "tests/saving/SavingTestSupport.h"
#include "tests/support/OpenVerbRecorder.h"
#include "tests/support/ReferenceHash.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestBackup.h"
#include "tests/support/TestFiles.h"
#include "tests/support/ZipBytes.h"

namespace {

const DWORD kVerifyLimitMs = 120000;

class CommandLineVerifyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(recorder.installed()) << "TARNWICK_OPEN_RECORDER is not set";
        RemoveLogsInTemp();
        for (const std::wstring name : {L"vcone", L"vctwo", L"vcthree"})
            packages.Add(name, std::wstring(fixture::kTestClassDescription) + L"\\" + name + L" Widget", name + L" Widget");
    }

    void TearDown() override { RemoveLogsInTemp(); }

    std::wstring FolderOf(const std::wstring& name) const
    {
        return backup + L"\\" + fixture::kTestClassDescription + L"\\" + name + L" Widget";
    }

    static std::wstring Relative(const std::wstring& name)
    {
        return std::wstring(fixture::kTestClassDescription) + L"\\" + name + L" Widget\\" + name + L".inf";
    }

    ProgramRun Verify(const std::wstring& folder)
    {
        return RunWithOutputToFile(L"\"" + BuildProgramPath("TARNWICK_EXE") + L"\" \"/verify:" + folder + L"\"",
                                   kVerifyLimitMs);
    }

    // The run's one log, in the temporary folder and none in the verified folder, shown on the
    // console as it is and named as the last line.
    std::wstring ExpectLog(const ProgramRun& run, const std::wstring& folder)
    {
        EXPECT_TRUE(LogsIn(folder).empty()) << "no log in the verified folder";
        const std::wstring temp = ReadSystemFolders().tempDir;
        const std::string log = OnlyLogIn(temp);
        const std::vector<std::wstring> logs = LogsIn(temp);
        if (logs.size() != 1) {
            ADD_FAILURE() << "one log in the temporary folder";
            return std::wstring();
        }
        const std::wstring kind = L"-verify-log.txt";
        EXPECT_EQ(logs[0].substr(logs[0].size() - std::min(logs[0].size(), kind.size())), kind);
        EXPECT_EQ(run.output, log + LogBytes(WithBackslash(temp) + logs[0] + L"\n"));
        EXPECT_TRUE(recorder.WaitForOpened(0, 0).empty()) << "no viewer is left behind a scripted run";
        return std::wstring(log.begin(), log.end());
    }

    std::wstring Head(const std::wstring& folder) const
    {
        return L"Verifying driver packages...\r\n  Source path is " + folder + L"\r\n\r\n";
    }

    OpenVerbRecorder recorder;
    TempFolder sandbox;
    const std::wstring backup = sandbox / L"Driver Backup";
    TestBackup packages{backup};
};

} // namespace

TEST_F(CommandLineVerifyTest, UntouchedBackupIsIntactAndStaysUntouched)
{
    const std::string before = ReferenceTreeSha256(backup);
    const ProgramRun run = Verify(backup);
    EXPECT_EQ(ReferenceTreeSha256(backup), before) << "not one byte of the backup changes";
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(ExpectLog(run, backup), Head(backup) + Relative(L"vcone") + L": intact (catalog not signed)\r\n" +
                                          Relative(L"vcthree") + L": intact (catalog not signed)\r\n" +
                                          Relative(L"vctwo") + L": intact (catalog not signed)\r\n" +
                                          L"\r\nVerified: 3 of 3 driver package(s) intact.\r\n");
    EXPECT_EQ(::GetFileAttributesW((ReadSystemFolders().windowsDir + L"\\inf\\vcone.inf").c_str()),
              INVALID_FILE_ATTRIBUTES)
        << "nothing staged";
}

TEST_F(CommandLineVerifyTest, DamagedAndIncompletePackagesAreNamedWithTheirFiles)
{
    std::string bytes = ReadFileBytes(FolderOf(L"vcone") + L"\\vcone.sys");
    bytes[10] ^= 0x20;
    ASSERT_TRUE(WriteFileBytes(FolderOf(L"vcone") + L"\\vcone.sys", bytes));
    ASSERT_TRUE(::DeleteFileW((FolderOf(L"vcthree") + L"\\vcthreeco.dll").c_str()));

    const ProgramRun run = Verify(backup);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(ExpectLog(run, backup), Head(backup) + Relative(L"vcone") + L": damaged (catalog not signed)\r\n" +
                                          L"    vcone.sys: does not match the catalog\r\n" + Relative(L"vcthree") +
                                          L": incomplete (catalog not signed)\r\n    vcthreeco.dll: missing\r\n" + Relative(L"vctwo") +
                                          L": intact (catalog not signed)\r\n" +
                                          L"\r\nVerified: 1 of 3 driver package(s) intact.\r\n");
}

TEST_F(CommandLineVerifyTest, FolderWithoutPackagesFails)
{
    const std::wstring empty = sandbox / L"Empty";
    ASSERT_TRUE(::CreateDirectoryW(empty.c_str(), nullptr));
    const ProgramRun run = Verify(empty);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(ExpectLog(run, empty), L"ERROR: No driver packages found in " + empty + L"\r\n");
}

TEST_F(CommandLineVerifyTest, AFolderGivenRelativeIsTheOneUnderTheCurrentFolder)
{
    wchar_t previous[MAX_PATH] = L"";
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(sandbox.path().c_str()));
    const ProgramRun run = Verify(L"Driver Backup\\" + std::wstring(fixture::kTestClassDescription) + L"\\.");
    ::SetCurrentDirectoryW(previous);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << std::string(run.output.begin(), run.output.end());
    const std::wstring folder = backup + L"\\" + fixture::kTestClassDescription;
    const std::wstring log = ExpectLog(run, folder);
    EXPECT_EQ(log.rfind(Head(folder), 0), 0u) << std::string(log.begin(), log.end());
    EXPECT_NE(log.find(L"Verified: 3 of 3 driver package(s) intact."), std::wstring::npos);
}

TEST_F(CommandLineVerifyTest, AMissingFolderIsNamedAsSuch)
{
    ASSERT_TRUE(WriteFileBytes(sandbox / L"file.txt", "no folder"));
    for (const std::wstring& missing : {backup + L"\\missing", sandbox / L"file.txt"}) {
        SCOPED_TRACE(::testing::PrintToString(missing));
        const ProgramRun run = Verify(missing);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 1u);
        EXPECT_EQ(run.output.rfind(LogBytes(L"ERROR: Folder not found: " + missing + L"\n"), 0), 0u) << run.output;
    }
}

TEST_F(CommandLineVerifyTest, ARefusedZipIsNamedWithItsEntryAndLeavesNothing)
{
    const std::wstring zip = sandbox / L"hostile.zip";
    ASSERT_TRUE(WriteFileBytes(zip, ZipBytes({{"pkg/a.inf", "[Version]"}, {"pkg/../../evil.inf", "x"}})));
    const ProgramRun run = Verify(zip);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.output.find(LogBytes(L"  Extracting " + zip + L"...\nERROR: The zip file " + zip +
                                       L" cannot be used: pkg/../../evil.inf: a name that leads outside the zip's top\n")),
              std::string::npos)
        << run.output;
    const std::vector<std::wstring> temp = ListTree(ReadSystemFolders().tempDir);
    EXPECT_EQ(std::count_if(temp.begin(), temp.end(),
                            [](const std::wstring& name) { return name.rfind(L"Tarnwick-zip-", 0) == 0; }),
              0)
        << "no extraction folder left";
}
