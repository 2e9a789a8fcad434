// The save engine on devices whose file sets are known already (a known set is replayed,
// not searched): messages in order, folder layout, file contents and times, progress, stops,
// failures, and files that must not be written where their names point.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <utility>

#include "discovery/SystemFolders.h"
#include "platform/Handles.h"
#include "platform/Trace.h"
#include "platform/WorkerThread.h"
#include "saving/CDeviceSaver.h"
#include "saving/FileSetLookahead.h"
#include "saving/SavePaths.h"
#include "tests/discovery/ScopedDevicePath.h"
#include "tests/saving/SavingTestSupport.h"
#include "tests/support/InfTexts.h"
#include "saving/DeviceReport.h"
#include "saving/ReportWriter.h"
#include "tests/support/CachedDevices.h"
#include "tests/support/ReferenceHash.h"
#include "tests/support/ShellOpenRecorder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestFiles.h"

namespace {

class DeviceSaverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(sandbox.path().empty());
        target = sandbox / L"target";
    }

    void TearDown() override { RemoveLogsInTemp(); }

    // A payload file written now, as the file set would have found it on disk.
    DriverFile Payload(const std::wstring& name, const std::string& content, FILETIME time = TimeOfDay(2019, 5, 4))
    {
        return cached.Payload(name, content, time);
    }

    DeviceInfo& Device(const std::wstring& classDescription, const std::wstring& name, std::deque<DriverFile> files)
    {
        return cached.Add(classDescription, name, std::move(files));
    }

    // Runs a save of the devices; the saver is gone (its log finished) when this returns, and
    // its report in report when one is given.
    bool Save(const std::wstring& into, const std::vector<DeviceInfo*>& toSave, DeviceReport* report = nullptr)
    {
        TextStreamFile console;
        bool result = false;
        {
            CDeviceSaver saver(reporter, shell, ReadSystemFolders());
            for (DeviceInfo* device : toSave)
                saver.AddDevice(device);
            result = saver.SaveAll(FolderOf(into), console.get());
            saver.FinishLog();
            if (report)
                *report = saver.Report();
        }
        consoleBytes = console.Close();
        return result;
    }

    // The messages that start the log of every device of these tests.
    static std::wstring DeviceHeader(const DeviceInfo& device)
    {
        return device.name + L"\nClass: " + device.classDescription + L" [" + device.className +
               L"]\nProvider: Contoso\nVersion: 1.2.3.4\n  Searching for driver files...\n";
    }

    std::wstring Start() const { return L"Saving devices...\n  Target path is " + target + L"\n\n"; }

    // The first device of a run, with its set known: "One", a.sys only.
    DeviceInfo& KnownFirst() { return Device(L"Ports", L"One", {Payload(L"a.sys", "aa")}); }
    // The log of a run up to that device's folder line.
    std::wstring KnownFirstLog(const DeviceInfo& first) const
    {
        return Start() + DeviceHeader(first) + L"    a.sys\n  Saving to " + target + L"\\Ports\\One...\n";
    }

    ShellOpenRecorder shell;
    TempFolder sandbox;
    std::wstring target;
    RecordingReporter reporter;
    CachedDevices cached;
    std::string consoleBytes;
};

} // namespace

TEST_F(DeviceSaverTest, OneDeviceIsSavedWithItsFilesTimesAndLog)
{
    DeviceInfo& device = Device(L"Sound, video and game controllers", L"Foo <Bar>: A/B",
                                {Payload(L"foo.inf", std::string(100, 'i'), TimeOfDay(2019, 5, 4)),
                                 Payload(L"x64\\foo.sys", std::string(300, 's'), TimeOfDay(2020, 2, 29))});
    EXPECT_TRUE(Save(target, {&device}));

    const std::wstring folder = L"Sound, video and game controllers\\Foo (Bar) AB";
    const std::vector<std::wstring> logs = LogsIn(target);
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(ListTree(target), Sorted({
                                    L"Sound, video and game controllers\\", folder + L"\\", folder + L"\\foo.inf",
                                    folder + L"\\x64\\", folder + L"\\x64\\foo.sys", logs[0],
                                    L"report.json"}));
    for (const DriverFile& file : device.files) {
        const std::wstring copy = target + L"\\" + folder + L"\\" + file.name;
        EXPECT_EQ(ReadFileBytes(copy), ReadFileBytes(file.path));
        FILETIME creation = {};
        FILETIME lastWrite = {};
        ASSERT_TRUE(ReadFileTimes(copy, creation, lastWrite));
        EXPECT_TRUE(SameTime(creation, file.time)) << ::testing::PrintToString(file.name);
        EXPECT_TRUE(SameTime(lastWrite, file.time)) << ::testing::PrintToString(file.name);
    }

    const std::wstring expected = Start() + DeviceHeader(device) + L"    foo.inf\n    x64\\foo.sys\n  Saving to " + target +
                                  L"\\" + folder + L"...\n  Done.\n\n" +
                                  L"\nDone: 1 of 1 device driver(s) succesefully saved.\n";
    ExpectOpenedLog(shell.Opened(), target, expected);
    EXPECT_EQ(consoleBytes, LogBytes(expected));
}

TEST_F(DeviceSaverTest, KnownSetsTakeNoShareAndCopiesCountBySize)
{
    DeviceInfo& first = Device(L"Ports", L"One", {Payload(L"a.dll", std::string(100, 'a')),
                                                  Payload(L"b.dll", std::string(300, 'b'))});
    DeviceInfo& second = Device(L"Ports", L"Two", {Payload(L"c.dll", std::string(50, 'c'))});
    EXPECT_TRUE(Save(target, {&first, &second}));
    // Replays report (i + 1) / n and 1.0 into a share of 0; copying covers each half.
    EXPECT_EQ(reporter.fractions, (std::vector<double>{0.0, 0.0, 0.0, 0.125, 0.5, 0.5, 0.5, 1.0}));
}

TEST_F(DeviceSaverTest, SameClassAndNameGoToNumberedFolders)
{
    DeviceInfo& first = Device(L"Ports", L"Serial port", {Payload(L"serial.sys", "one")});
    DeviceInfo& second = Device(L"Ports", L"Serial port", {Payload(L"serial.sys", "two")});
    EXPECT_TRUE(Save(target, {&first, &first, &second}));
    EXPECT_EQ(ReadFileBytes(target + L"\\Ports\\Serial port\\serial.sys"), "one");
    EXPECT_EQ(ReadFileBytes(target + L"\\Ports\\Serial port[1]\\serial.sys"), "one") << "the same device twice";
    EXPECT_EQ(ReadFileBytes(target + L"\\Ports\\Serial port[2]\\serial.sys"), "two");
    const std::string log = OnlyLogIn(target);
    EXPECT_NE(log.find(Latin1(L"  Saving to " + target + L"\\Ports\\Serial port[2]...\r\n")), std::string::npos);
    EXPECT_NE(log.find("Done: 3 of 3 device"), std::string::npos);
}

TEST_F(DeviceSaverTest, EarlierBackupIsLeftUntouched)
{
    ASSERT_TRUE(WriteFileBytes(target + L"\\Ports\\Serial port\\serial.sys", "earlier"));
    DeviceInfo& device = Device(L"Ports", L"Serial port", {Payload(L"serial.sys", "later")});
    EXPECT_TRUE(Save(target, {&device}));
    EXPECT_EQ(ReadFileBytes(target + L"\\Ports\\Serial port\\serial.sys"), "earlier");
    EXPECT_EQ(ReadFileBytes(target + L"\\Ports\\Serial port[1]\\serial.sys"), "later");
}

TEST_F(DeviceSaverTest, MissingTargetIsCreatedWithItsParents)
{
    // "..Backups" is a folder name like any other, not a step up.
    for (const wchar_t* folder : {L"a\\b\\c", L"a\\..Backups"}) {
        target = sandbox / folder;
        DeviceInfo& device = Device(L"Ports", L"Serial port", {Payload(L"serial.sys", "x")});
        EXPECT_TRUE(Save(target, {&device})) << folder;
        EXPECT_EQ(ReadFileBytes(target + L"\\Ports\\Serial port\\serial.sys"), "x") << folder;
        EXPECT_EQ(LogsIn(target).size(), 1u) << folder;
    }
    EXPECT_EQ(ListTree(sandbox.path()).front(), L"a\\") << "nothing made beside a";
}

TEST_F(DeviceSaverTest, TargetThatIsAFileStopsTheRun)
{
    ASSERT_TRUE(WriteFileBytes(target, "a file"));
    DeviceInfo& device = Device(L"Ports", L"Serial port", {Payload(L"serial.sys", "x")});
    EXPECT_FALSE(Save(target, {&device}));
    const std::wstring expected = Start() + L"ERROR: Target path is an existing file.\n";
    // The log cannot move into a file: it is opened from the temporary folder.
    ExpectOpenedLog(shell.Opened(), ReadSystemFolders().tempDir, expected);
    EXPECT_EQ(consoleBytes, LogBytes(expected));
    EXPECT_EQ(ReadFileBytes(target), "a file");
}

TEST_F(DeviceSaverTest, TargetThatCannotBeCreatedStopsTheRun)
{
    ASSERT_TRUE(WriteFileBytes(sandbox / L"file", "in the way"));
    target = sandbox / L"file\\backup";
    ::SetLastError(0xdeadbeef);
    ASSERT_FALSE(::CreateDirectoryW(target.c_str(), nullptr));
    const DWORD error = ::GetLastError();
    DeviceInfo& device = Device(L"Ports", L"Serial port", {Payload(L"serial.sys", "x")});
    EXPECT_FALSE(Save(target, {&device}));
    ExpectOpenedLog(shell.Opened(), ReadSystemFolders().tempDir,
                    Start() + L"ERROR: Could not create target folder.\n  " + SystemReason(error) + L"\n");
}

TEST_F(DeviceSaverTest, NoDevicesIsAnErrorAndCreatesNoTarget)
{
    EXPECT_FALSE(Save(target, {}));
    // No target folder to move the log into: it is opened from the temporary folder.
    ExpectOpenedLog(shell.Opened(), ReadSystemFolders().tempDir, L"ERROR: No devices selected.\n");
    EXPECT_EQ(consoleBytes, LogBytes(L"ERROR: No devices selected.\n"));
    EXPECT_EQ(::GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(DeviceSaverTest, LogThatCannotBeCreatedEndsTheRunSilently)
{
    DeviceInfo& device = Device(L"Ports", L"Serial port", {Payload(L"serial.sys", "x")});
    TextStreamFile console;
    {
        TempFolderBlocked blocked;
        CDeviceSaver saver(reporter, shell, ReadSystemFolders());
        saver.AddDevice(&device);
        EXPECT_FALSE(saver.SaveAll(FolderOf(target), console.get()));
    }
    EXPECT_EQ(console.Close(), "");
    EXPECT_EQ(::GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES);
    ::Sleep(1000);
    EXPECT_TRUE(shell.Opened().empty());
}

TEST_F(DeviceSaverTest, FileThatFailsFailsItsDeviceOnly)
{
    DeviceInfo& first = Device(L"Ports", L"One", {Payload(L"one.sys", "1")});
    const DriverFile missing = CachedDevices::Missing(L"missing.dll");
    DeviceInfo& second = Device(L"Ports", L"Two", {Payload(L"two.inf", "2"), missing, Payload(L"two.sys", "22")});
    DeviceInfo& third = Device(L"Ports", L"Three", {Payload(L"three.sys", "3")});
    EXPECT_FALSE(Save(target, {&first, &second, &third}));

    EXPECT_EQ(ListTree(target + L"\\Ports\\Two (incomplete)"), Sorted({L"two.inf", L"two.sys"}))
        << "a folder that lacks a file is marked, as a stopped copy is";
    EXPECT_EQ(ReadFileBytes(target + L"\\Ports\\Three\\three.sys"), "3");
    const std::wstring expected =
        Start() + DeviceHeader(first) + L"    one.sys\n  Saving to " + target + L"\\Ports\\One...\n  Done.\n\n" +
        DeviceHeader(second) + L"    two.inf\n    missing.dll\n    two.sys\n  Saving to " + target +
        L"\\Ports\\Two...\n    ERROR: Failed to save file missing.dll\n      The file was not found on this computer.\n" +
        L"  The folder '" + target + L"\\Ports\\Two (incomplete)' is incomplete.\n  Completed with errors.\n\n" +
        DeviceHeader(third) + L"    three.sys\n  Saving to " + target + L"\\Ports\\Three...\n  Done.\n\n" +
        L"\nDone: 2 of 3 device driver(s) succesefully saved.\n";
    EXPECT_EQ(OnlyLogIn(target), LogBytes(expected));
}

// A searched file refused by the catalog leaves the device incomplete; one unchecked is saved.
TEST_F(DeviceSaverTest, FilesFoundBySearchAreNamedWithWhereTheyWereFound)
{
    DriverFile unchecked = Payload(L"x.dll", "x");
    unchecked.catalogCheck = CatalogCheck::Unchecked;
    unchecked.searchFound = unchecked.path;
    unchecked.uncheckedReason = L"the driver names no catalog";
    DriverFile refused = CachedDevices::Missing(L"co.dll");
    refused.catalogCheck = CatalogCheck::Mismatch;
    refused.searchFound = L"C:\\Windows\\System32\\DriverStore\\other\\co.dll";
    DeviceInfo& device = Device(L"Ports", L"Searched", {unchecked, refused});
    EXPECT_FALSE(Save(target, {&device}));
    const std::wstring expected =
        Start() + DeviceHeader(device) + L"    x.dll\n      x.dll: found " + unchecked.path +
        L", which could not be checked: the driver names no catalog\n    co.dll\n  Saving to " + target +
        L"\\Ports\\Searched...\n    ERROR: Failed to save file co.dll\n      co.dll: found " + refused.searchFound +
        L", which does not match the driver's catalog\n  The folder '" + target +
        L"\\Ports\\Searched (incomplete)' is incomplete.\n  Completed with errors.\n\n" +
        L"\nDone: 0 of 1 device driver(s) succesefully saved.\n";
    EXPECT_EQ(OnlyLogIn(target), LogBytes(expected));
}

TEST_F(DeviceSaverTest, StopDuringCopyEndsAfterThatDeviceWithTwoAbortLines)
{
    DeviceInfo& first = Device(L"Ports", L"One", {Payload(L"a.sys", "aa"), Payload(L"b.sys", "bb")});
    DeviceInfo& second = Device(L"Ports", L"Two", {Payload(L"c.sys", "c")});
    DeviceInfo& third = Device(L"Ports", L"Three", {Payload(L"d.sys", "d")});
    reporter.stopAbove = 0.0;
    EXPECT_FALSE(Save(target, {&first, &second, &third}));

    const std::wstring expected = Start() + DeviceHeader(first) + L"    a.sys\n    b.sys\n  Saving to " + target +
                                  L"\\Ports\\One...\n  Operation aborted by the user.\n"
                                  L"  The folder '" + target + L"\\Ports\\One (incomplete)' is incomplete.\n"
                                  L"  Operation aborted by the user.\n";
    EXPECT_EQ(OnlyLogIn(target), LogBytes(expected)) << "no summary line";
    EXPECT_EQ(ListTree(target + L"\\Ports"), Sorted({L"One (incomplete)\\", L"One (incomplete)\\a.sys"}))
        << "what was copied stays, under a name that says it is not whole; nothing after the stop";
}

TEST_F(DeviceSaverTest, StopDuringReplayFailsTheSearch)
{
    DeviceInfo& first = Device(L"Ports", L"One", {Payload(L"a.sys", "aa")});
    DeviceInfo& second = Device(L"Ports", L"Two", {Payload(L"c.sys", "c")});
    reporter.stopAtFirst = true;
    EXPECT_FALSE(Save(target, {&first, &second}));
    const std::wstring expected = Start() + DeviceHeader(first) +
                                  L"  ERROR: Failed to find driver files.\n      The search was stopped.\n"
                                  L"  Operation aborted by the user.\n";
    EXPECT_EQ(OnlyLogIn(target), LogBytes(expected));
    EXPECT_EQ(first.files.size(), 1u) << "a stopped replay keeps the set";
    EXPECT_EQ(ListTree(target), Sorted({LogsIn(target).at(0), L"report.json"})) << "nothing copied";
}

TEST_F(DeviceSaverTest, DeviceWithoutDriverFilesFailsAndTheRunGoesOn)
{
    DeviceInfo& lost = Device(L"Ports", L"Lost", {});
    lost.infPath = L"oem-never-installed.inf";
    DeviceInfo& found = Device(L"Ports", L"Found", {Payload(L"found.sys", "f")});
    EXPECT_FALSE(Save(target, {&lost, &found}));
    // The reason is indented as a reason, never as a file of the set.
    const std::wstring expected = Start() + DeviceHeader(lost) + L"  ERROR: Failed to find driver files.\n" +
                                  L"      The driver's INF file oem-never-installed.inf was not found.\n" +
                                  DeviceHeader(found) + L"    found.sys\n  Saving to " + target +
                                  L"\\Ports\\Found...\n  Done.\n\n" +
                                  L"\nDone: 1 of 2 device driver(s) succesefully saved.\n";
    EXPECT_EQ(OnlyLogIn(target), LogBytes(expected));
    EXPECT_EQ(reporter.fractions.back(), 1.0);
}

TEST_F(DeviceSaverTest, EmptySetPassesTheSpaceTest)
{
    DeviceInfo& device = Device(L"Ports", L"Empty", {Payload(L"empty.sys", "")});
    EXPECT_TRUE(Save(target, {&device}));
    EXPECT_EQ(ReadFileBytes(target + L"\\Ports\\Empty\\empty.sys"), "");
    // Counted as one byte: the copy's fraction is 0 of 1, never 0 of 0.
    EXPECT_EQ(reporter.fractions, (std::vector<double>{0.0, 0.0, 0.0}));
}

// Names the file system takes for one file, in any script: the one a package copies to two
// folders (драйвер.sys and ДРАЙВЕР.sys) lands on one name in the device folder.
TEST_F(DeviceSaverTest, NamesDifferingInCaseWithOtherContentAreAClashNotALoss)
{
    struct Pair {
        const wchar_t* upper;
        const wchar_t* lower;
        const wchar_t* logged;  // either name in the 8-bit log
    };
    const Pair pairs[] = {
        {L"A.SYS", L"a.sys", nullptr},
        {L"\x0414\x0420\x0410\x0419\x0412\x0415\x0420.sys", L"\x0434\x0440\x0430\x0439\x0432\x0435\x0440.sys",
         L"???????.sys"},
        {L"\x039A\x0386\x03A1\x03A4\x0391.sys", L"\x03BA\x03AC\x03C1\x03C4\x03B1.sys", L"?????.sys"},
    };
    for (const Pair& pair : pairs) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(pair.lower)));
        ASSERT_TRUE(RemoveTree(target));
        DeviceInfo& clash = Device(L"Ports", L"Case", {Payload(pair.upper, "upper"), Payload(pair.lower, "lower")});
        DeviceInfo& same = Device(L"Ports", L"Same", {Payload(L"B.SYS", "same"), Payload(L"b.sys", "same")});
        EXPECT_FALSE(Save(target, {&clash, &same}));
        const std::wstring kept = target + L"\\Ports\\Case (incomplete)";
        EXPECT_EQ(ListTree(kept), std::vector<std::wstring>{pair.upper});
        EXPECT_EQ(ReadFileBytes(kept + L"\\" + pair.upper), "upper") << "the earlier file is not replaced";
        EXPECT_EQ(ListTree(target + L"\\Ports\\Same"), std::vector<std::wstring>{L"B.SYS"})
            << "the same bytes are no loss";
        const std::wstring upper = pair.logged ? pair.logged : pair.upper;
        const std::wstring lower = pair.logged ? pair.logged : pair.lower;
        const std::wstring expected =
            Start() + DeviceHeader(clash) + L"    " + upper + L"\n    " + lower + L"\n  Saving to " + target +
            L"\\Ports\\Case...\n" + L"    ERROR: Failed to save file " + lower + L"\n      A different file, " +
            upper + L", is saved under that name.\n" + L"  The folder '" + kept + L"' is incomplete.\n" +
            L"  Completed with errors.\n\n" + DeviceHeader(same) + L"    B.SYS\n    b.sys\n  Saving to " + target +
            L"\\Ports\\Same...\n  Done.\n\n" + L"\nDone: 1 of 2 device driver(s) succesefully saved.\n";
        EXPECT_EQ(OnlyLogIn(target), LogBytes(expected));
    }
}

// A copy that the system refuses (here: the source is held open by another program that
// shares it with nobody) names the file and then the system's own reason.
TEST_F(DeviceSaverTest, CopyThatFailsIsFollowedByTheSystemsReason)
{
    DeviceInfo& device = Device(L"Ports", L"Held", {Payload(L"held.sys", "held"), Payload(L"free.sys", "free")});
    UniqueFileHandle holder(::CreateFileW(device.files[0].path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                          nullptr));
    ASSERT_TRUE(holder.valid());
    EXPECT_FALSE(Save(target, {&device}));
    holder.reset();
    const std::string log = OnlyLogIn(target);
    const std::string reason = Latin1(L"    ERROR: Failed to save file held.sys\r\n      " +
                                      SystemErrorText(ERROR_SHARING_VIOLATION) + L"\r\n");
    EXPECT_NE(log.find(reason), std::string::npos) << log;
    EXPECT_EQ(ListTree(target + L"\\Ports\\Held (incomplete)"), std::vector<std::wstring>{L"free.sys"});
}

TEST_F(DeviceSaverTest, CopiesOfReadOnlyFilesKeepTheirTimes)
{
    const FILETIME time = TimeOfDay(2018, 3, 2);
    DriverFile file = Payload(L"locked.sys", "read-only", time);
    ASSERT_TRUE(::SetFileAttributesW(file.path.c_str(), FILE_ATTRIBUTE_READONLY));
    DeviceInfo& device = Device(L"Ports", L"Locked", {file});
    EXPECT_TRUE(Save(target, {&device}));
    EXPECT_TRUE(Save(target, {&device})) << "a later run into the same target";
    for (const wchar_t* folder : {L"\\Ports\\Locked", L"\\Ports\\Locked[1]"}) {
        const std::wstring copy = target + folder + L"\\locked.sys";
        FILETIME creation = {};
        FILETIME lastWrite = {};
        ASSERT_TRUE(ReadFileTimes(copy, creation, lastWrite)) << ::testing::PrintToString(copy);
        EXPECT_TRUE(SameTime(creation, time));
        EXPECT_TRUE(SameTime(lastWrite, time));
        ::SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    ::SetFileAttributesW(file.path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(DeviceSaverTest, SizesAreSummedInSixtyFourBitsForTheSpaceTest)
{
    ASSERT_TRUE(CreateFolderPath(FolderOf(target)));
    uint64_t free = 0;
    ASSERT_TRUE(GetFreeSpace(target, free));
    ASSERT_GT(free, 0u);
    // Enough files of 4 GiB - 1 each to pass the free space; their 32-bit sum would wrap
    // round to a few bytes under 4 GiB.
    std::deque<DriverFile> files;
    const uint64_t count = free / 0xFFFFFFFFull + 2;
    for (uint64_t i = 0; i < count; ++i) {
        files.push_back(Payload(L"huge" + std::to_wstring(i) + L".bin", "tiny"));
        files.back().size = 0xFFFFFFFFu;
    }
    DeviceInfo& device = Device(L"Ports", L"Huge", files);
    EXPECT_FALSE(Save(target, {&device}));
    const std::string log = OnlyLogIn(target);
    EXPECT_NE(log.find("  ERROR: Not enough space on target.\r\n"), std::string::npos);
    EXPECT_EQ(ListTree(target), Sorted({LogsIn(target).at(0), L"report.json"})) << "no empty device or class folder is left behind";
}

// A hundred one-byte files take a hundred allocation units: a device whose bytes would fit,
// but whose files would not, is refused before anything of it is copied.
TEST_F(DeviceSaverTest, TinyFilesAreCountedInWholeAllocationUnits)
{
    const std::wstring volume = SmallVolume();
    if (volume.empty())
        GTEST_SKIP() << "no small volume mounted for this test (that needs root)";
    target = volume + L"\\tiny-files";
    ASSERT_TRUE(RemoveTree(target));
    ASSERT_TRUE(CreateFolderPath(FolderOf(target)));
    uint64_t freeBytes = 0;
    uint64_t unit = 0;
    ASSERT_TRUE(GetFreeSpace(target, freeBytes));
    ASSERT_TRUE(GetAllocationUnit(target, unit));
    ASSERT_GT(unit, 1u);
    std::deque<DriverFile> files;
    for (uint64_t i = 0; i <= freeBytes / unit; ++i)
        files.push_back(Payload(L"tiny" + std::to_wstring(i) + L".sys", "t"));
    ASSERT_LT(TotalSize(files), freeBytes) << "the bytes alone would fit";
    DeviceInfo& device = Device(L"Ports", L"Tiny", files);
    EXPECT_FALSE(Save(target, {&device}));
    EXPECT_NE(OnlyLogIn(target).find("  Saving to " + Latin1(target) + "\\Ports\\Tiny...\r\n"
                                     "  ERROR: Not enough space on target.\r\n"),
              std::string::npos);
    EXPECT_EQ(ListTree(target), Sorted({LogsIn(target).at(0), L"report.json"})) << "nothing copied, no empty folder left";
    ASSERT_TRUE(RemoveTree(target));
}

// The free space is counted down by what the run writes, and asked again before a device
// is refused: here the count after the first device says the second does not fit, the disk
// says it does.
TEST_F(DeviceSaverTest, FreeSpaceIsAskedAgainBeforeADeviceIsRefused)
{
    ASSERT_TRUE(CreateFolderPath(FolderOf(target)));
    uint64_t free = 0;
    ASSERT_TRUE(GetFreeSpace(target, free));
    ASSERT_GT(free, 1u << 20);
    DeviceInfo& first = Device(L"Ports", L"First", {Payload(L"a.sys", "a")});
    first.files[0].size = free / 2;
    DeviceInfo& second = Device(L"Ports", L"Second", {Payload(L"b.sys", "b")});
    second.files[0].size = free / 4 * 3;
    EXPECT_TRUE(Save(target, {&first, &second}));
    EXPECT_EQ(ReadFileBytes(target + L"\\Ports\\Second\\b.sys"), "b");
}

TEST_F(DeviceSaverTest, CopyFractionOfSetsOverFourGibibytesStaysInRange)
{
    ASSERT_TRUE(CreateFolderPath(FolderOf(target)));
    uint64_t free = 0;
    if (!GetFreeSpace(target, free) || free < 0x100000004ull)
        GTEST_SKIP() << "needs 4 GiB free on the test volume";
    std::deque<DriverFile> files = {Payload(L"a.bin", "a"), Payload(L"b.bin", "b")};
    files[0].size = 0x80000002u;
    files[1].size = 0x80000002u;
    DeviceInfo& device = Device(L"Ports", L"Large", files);
    EXPECT_TRUE(Save(target, {&device}));
    EXPECT_EQ(reporter.fractions, (std::vector<double>{0.0, 0.0, 0.0, 0.5, 1.0}));
}

namespace {

const std::string kPackageInf = VersionSection() + R"(
[SourceDisksNames]
1 = "Contoso disk",,,""

[SourceDisksFiles]
one.sys = 1
two.dll = 1
)" + CopyToDrivers("Pkg", "one.sys\ntwo.dll\n");

// A package in the INF search path: devices of it have their sets searched by the save.
class SearchablePackage {
public:
    SearchablePackage()
    {
        ok_ = devicePath_.Set(REG_SZ, folder_.path()) && WriteFileBytes(folder_ / L"pkg.inf", kPackageInf) &&
              WriteFileBytes(folder_ / L"one.sys", std::string(100, '1')) &&
              WriteFileBytes(folder_ / L"two.dll", std::string(300, '2'));
    }
    bool ok() const { return ok_; }
    std::wstring File(const wchar_t* name) const { return folder_ / name; }
    // A device of the package whose set is not known yet.
    static DeviceInfo& Device(CachedDevices& cached, const std::wstring& name)
    {
        DeviceInfo& device = cached.Add(L"Sample", name, {});
        device.infPath = L"pkg.inf";
        device.infSection = L"Pkg";
        return device;
    }
    // The log of such a device's search and save into target.
    static std::wstring Saved(const std::wstring& target, const std::wstring& folder)
    {
        return L"    one.sys\n    two.dll\n    pkg.inf\n  Saving to " + target + L"\\Sample\\" + folder + L"...\n  Done.\n\n";
    }

private:
    TempFolder folder_;
    ScopedDevicePath devicePath_;
    bool ok_ = false;
};

// The fractions of a search of the package's set within a step: two queue entries plus
// catalog and INF are expected; no catalog comes, so it reports 1/4, 2/4, 3/4 and then 1.0
// of its half step.
void AddSearchFractions(double base, double share, std::vector<double>& fractions)
{
    for (double x : {0.25, 0.5, 0.75, 1.0})
        fractions.push_back(base + share * x);
}

// The fractions a copy phase reports for the set, in its order.
void AddCopyFractions(const DeviceInfo& device, double base, double share, std::vector<double>& fractions)
{
    uint64_t total = 0;
    for (const DriverFile& file : device.files)
        total += file.size;
    uint64_t copied = 0;
    for (const DriverFile& file : device.files) {
        copied += file.size;
        fractions.push_back(base + share * (static_cast<double>(copied) / static_cast<double>(total)));
    }
}

} // namespace

TEST_F(DeviceSaverTest, SearchedSetTakesTheFirstHalfOfItsStepAndIsSearchedOnce)
{
    SearchablePackage package;
    ASSERT_TRUE(package.ok());
    DeviceInfo& device = SearchablePackage::Device(cached, L"Searched");

    EXPECT_TRUE(Save(target, {&device, &device}));
    ASSERT_EQ(device.files.size(), 3u) << "two queued files and the INF";

    std::vector<double> expected;
    AddSearchFractions(0.0, 0.25, expected);
    AddCopyFractions(device, 0.25, 0.25, expected);
    // The second time the set is known: its replay stays at the step's start.
    expected.insert(expected.end(), {0.5, 0.5, 0.5, 0.5});
    AddCopyFractions(device, 0.5, 0.5, expected);
    EXPECT_EQ(reporter.fractions, expected);

    for (const wchar_t* folder : {L"\\Sample\\Searched\\", L"\\Sample\\Searched[1]\\"}) {
        EXPECT_EQ(ListTree(target + folder), Sorted({L"one.sys", L"pkg.inf", L"two.dll"}));
        EXPECT_EQ(ReadFileBytes(target + folder + L"pkg.inf"), kPackageInf);
    }
}

// A backup in a target inside the system folder never fills in for a file gone since: the
// last-resort search does not look inside the run's own target.
TEST_F(DeviceSaverTest, EarlierBackupInTheTargetIsNotSearched)
{
    SearchablePackage package;
    ASSERT_TRUE(package.ok());
    target = ReadSystemFolders().systemDir + L"tarnwick-test-target";
    EXPECT_TRUE(Save(target, {&SearchablePackage::Device(cached, L"First")}));
    EXPECT_TRUE(::DeleteFileW(package.File(L"two.dll").c_str()));
    EXPECT_FALSE(Save(target, {&SearchablePackage::Device(cached, L"Second")}));
    EXPECT_EQ(ListTree(target + L"\\Sample\\Second (incomplete)"), Sorted({L"one.sys", L"pkg.inf"}));
    EXPECT_TRUE(RemoveTree(target));
}

// The next device's set is searched while the device before it is copied: its messages and
// fractions still come after that device's, as if it were searched then.
TEST_F(DeviceSaverTest, SetsSearchedDuringTheCopyBeforeReportInTurn)
{
    SearchablePackage package;
    ASSERT_TRUE(package.ok());
    DeviceInfo& known = KnownFirst();
    DeviceInfo& second = SearchablePackage::Device(cached, L"Second");
    DeviceInfo& third = SearchablePackage::Device(cached, L"Third");
    EXPECT_TRUE(Save(target, {&known, &second, &third}));

    const double step = 1.0 / 3;
    std::vector<double> expected = {0.0, 0.0, step};
    AddSearchFractions(step, step / 2, expected);
    AddCopyFractions(second, step + step / 2, step / 2, expected);
    AddSearchFractions(2 * step, step / 2, expected);
    AddCopyFractions(third, 2 * step + step / 2, step / 2, expected);
    EXPECT_EQ(reporter.fractions, expected);
    const std::wstring expectedLog = KnownFirstLog(known) + L"  Done.\n\n" + DeviceHeader(second) +
                                     SearchablePackage::Saved(target, L"Second") + DeviceHeader(third) +
                                     SearchablePackage::Saved(target, L"Third") +
                                     L"\nDone: 3 of 3 device driver(s) succesefully saved.\n";
    EXPECT_EQ(OnlyLogIn(target), LogBytes(expectedLog));
}

// Stops around a set searched ahead end as they would without the lookahead. During the copy
// of the device before: nothing of the search is reported and no set is kept. In the middle of
// the search: it fails and keeps no set. At its last report: the whole set stays cached, and the
// search still counts as failed. Nothing of the next device is copied in any of them.
TEST_F(DeviceSaverTest, StopsAroundASetSearchedAheadEndAsWithoutTheLookahead)
{
    struct Case {
        double stopAbove;
        std::vector<double> fractions;
        size_t keptFiles;
        std::wstring nextFiles;  // the next device's file lines; empty: its search was never reported
    };
    const Case cases[] = {
        {0.0, {0.0, 0.0, 0.5}, 0, L""},
        {0.6, {0.0, 0.0, 0.5, 0.5625, 0.625}, 0, L"    one.sys\n"},
        {0.7, {0.0, 0.0, 0.5, 0.5625, 0.625, 0.6875, 0.75}, 3, L"    one.sys\n    two.dll\n    pkg.inf\n"},
    };
    SearchablePackage package;
    ASSERT_TRUE(package.ok());
    for (const Case& stop : cases) {
        SCOPED_TRACE(stop.stopAbove);
        ASSERT_TRUE(RemoveTree(target));
        reporter = RecordingReporter();
        reporter.stopAbove = stop.stopAbove;
        DeviceInfo& known = KnownFirst();
        DeviceInfo& next = SearchablePackage::Device(cached, L"Next");
        EXPECT_FALSE(Save(target, {&known, &next}));
        EXPECT_EQ(reporter.fractions, stop.fractions);
        EXPECT_EQ(next.files.size(), stop.keptFiles);
        const std::wstring nextLog = stop.nextFiles.empty()
            ? L"  Operation aborted by the user.\n"
            : L"  Done.\n\n" + DeviceHeader(next) + stop.nextFiles +
                  L"  ERROR: Failed to find driver files.\n      The search was stopped.\n";
        EXPECT_EQ(OnlyLogIn(target), LogBytes(KnownFirstLog(known) + nextLog + L"  Operation aborted by the user.\n"));
        EXPECT_FALSE(::PathFileExistsW((target + L"\\Sample").c_str())) << "nothing of the next device copied";
    }
}

// A search made ahead that the run never reaches (it ended first) leaves no set behind,
// however far it got.
TEST_F(DeviceSaverTest, ASetSearchedAheadButNeverReportedIsDropped)
{
    SearchablePackage package;
    ASSERT_TRUE(package.ok());
    DeviceInfo& device = SearchablePackage::Device(cached, L"Ahead");
    const SystemFolders folders = ReadSystemFolders();
    const std::atomic<bool> stop{false};
    WorkerThread worker;
    {
        FileSetLookahead ahead(device, folders, nullptr, stop, worker);
        worker.Wait();
        EXPECT_EQ(device.files.size(), 3u) << "the search ran to its end";
    }
    EXPECT_TRUE(device.files.empty());
}

TEST_F(DeviceSaverTest, ReportGetsEachDeviceOfTheLogWithItsOutcomeFolderAndSavedFiles)
{
    DeviceInfo& saved = Device(L"Ports", L"One", {Payload(L"one.inf", "inf"), Payload(L"x64\\one.sys", "sys")});
    saved.hardwareId = L"ROOT\\ONE";
    saved.driverDate = L"5-4-2019";
    DeviceInfo& lost = Device(L"Ports", L"Lost", {});
    lost.infPath = L"oem-never-installed.inf";
    DeviceInfo& broken =
        Device(L"Ports", L"Broken", {Payload(L"two.sys", "22"), CachedDevices::Missing(L"missing.dll")});
    DeviceInfo& twin = Device(L"Ports", L"One", {Payload(L"ONE.INF", "other"), Payload(L"one.inf", "inf")});
    DeviceReport report;
    EXPECT_FALSE(Save(target, {&saved, &lost, &broken, &twin}, &report));

    EXPECT_EQ(report.target.value_or(L""), target);
    EXPECT_EQ(report.log.value_or(L""), target + L"\\" + LogsIn(target).at(0));
    ASSERT_EQ(report.devices.size(), 4u) << "the devices, in the log's order";
    const ReportDevice& one = report.devices[0];
    EXPECT_EQ(one.name, L"One");
    EXPECT_EQ(one.status, L"saved");
    EXPECT_EQ(one.folder.value_or(L""), L"Ports\\One");
    EXPECT_FALSE(one.error.has_value());
    EXPECT_EQ(one.hardwareIds, std::vector<std::wstring>{L"ROOT\\ONE"});
    EXPECT_EQ(one.driverDate.value_or(L""), L"2019-05-04");
    ASSERT_EQ(one.files.size(), 2u);
    EXPECT_EQ(one.files[0].path, L"one.inf");
    EXPECT_EQ(one.files[0].size, 3u);
    EXPECT_EQ(one.files[0].sha256, ReferenceSha256("inf"));
    EXPECT_EQ(one.files[1].path, L"x64\\one.sys");
    EXPECT_EQ(one.files[1].sha256, ReferenceSha256("sys"));
    // Where each file was read, and its time then, for the next run to compare.
    EXPECT_EQ(one.files[1].source, saved.files[1].path);
    FILETIME creation = {};
    FILETIME lastWrite = {};
    ASSERT_TRUE(ReadFileTimes(saved.files[1].path, creation, lastWrite));
    ASSERT_TRUE(one.files[1].sourceTime.has_value());
    EXPECT_TRUE(SameTime(*one.files[1].sourceTime, lastWrite));

    EXPECT_EQ(report.devices[1].status, L"failed");
    EXPECT_EQ(report.devices[1].error.value_or(L""), L"Failed to find driver files.");
    EXPECT_FALSE(report.devices[1].folder.has_value());
    EXPECT_TRUE(report.devices[1].files.empty());

    const ReportDevice& partly = report.devices[2];
    EXPECT_EQ(partly.status, L"failed");
    EXPECT_EQ(partly.error.value_or(L""), L"Failed to save file missing.dll");
    // A device saved with errors has its folder marked: the report names it as it is.
    EXPECT_EQ(partly.folder.value_or(L""), L"Ports\\Broken (incomplete)");
    ASSERT_EQ(partly.files.size(), 1u) << "only what lies in the folder";
    EXPECT_EQ(partly.files[0].path, L"two.sys");

    // Names that differ in case are one file on disk: listed once, as it is there.
    const ReportDevice& second = report.devices[3];
    EXPECT_EQ(second.folder.value_or(L""), L"Ports\\One[1] (incomplete)");
    ASSERT_EQ(second.files.size(), 1u);
    EXPECT_EQ(second.files[0].path, L"ONE.INF");
    EXPECT_EQ(second.files[0].sha256, ReferenceSha256("other"));

    // The backup holds the same report beside its log, as /report: writes it.
    const std::optional<DeviceReport> inBackup = ParseReportJson(ReadFileBytes(target + L"\\report.json"));
    ASSERT_TRUE(inBackup.has_value());
    EXPECT_EQ(ReportJson(*inBackup), ReportJson(report));
}
