// tarnwick.exe /path:... when things go wrong: nothing to save, a target that is a file or
// cannot be created, a log that cannot be created, a driver file that is gone, and an INF
// whose names point outside the backup. Exit code 1 every time; the log, when there is one,
// says why and is opened from where it ended up.
#include <gtest/gtest.h>

#include "discovery/SystemFolders.h"
#include "saving/SavePaths.h"
#include "tests/e2e/TarnwickRun.h"
#include "tests/saving/SavingTestSupport.h"
#include "tests/support/OpenVerbRecorder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestFiles.h"

namespace {

fixture::SimpleDriver Driver(const std::wstring& name, const std::wstring& model)
{
    return fixture::OneModelDriver(name, model, L"ROOT\\TARNWICK_E2E_" + name);
}

fixture::Package PackageOf(const fixture::SimpleDriver& driver)
{
    return fixture::MakePackage(driver, {{driver.models[0].hardwareId}});
}

// Changes an installed INF (UTF-16 with a byte order mark) as a hand-made driver could be.
bool ReplaceInInf(const std::wstring& path, const std::wstring& from, const std::wstring& to)
{
    const std::string bytes = ReadFileBytes(path);
    if (bytes.size() < 2)
        return false;
    std::wstring text((bytes.size() - 2) / sizeof(wchar_t), L'\0');
    bytes.copy(reinterpret_cast<char*>(&text[0]), text.size() * sizeof(wchar_t), 2);
    const size_t at = text.find(from);
    if (at == std::wstring::npos)
        return false;
    text.replace(at, from.size(), to);
    return WriteFileBytes(path, bytes.substr(0, 2) + std::string(reinterpret_cast<const char*>(text.data()),
                                                                   text.size() * sizeof(wchar_t)));
}

class CommandLineFailureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(recorder.installed()) << "TARNWICK_OPEN_RECORDER is not set";
        target = sandbox / L"Driver Backup";
    }

    void TearDown() override { RemoveLogsInTemp(); }

    // The run's log, left in the temporary folder, holds these messages and is named there.
    void ExpectLogInTemp(const ProgramRun& run, const std::wstring& messages)
    {
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 1u);
        ExpectScriptedRunLog(run, recorder, ReadSystemFolders().tempDir, messages);
    }

    OpenVerbRecorder recorder;
    TempFolder sandbox;
    std::wstring target;
};

} // namespace

TEST_F(CommandLineFailureTest, NoDeviceKeptLeavesTheLogInTheTemporaryFolder)
{
    // Wine's own devices all have the system's INFs: without /all the scan keeps none.
    const ProgramRun run = RunTarnwick(PathArgument(target));
    ExpectLogInTemp(run, L"ERROR: No devices selected.\n");
    EXPECT_EQ(::GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES) << "the target is not created";
}

TEST_F(CommandLineFailureTest, PlainStartOpensTheLogInAViewer)
{
    // Started from a shortcut: a console of its own, and the log opened at the end.
    ChildProcess child(L"\"" + BuildProgramPath("TARNWICK_EXE") + L"\" " + PathArgument(target), nullptr);
    ASSERT_TRUE(child.Wait(300000));
    EXPECT_EQ(child.ExitCode(), 1u);
    ExpectOpenedLog(recorder.WaitForOpened(1, 20000), ReadSystemFolders().tempDir, L"ERROR: No devices selected.\n");
}

TEST_F(CommandLineFailureTest, TargetThatIsAFileIsRefused)
{
    fixture::ScopedPackage widget(PackageOf(Driver(L"refused", L"Refused Widget")));
    ASSERT_TRUE(widget.ok()) << ::testing::PrintToString(widget.error());
    ASSERT_TRUE(WriteFileBytes(target, "not a folder"));
    const ProgramRun run = RunTarnwick(PathArgument(target));
    ExpectLogInTemp(run, RunStartLog(target) + L"ERROR: Target path is an existing file.\n");
    EXPECT_EQ(ReadFileBytes(target), "not a folder");
}

TEST_F(CommandLineFailureTest, TargetThatCannotBeCreatedIsRefused)
{
    fixture::ScopedPackage widget(PackageOf(Driver(L"uncreated", L"Uncreated Widget")));
    ASSERT_TRUE(widget.ok()) << ::testing::PrintToString(widget.error());
    ASSERT_TRUE(WriteFileBytes(sandbox / L"file", "in the way"));
    target = sandbox / L"file\\Driver Backup";
    ::SetLastError(0xdeadbeef);
    ASSERT_FALSE(::CreateDirectoryW(target.c_str(), nullptr));
    const DWORD error = ::GetLastError();
    const ProgramRun run = RunTarnwick(PathArgument(target));
    // With the system's reason, as it gives it for the same folder.
    ExpectLogInTemp(run, RunStartLog(target) + L"ERROR: Could not create target folder.\n  " + SystemReason(error) + L"\n");
    EXPECT_EQ(ListTree(sandbox.path()), std::vector<std::wstring>{L"file"});
}

TEST_F(CommandLineFailureTest, LogThatCannotBeCreatedEndsTheRunAfterTheScan)
{
    fixture::ScopedPackage widget(PackageOf(Driver(L"unlogged", L"Unlogged Widget")));
    ASSERT_TRUE(widget.ok()) << ::testing::PrintToString(widget.error());
    // The output file is made first: no temporary folder can be made while it is blocked.
    const std::wstring outputPath = sandbox / L"output.txt";
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    UniqueFileHandle output(::CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                                          CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(output.valid());
    bool finished = false;
    DWORD exitCode = 0;
    {
        TempFolderBlocked blocked;
        ChildProcess child(L"\"" + BuildProgramPath("TARNWICK_EXE") + L"\" " + PathArgument(target), output.get());
        output.reset();
        finished = child.Wait(300000);
        exitCode = child.ExitCode();
        if (!finished)
            child.Terminate();
    }
    ASSERT_TRUE(finished);
    EXPECT_EQ(exitCode, 1u);
    EXPECT_EQ(ReadFileBytes(outputPath), "Scanning devices...\r\n") << "the save engine says nothing";
    EXPECT_EQ(::GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES) << "nothing is saved";
    ::Sleep(1000);
    EXPECT_TRUE(recorder.WaitForOpened(0, 0).empty()) << "no log is opened";
}

TEST_F(CommandLineFailureTest, DriverFileThatIsGoneFailsItsDeviceOnly)
{
    const fixture::SimpleDriver goodDriver = Driver(L"intact", L"Intact Widget");
    const fixture::SimpleDriver brokenDriver = Driver(L"broken", L"Broken Widget");
    fixture::ScopedPackage good(PackageOf(goodDriver));
    fixture::ScopedPackage broken(PackageOf(brokenDriver));
    ASSERT_TRUE(good.ok() && broken.ok()) << ::testing::PrintToString(good.error() + broken.error());
    // The library is gone from the media and from where it was installed: no copy is left.
    ASSERT_TRUE(::DeleteFileW((broken.result().packageFolder + L"\\broken.dll").c_str()));
    ASSERT_TRUE(::DeleteFileW((ReadSystemFolders().systemDir + L"broken.dll").c_str()));

    const ProgramRun run = RunTarnwick(PathArgument(target));
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);

    const std::vector<ExpectedDevice> devices =
        InListOrder({SimpleDevice(goodDriver, good.result(), L"Intact Widget"),
                     SimpleDevice(brokenDriver, broken.result(), L"Broken Widget")});
    std::wstring messages = RunStartLog(target);
    for (const ExpectedDevice& device : devices) {
        const std::wstring folder = target + L"\\" + device.classDescription + L"\\" + device.name;
        std::wstring block = SavedDeviceLog(device, folder);
        if (device.name == L"Broken Widget")
            block.replace(block.rfind(L"  Done.\n\n"), std::wstring::npos,
                          L"    ERROR: Failed to save file broken.dll\n      The file was not found on this computer.\n"
                          L"  The folder '" + folder + L" (incomplete)' is incomplete.\n  Completed with errors.\n\n");
        messages += block;
    }
    messages += RunSummaryLog(1, 2);
    ExpectScriptedRunLog(run, recorder, target, messages);

    const std::wstring classFolder = target + L"\\" + fixture::kTestClassDescription;
    EXPECT_EQ(ListTree(classFolder + L"\\Intact Widget"),
              Sorted({L"intact.cat", L"intact.dll", L"intact.inf", L"intact.sys", L"intactco.dll"}));
    EXPECT_EQ(ListTree(classFolder + L"\\Broken Widget (incomplete)"),
              Sorted({L"broken.cat", L"broken.inf", L"broken.sys", L"brokenco.dll"}))
        << "the device's other files are saved, in a folder marked as lacking one";
}

TEST_F(CommandLineFailureTest, InfNamesPointingOutsideTheBackupWriteNothingThere)
{
    // The catalog named by the INF climbs three folders up: from a saved device folder that
    // is the folder holding the backup. The INF takes the catalog's file name, at the top of
    // the device folder.
    fixture::SimpleDriver driver = Driver(L"hostile", L"Hostile Widget");
    fixture::Package package = PackageOf(driver);
    const std::wstring catalogLines = L"CatalogFile.NTamd64=hostile.cat\r\nCatalogFile=hostile.cat\r\n";
    const size_t lines = package.infText.find(catalogLines);
    ASSERT_NE(lines, std::wstring::npos);
    package.infText.replace(lines, catalogLines.size(), L"CatalogFile=..\\..\\..\\escape.cat\r\n");
    package.catalog = L"..\\..\\..\\escape.cat";
    const std::wstring media = sandbox / L"media\\one\\two\\hostile";
    std::wstring error;
    ASSERT_TRUE(fixture::WritePackage(package, media, error)) << ::testing::PrintToString(error);
    const fixture::InstallResult installed = fixture::InstallFromFolder(media + L"\\hostile.inf", package.devices, false);
    ASSERT_TRUE(installed.ok) << ::testing::PrintToString(installed.error);

    target = sandbox / L"outer\\Driver Backup";
    const ProgramRun run = RunTarnwick(PathArgument(target));
    fixture::Uninstall(installed);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);

    const std::string log = OnlyLogIn(target);
    EXPECT_NE(log.find("    ERROR: Failed to save file ..\\..\\..\\escape.cat\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("    escape.inf\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("  Completed with errors.\r\n\r\n"), std::string::npos);
    const std::wstring logName = LogsIn(target).at(0);
    const std::wstring device = L"outer\\Driver Backup\\Tarnwick test devices\\Hostile Widget (incomplete)\\";
    const std::wstring top = L"outer\\Driver Backup\\";
    EXPECT_EQ(ListTree(sandbox.path()),
              Sorted({L"media\\", L"media\\escape.cat", L"media\\one\\", L"media\\one\\two\\",
                      L"media\\one\\two\\hostile\\", L"media\\one\\two\\hostile\\hostile.dll",
                      L"media\\one\\two\\hostile\\hostile.inf", L"media\\one\\two\\hostile\\hostile.sys",
                      L"media\\one\\two\\hostile\\hostileco.dll", L"outer\\", L"outer\\Driver Backup\\",
                      L"outer\\Driver Backup\\" + logName, top + L"report.json", top + L"Help.chm", top + L"README.txt",
                      top + L"Restore drivers.cmd", top + L"tarnwick.exe", L"outer\\Driver Backup\\Tarnwick test devices\\",
                      device, device + L"escape.inf", device + L"hostile.dll", device + L"hostile.sys",
                      device + L"hostileco.dll"}))
        << "nothing beside the backup, nothing in the media";
}

TEST_F(CommandLineFailureTest, DeviceWhoseFileSetCannotBeWorkedOutIsNotSaved)
{
    const fixture::SimpleDriver wholeDriver = Driver(L"whole", L"Whole Widget");
    const fixture::SimpleDriver sectionlessDriver = Driver(L"sectionless", L"Sectionless Widget");
    const fixture::SimpleDriver refusedDriver = Driver(L"refusedname", L"Refused Name Widget");
    fixture::ScopedPackage whole(PackageOf(wholeDriver));
    fixture::ScopedPackage sectionless(PackageOf(sectionlessDriver));
    fixture::ScopedPackage refused(PackageOf(refusedDriver));
    ASSERT_TRUE(whole.ok() && sectionless.ok() && refused.ok())
        << ::testing::PrintToString(whole.error() + sectionless.error() + refused.error());
    // Once installed, one INF loses the install section the device uses, and the other names
    // a file longer than the setup services take.
    ASSERT_TRUE(ReplaceInInf(sectionless.result().publishedInfPath, L"[DeviceInstall.NTamd64]\r\n",
                             L"[Renamed.NTamd64]\r\n"));
    ASSERT_TRUE(ReplaceInInf(refused.result().publishedInfPath, L"[DriverFiles]\r\n",
                             L"[DriverFiles]\r\n" + std::wstring(300, L'f') + L".sys\r\n"));

    const ProgramRun run = RunTarnwick(PathArgument(target));
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);

    const std::vector<ExpectedDevice> devices =
        InListOrder({SimpleDevice(wholeDriver, whole.result(), L"Whole Widget"),
                     SimpleDevice(sectionlessDriver, sectionless.result(), L"Sectionless Widget"),
                     SimpleDevice(refusedDriver, refused.result(), L"Refused Name Widget")});
    std::wstring messages = RunStartLog(target);
    for (const ExpectedDevice& device : devices) {
        const std::wstring folder = target + L"\\" + device.classDescription + L"\\" + device.name;
        std::wstring block = SavedDeviceLog(device, folder);
        if (device.name != L"Whole Widget") {
            const std::wstring searching = L"  Searching for driver files...\n";
            const std::wstring reason = device.name == L"Sectionless Widget"
                ? L"      The INF file has no section [DeviceInstall.NTamd64].\n"
                : L"      A file entry of section [DeviceInstall.NTamd64] is longer than the setup services take.\n";
            block = block.substr(0, block.find(searching) + searching.size()) +
                    L"  ERROR: Failed to find driver files.\n" + reason;
        }
        messages += block;
    }
    messages += RunSummaryLog(1, 3);
    ExpectScriptedRunLog(run, recorder, target, messages);
    EXPECT_EQ(ListTree(target + L"\\" + fixture::kTestClassDescription),
              Sorted({L"Whole Widget\\", L"Whole Widget\\whole.cat", L"Whole Widget\\whole.dll",
                      L"Whole Widget\\whole.inf", L"Whole Widget\\whole.sys", L"Whole Widget\\wholeco.dll"}))
        << "no folder holding only an INF and a catalog";
}

// The temporary folder's volume is full: the log is made but takes no message, and the devices
// are saved all the same. The run says on its output that its log is incomplete, naming it, and
// exits with 1.
TEST_F(CommandLineFailureTest, LogThatCouldNotBeWrittenWholeFailsTheRun)
{
    const fixture::SimpleDriver driver = Driver(L"fulltemp", L"Full Temp Widget");
    fixture::ScopedPackage widget(PackageOf(driver));
    ASSERT_TRUE(widget.ok()) << ::testing::PrintToString(widget.error());
    // The output file is made first: no file can take anything in the full temporary folder.
    const std::wstring outputPath = sandbox / L"output.txt";
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    UniqueFileHandle output(::CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                                          CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(output.valid());
    ProgramRun run;
    {
        TempFolderFull full;
        if (!full.ok())
            GTEST_SKIP() << "no small volume mounted for this test (that needs root)";
        ChildProcess child(L"\"" + BuildProgramPath("TARNWICK_EXE") + L"\" " + PathArgument(target), output.get());
        output.reset();
        run.finished = child.Wait(300000);
        run.exitCode = child.ExitCode();
        if (!run.finished)
            child.Terminate();
    }
    run.output = ReadFileBytes(outputPath);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u) << "every device was saved, but the log is lost";
    const std::vector<std::wstring> logs = LogsIn(target);
    ASSERT_EQ(logs.size(), 1u);
    const std::wstring log = WithBackslash(target) + logs[0];
    EXPECT_EQ(ReadFileBytes(log), "");
    const std::string error = Latin1(L"ERROR: The log file " + log + L" is incomplete: ");
    EXPECT_NE(run.output.find(LogBytes(RunSummaryLog(1, 1)) + error), std::string::npos) << run.output;
    EXPECT_EQ(run.output.substr(run.output.size() - log.size() - 2), Latin1(log) + "\r\n") << "the log's path stays last";
    EXPECT_EQ(ListTree(target + L"\\" + fixture::kTestClassDescription + L"\\Full Temp Widget").size(), 5u);
}
