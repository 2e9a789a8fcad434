// tarnwick.exe /image:<folder> /path:<folder> on a Windows that is not running. The image is
// made from this prefix with drivers installed the ways Windows installs them (from their own
// folder, through the driver store, with media subfolders and co-installers): its SYSTEM key
// saved as the image's hive, named as Windows names its control set, and the drivers' files
// copied into the image's Windows folder. Then the drivers are removed from this prefix, so
// that it never had them, and files of other bytes are left where their files were: a backup
// of the image must equal the backup made while they were installed, and take nothing from
// the running system.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <memory>

#include "platform/LoadedHive.h"
#include "platform/ShellPath.h"
#include "tests/e2e/RoundTripDrivers.h"
#include "tests/e2e/TarnwickRun.h"
#include "tests/saving/SavingTestSupport.h"
#include "tests/support/HiveFile.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestFiles.h"

namespace {

std::unique_ptr<TempFolder> g_work;
std::wstring g_image;          // the offline Windows: <image>\Windows\...
std::wstring g_onlineBackup;   // backup made while the drivers were installed
std::wstring g_setupError;
std::vector<fixture::InstallResult> g_installed;
std::vector<std::wstring> g_decoys;  // files of other bytes where this prefix had the drivers' files

std::wstring WindowsFolder()
{
    wchar_t buffer[MAX_PATH] = L"";
    ::GetWindowsDirectoryW(buffer, MAX_PATH);
    return WithBackslash(buffer);
}

// Copies a file of this prefix's Windows folder to the same place in the image's.
bool CopyIntoImage(const std::wstring& path)
{
    const std::wstring windows = WindowsFolder();
    if (path.empty() || path.size() <= windows.size() || !EqualsFoldingAsciiCase(path.substr(0, windows.size()), windows))
        return path.empty();
    const std::wstring copy = g_image + L"\\Windows\\" + path.substr(windows.size());
    return MakeFolders(WithoutFileName(copy)) && ::CopyFileW(path.c_str(), copy.c_str(), FALSE);
}

std::vector<fixture::Package> ImagePackages()
{
    std::vector<fixture::Package> packages = RoundTripPackages();
    fixture::SimpleDriver media =
        fixture::OneModelDriver(L"imgmedia", L"Image Media Layout", L"ROOT\\TARNWICK_IMG_MEDIA");
    media.diskPath = L"x64";
    media.librarySubfolder = L"res";
    packages.push_back(fixture::MakePackage(media, {{L"ROOT\\TARNWICK_IMG_MEDIA"}}));
    return packages;
}

// Every file under root but the run's log, as relative paths.
// The driver files of a backup: its log and its report, which say when and from where, are not.
std::vector<std::wstring> SavedFiles(const std::wstring& root)
{
    std::vector<std::wstring> files;
    for (const std::wstring& entry : ListTree(root)) {
        const bool top = entry.find(L'\\') == std::wstring::npos;
        if (!(top && (entry.rfind(L"Tarnwick-", 0) == 0 || entry == L"report.json")))
            files.push_back(entry);
    }
    return files;
}

// Text as the run's redirected output holds it: each line feed as CR LF.
std::string Text(const std::wstring& text)
{
    return LogBytes(text);
}

class OfflineImageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        g_work = std::make_unique<TempFolder>();
        g_image = *g_work / L"Old PC";
        g_onlineBackup = *g_work / L"Online backup";
        for (const fixture::Package& package : ImagePackages()) {
            g_installed.push_back(fixture::InstallPackage(package));
            if (!g_installed.back().ok) {
                g_setupError = L"install: " + g_installed.back().error;
                return;
            }
        }
        const ProgramRun online = RunTarnwick(PathArgument(g_onlineBackup));
        if (!online.finished || online.exitCode != 0) {
            g_setupError = L"the online backup failed";
            return;
        }
        const std::wstring hive = g_image + L"\\Windows\\System32\\config\\SYSTEM";
        if (!SaveMachineKey(L"SYSTEM", hive) || !RenameTopKeyInHiveFile(hive, L"CurrentControlSet", L"ControlSet001")) {
            g_setupError = L"the hive could not be saved";
            return;
        }
        for (const fixture::InstallResult& installed : g_installed) {
            std::vector<std::wstring> files = installed.installedFiles;
            files.insert(files.end(), installed.stagedFiles.begin(), installed.stagedFiles.end());
            files.push_back(installed.publishedInfPath);
            files.push_back(installed.catalogPath);
            for (const std::wstring& file : files) {
                if (!CopyIntoImage(file))
                    g_setupError = L"not copied into the image: " + file;
            }
            if (!fixture::Uninstall(installed))
                g_setupError = L"not removed: " + installed.publishedInf;
        }
        // A backup that took a file from the running system would hold these bytes.
        for (const fixture::InstallResult& installed : g_installed) {
            for (const std::wstring& file : installed.installedFiles) {
                if (!WriteFileBytes(file, "decoy of the running system"))
                    g_setupError = L"no decoy at " + file;
                g_decoys.push_back(file);
            }
        }
    }

    static void TearDownTestSuite()
    {
        for (const std::wstring& decoy : g_decoys)
            ::DeleteFileW(decoy.c_str());
        g_decoys.clear();
        g_installed.clear();
        g_work.reset();
    }

    void SetUp() override { ASSERT_TRUE(g_setupError.empty()) << ::testing::PrintToString(g_setupError); }
    void TearDown() override
    {
        EXPECT_EQ(LoadedHiveNames(), std::vector<std::wstring>()) << "a hive stayed loaded";
        RemoveLogsInTemp();
    }

    static ProgramRun BackUpImage(const std::wstring& image, const std::wstring& target)
    {
        return RunTarnwick(L"\"/image:" + image + L"\" " + PathArgument(target));
    }

    TempFolder sandbox;
};

} // namespace

TEST_F(OfflineImageTest, TheBackupOfTheImageEqualsTheBackupMadeWhileItRan)
{
    const std::wstring target = sandbox / L"From the image";
    const ProgramRun run = BackUpImage(g_image, target);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(run.output.find("ERROR"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(Text(L"  Windows image is " + g_image + L"\\ (AMD64)\n")), std::string::npos)
        << run.output;

    const std::vector<std::wstring> files = SavedFiles(target);
    ASSERT_EQ(files, SavedFiles(g_onlineBackup));
    size_t compared = 0;
    for (const std::wstring& file : files) {
        if (file.back() == L'\\')
            continue;
        EXPECT_EQ(ReadFileBytes(target + L"\\" + file), ReadFileBytes(g_onlineBackup + L"\\" + file))
            << ::testing::PrintToString(file);
        ++compared;
    }
    EXPECT_GE(compared, 7u * 4u) << "every package's driver, catalog and INF";
}

// The published INF of one driver is gone from the image: that device is still listed and
// reported, but cannot be saved, and the run says so.
TEST_F(OfflineImageTest, ADeviceWhoseInfIsMissingIsReportedNotSaved)
{
    const fixture::InstallResult& widget = g_installed.at(0);
    const std::wstring inf = g_image + L"\\Windows\\INF\\" + widget.publishedInf;
    const std::wstring aside = inf + L".aside";
    ASSERT_TRUE(::MoveFileW(inf.c_str(), aside.c_str()));
    const std::wstring target = sandbox / L"Without an INF";
    const ProgramRun run = BackUpImage(g_image, target);
    ::MoveFileW(aside.c_str(), inf.c_str());

    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.output.find(Text(L"Round Trip Widget\n")), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(Text(L"  ERROR: Failed to find driver files.\n")), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Done: 6 of 7 device driver(s)"), std::string::npos) << run.output;
}

TEST_F(OfflineImageTest, AFolderWithoutWindowsIsRefused)
{
    const ProgramRun run = BackUpImage(sandbox.path(), sandbox / L"Target");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.output, Text(L"ERROR: " + sandbox.path() + L"\\ holds no Windows installation (it has no "
                                                              L"Windows folder).\n"));
    EXPECT_FALSE(::PathFileExistsW((sandbox / L"Target").c_str())) << "nothing is written for a refused image";
}

TEST_F(OfflineImageTest, AWindowsWithoutItsHiveIsRefused)
{
    ASSERT_TRUE(MakeFolders(sandbox / L"Windows\\System32\\config"));
    const ProgramRun run = BackUpImage(sandbox.path(), sandbox / L"Target");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.output, Text(L"ERROR: The Windows in " + sandbox.path() + L"\\ has no registry: " + sandbox.path() +
                               L"\\Windows\\System32\\config\\SYSTEM is missing.\n"));
}

TEST_F(OfflineImageTest, AHiveThatCannotBeLoadedIsRefused)
{
    ASSERT_TRUE(WriteFileBytes(sandbox / L"Windows\\System32\\config\\SYSTEM", "damaged"));
    const ProgramRun run = BackUpImage(sandbox.path(), sandbox / L"Target");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.output.find(Text(L"Scanning devices...\nERROR: The registry of the Windows in " + sandbox.path() +
                                   L"\\ cannot be read (error ")),
              std::string::npos)
        << run.output;
}
