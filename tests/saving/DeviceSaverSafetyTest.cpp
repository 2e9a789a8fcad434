// The save engine against names it must not trust: file names from a hostile or broken INF
// that point outside the device folder, paths beyond the path limit, device and class names
// that climb out of the target, name devices or have nothing usable left once made valid,
// and a target that is no folder at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>

#include "discovery/SystemFolders.h"
#include "saving/CDeviceSaver.h"
#include "tests/saving/SavingTestSupport.h"
#include "tests/support/CachedDevices.h"
#include "tests/support/ShellOpenRecorder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestFiles.h"

namespace {

class DeviceSaverSafetyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(sandbox.path().empty());
        // Deep enough that every ".." of the hostile names still lands inside the sandbox.
        target = sandbox / L"outer\\middle\\target";
        payload = sandbox / L"payload.bin";
        ASSERT_TRUE(WriteFileBytes(payload, "payload"));
    }

    void TearDown() override { RemoveLogsInTemp(); }

    DriverFile File(const std::wstring& name) const
    {
        DriverFile file;
        file.name = name;
        file.path = payload;
        file.size = 7;
        return file;
    }

    DeviceInfo& Device(const std::wstring& classDescription, const std::wstring& name)
    {
        return cached.Add(classDescription, name, {});
    }

    bool Save(const std::vector<DeviceInfo*>& toSave)
    {
        CDeviceSaver saver(reporter, shell, ReadSystemFolders());
        for (DeviceInfo* device : toSave)
            saver.AddDevice(device);
        return saver.SaveAll(FolderOf(target), nullptr);
    }

    // Save, ended with the whole test program when it has not returned within a minute: a
    // save that never ends cannot be stopped from outside.
    bool SaveWithinAMinute(const std::vector<DeviceInfo*>& toSave)
    {
        auto run = std::async(std::launch::async, [&] { return Save(toSave); });
        if (run.wait_for(std::chrono::minutes(1)) != std::future_status::ready) {
            ADD_FAILURE() << "the save did not end";
            std::fflush(stdout);
            ::TerminateProcess(::GetCurrentProcess(), 1);
        }
        return run.get();
    }

    // One device of the given class and name, with one file.
    DeviceInfo& DeviceWithFile(const std::wstring& classDescription, const std::wstring& name)
    {
        DeviceInfo& device = Device(classDescription, name);
        device.files.push_back(File(L"driver.sys"));
        return device;
    }

    ShellOpenRecorder shell;
    TempFolder sandbox;
    std::wstring target;
    std::wstring payload;
    RecordingReporter reporter;
    CachedDevices cached;
};

} // namespace

TEST_F(DeviceSaverSafetyTest, HostileFileNamesWriteNothingOutsideTheDeviceFolder)
{
    const std::wstring hostile[] = {
        L"..\\escape1.dll",                      // the class folder
        L"..\\..\\escape2.dll",                  // the target root
        L"..\\..\\..\\escape3.dll",              // beside the target
        L"sub\\..\\..\\..\\..\\escape4.dll",     // above that
        L"sub/../../../../escape5.dll",          // with forward slashes
        L"..\\..\\..\\..\\..\\..\\escape6.dll",  // the temporary folder itself
        sandbox / L"escape7.dll",                // absolute
        L"\\\\?\\" + sandbox / L"escape8.dll",   // absolute, raw
        L"Z:escape9.dll",                        // drive-relative
        L"..\\Device2\\escape10.dll",            // a sibling device folder
    };
    DeviceInfo& device = Device(L"Ports", L"Device");
    device.files.push_back(File(L"good.dll"));
    for (const std::wstring& name : hostile)
        device.files.push_back(File(name));
    device.files.push_back(File(L"sub\\..\\also-good.dll"));

    EXPECT_FALSE(Save({&device}));

    const std::vector<std::wstring> logs = LogsIn(target);
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(ListTree(sandbox.path()),
              Sorted({L"outer\\", L"outer\\middle\\", L"outer\\middle\\target\\",
                                         L"outer\\middle\\target\\Ports\\",
                                         L"outer\\middle\\target\\Ports\\Device (incomplete)\\",
                                         L"outer\\middle\\target\\Ports\\Device (incomplete)\\also-good.dll",
                                         L"outer\\middle\\target\\Ports\\Device (incomplete)\\good.dll",
                                         L"outer\\middle\\target\\" + logs[0], L"outer\\middle\\target\\report.json",
                                         L"payload.bin"}));
    const std::wstring temp = ReadSystemFolders().tempDir;
    for (int i = 1; i <= 10; ++i) {
        const std::wstring escaped = L"escape" + std::to_wstring(i) + L".dll";
        EXPECT_EQ(::GetFileAttributesW((temp + L"\\" + escaped).c_str()), INVALID_FILE_ATTRIBUTES) << i;
    }
    const std::string log = ReadFileBytes(target + L"\\" + logs[0]);
    for (const std::wstring& name : hostile)
        EXPECT_NE(log.find(Latin1(L"    ERROR: Failed to save file " + name + L"\r\n")), std::string::npos)
            << ::testing::PrintToString(name);
    EXPECT_NE(log.find("  Completed with errors.\r\n\r\n"), std::string::npos);
    EXPECT_NE(log.find("Done: 0 of 1 device"), std::string::npos);
}

// A file of an offline Windows that leads out of it is never read: one refused when it was
// found, and a link put in a found file's place since, which the copy judges again as it opens
// it. The log says why.
TEST_F(DeviceSaverSafetyTest, AFileThatLeadsOutOfTheImageIsNotSaved)
{
    TempFolder image;
    ASSERT_TRUE(MakeFileLink(image / L"swapped.sys", payload));
    DeviceInfo& device = Device(L"Ports", L"Image device");
    device.files.push_back(File(L"refused.sys"));
    device.files.back().path.clear();
    device.files.back().refusal = PathRefusal::Outside;
    device.files.push_back(File(L"swapped.sys"));
    device.files.back().path = image / L"swapped.sys";
    {
        CDeviceSaver saver(reporter, shell, ReadImageFolders(FolderOf(image.path()), L"AMD64"));
        saver.AddDevice(&device);
        EXPECT_FALSE(saver.SaveAll(FolderOf(target), nullptr));
    }
    EXPECT_EQ(ListTree(target + L"\\Ports\\Image device (incomplete)"), std::vector<std::wstring>())
        << "nothing of the file outside arrives";
    const std::string log = OnlyLogIn(target);
    for (const std::wstring name : {L"refused.sys", L"swapped.sys"})
        EXPECT_NE(log.find(Latin1(L"    ERROR: Failed to save file " + name +
                                  L"\r\n      The file lies outside the image: it is not read.\r\n")),
                  std::string::npos)
            << log;
}

TEST_F(DeviceSaverSafetyTest, DeviceFolderBeyondThePathLimitFailsAndIsNotCut)
{
    const std::wstring longName(MAX_PATH, L'n');
    DeviceInfo& tooLong = Device(L"Ports", longName);
    tooLong.files.push_back(File(L"a.sys"));
    DeviceInfo& fine = Device(L"Ports", L"Fine");
    fine.files.push_back(File(L"b.sys"));
    EXPECT_FALSE(Save({&tooLong, &fine}));

    const std::wstring whole = target + L"\\Ports\\" + longName;
    const std::string log = OnlyLogIn(target);
    EXPECT_NE(log.find(Latin1(L"  Saving to " + whole + L"...\r\n  ERROR: Failed to create folder '" + whole +
                              L"'.\r\n")),
              std::string::npos);
    EXPECT_NE(log.find("Done: 1 of 2 device"), std::string::npos);
    EXPECT_EQ(ListTree(target + L"\\Ports"), Sorted({L"Fine\\", L"Fine\\b.sys"}))
        << "no folder with a shortened name";
}

TEST_F(DeviceSaverSafetyTest, FileNameLongerThanTheFileSystemTakesFailsThatFileOnly)
{
    DeviceInfo& device = Device(L"Ports", L"Device");
    const std::wstring longName = std::wstring(MAX_PATH, L'f') + L".sys";
    device.files.push_back(File(longName));
    device.files.push_back(File(L"short.sys"));
    EXPECT_FALSE(Save({&device}));
    EXPECT_EQ(ListTree(target + L"\\Ports\\Device (incomplete)"), std::vector<std::wstring>{L"short.sys"});
    EXPECT_NE(OnlyLogIn(target).find(Latin1(L"    ERROR: Failed to save file " + longName + L"\r\n")),
              std::string::npos);
}

TEST_F(DeviceSaverSafetyTest, NamesWithNothingUsableGetAFolderOfTheirOwn)
{
    DeviceInfo& noName = Device(L"Ports", L"???");
    noName.files.push_back(File(L"a.sys"));
    DeviceInfo& dots = Device(L"Ports", L"..");
    dots.files.push_back(File(L"b.sys"));
    DeviceInfo& described = Device(L"Ports", L"*");
    described.description = L"Described port";
    described.files.push_back(File(L"c.sys"));
    DeviceInfo& noClass = Device(L"***", L"Classless");
    noClass.className = L"Ports?";
    noClass.files.push_back(File(L"d.sys"));
    DeviceInfo& nothing = Device(L"..", L"  ");
    nothing.className.clear();
    nothing.files.push_back(File(L"e.sys"));
    EXPECT_TRUE(Save({&noName, &dots, &described, &noClass, &nothing}));

    const std::vector<std::wstring> logs = LogsIn(target);
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(ListTree(target), Sorted({
                                    L"Ports\\",
                                    L"Ports\\Classless\\",
                                    L"Ports\\Classless\\d.sys",
                                    L"Ports\\Described port\\",
                                    L"Ports\\Described port\\c.sys",
                                    L"Ports\\Unknown device\\",
                                    L"Ports\\Unknown device\\a.sys",
                                    L"Ports\\Unknown device[1]\\",
                                    L"Ports\\Unknown device[1]\\b.sys",
                                    logs[0],
                                    L"report.json",
                                    L"Unknown device\\",
                                    L"Unknown device\\Unknown device\\",
                                    L"Unknown device\\Unknown device\\e.sys",
                                }));
}

TEST_F(DeviceSaverSafetyTest, NamesStartingWithTwoDotsStayInsideTheTarget)
{
    DeviceInfo& evil = DeviceWithFile(L"Ports", L"..Evil");
    DeviceInfo& up = DeviceWithFile(L"Ports", L"..\\..\\Up");
    DeviceInfo& blank = DeviceWithFile(L"Ports", L".. x");
    DeviceInfo& evilClass = DeviceWithFile(L"..Evil class", L"Device");
    EXPECT_TRUE(Save({&evil, &up, &blank, &evilClass}));

    const std::vector<std::wstring> logs = LogsIn(target);
    ASSERT_EQ(logs.size(), 1u);
    const std::wstring t = L"outer\\middle\\target\\";
    EXPECT_EQ(ListTree(sandbox.path()),
              Sorted({L"outer\\", L"outer\\middle\\", t, t + logs[0], t + L"report.json", t + L"Evil class\\", t + L"Evil class\\Device\\",
                      t + L"Evil class\\Device\\driver.sys", t + L"Ports\\", t + L"Ports\\Evil\\",
                      t + L"Ports\\Evil\\driver.sys", t + L"Ports\\Up\\", t + L"Ports\\Up\\driver.sys", t + L"Ports\\x\\",
                      t + L"Ports\\x\\driver.sys", L"payload.bin"}))
        << "nothing beside the target or above it";
}

TEST_F(DeviceSaverSafetyTest, ReservedDeviceNamesEndWithTheirFilesSaved)
{
    std::vector<DeviceInfo*> devices;
    for (const wchar_t* name : {L"NUL.txt", L"AUX.x", L"COM1.sys", L"CON", L"NUL.txt"})
        devices.push_back(&DeviceWithFile(L"Ports", name));
    EXPECT_TRUE(SaveWithinAMinute(devices));
    EXPECT_EQ(ListTree(target + L"\\Ports"),
              Sorted({L"AUX_.x\\", L"AUX_.x\\driver.sys", L"COM1_.sys\\", L"COM1_.sys\\driver.sys", L"CON_\\",
                      L"CON_\\driver.sys", L"NUL_.txt\\", L"NUL_.txt\\driver.sys", L"NUL_.txt[1]\\",
                      L"NUL_.txt[1]\\driver.sys"}));
}

TEST_F(DeviceSaverSafetyTest, NamesEndingInABlankOrDotAfterCleaningFindTheirFolder)
{
    DeviceInfo& device = DeviceWithFile(L"Ports ?", L"Foo ?");
    DeviceInfo& dotted = DeviceWithFile(L"Ports", L"Bar\x0001\x001f. ");
    EXPECT_TRUE(Save({&device, &dotted}));
    EXPECT_EQ(ListTree(target + L"\\Ports"),
              Sorted({L"Bar\\", L"Bar\\driver.sys", L"Foo\\", L"Foo\\driver.sys"}));
    EXPECT_EQ(OnlyLogIn(target).find("Not enough space"), std::string::npos);
}

// The target's value is made once, and every device folder and the log are joined to its full
// path while the log names it as given: a blank or dots at the end and a rooted target all save
// into the one folder they name.
TEST_F(DeviceSaverSafetyTest, TargetsAreResolvedOnceAsTheSystemResolvesThem)
{
    const std::wstring work = sandbox / L"work";
    ASSERT_TRUE(::CreateDirectoryW(work.c_str(), nullptr));
    wchar_t previous[MAX_PATH] = L"";
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(work.c_str()));
    struct Form {
        std::wstring raw;
        std::wstring resolved;
    };
    const Form forms[] = {
        {sandbox / L"sp ", sandbox / L"sp"},
        {sandbox / L"trail. .", sandbox / L"trail"},
        {(sandbox / L"rooted").substr(2), sandbox / L"rooted"},         // "\\users\\...": on the current drive
    };
    for (const Form& form : forms) {
        SCOPED_TRACE(::testing::PrintToString(form.raw));
        target = form.raw;
        DeviceInfo& device = DeviceWithFile(L"Ports", L"Device");
        EXPECT_TRUE(Save({&device}));
        const std::vector<std::wstring> logs = LogsIn(form.resolved);
        ASSERT_EQ(logs.size(), 1u) << "the log lies in the folder the target names";
        EXPECT_EQ(ListTree(form.resolved),
                  Sorted({L"Ports\\", L"Ports\\Device\\", L"Ports\\Device\\driver.sys", logs[0], L"report.json"}));
        const std::string log = ReadFileBytes(form.resolved + L"\\" + logs[0]);
        EXPECT_NE(log.find(Latin1(L"  Target path is " + form.raw + L"\r\n")), std::string::npos) << log;
        EXPECT_NE(log.find(Latin1(L"  Saving to " + form.resolved + L"\\Ports\\Device...\r\n  Done.")), std::string::npos)
            << log;
        // The current folder itself cannot go: only what the run put in it.
        ASSERT_TRUE(RemoveTree(form.resolved + L"\\Ports"));
        ASSERT_TRUE(::DeleteFileW((form.resolved + L"\\" + logs[0]).c_str()));
        ASSERT_TRUE(::DeleteFileW((form.resolved + L"\\report.json").c_str()));
        if (form.resolved != work) {
            ASSERT_TRUE(::RemoveDirectoryW(form.resolved.c_str()));
        }
    }
    ::SetCurrentDirectoryW(previous);
    EXPECT_EQ(ListTree(sandbox.path()), Sorted({L"payload.bin", L"work\\"})) << "nothing anywhere else";
}
