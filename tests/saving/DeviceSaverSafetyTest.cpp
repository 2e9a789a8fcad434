// The save engine against names it must not trust: file names from a hostile or broken INF
// that point outside the device folder, paths beyond the path limit, and device and class
// names with nothing usable left once made valid.
#include <gtest/gtest.h>

#include "discovery/SystemFolders.h"
#include "saving/CDeviceSaver.h"
#include "tests/saving/SavingTestSupport.h"
#include "tests/support/CachedDevices.h"
#include "tests/support/OpenVerbRecorder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestFiles.h"

namespace {

class DeviceSaverSafetyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitSystemFolders();
        ASSERT_TRUE(recorder.installed()) << "TARNWICK_OPEN_RECORDER is not set";
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
        CDeviceSaver saver(reporter);
        for (DeviceInfo* device : toSave)
            saver.AddDevice(device);
        return saver.SaveAll(target, nullptr);
    }

    OpenVerbRecorder recorder;
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
                                         L"outer\\middle\\target\\Ports\\", L"outer\\middle\\target\\Ports\\Device\\",
                                         L"outer\\middle\\target\\Ports\\Device\\also-good.dll",
                                         L"outer\\middle\\target\\Ports\\Device\\good.dll",
                                         L"outer\\middle\\target\\" + logs[0], L"payload.bin"}));
    const std::wstring temp = SystemFolders::Current().tempDir;
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

TEST_F(DeviceSaverSafetyTest, FilePathBeyondThePathLimitFailsThatFileOnly)
{
    DeviceInfo& device = Device(L"Ports", L"Device");
    const std::wstring longName = L"sub\\" + std::wstring(MAX_PATH, L'f') + L".sys";
    device.files.push_back(File(longName));
    device.files.push_back(File(L"short.sys"));
    EXPECT_FALSE(Save({&device}));
    EXPECT_EQ(ListTree(target + L"\\Ports\\Device"), std::vector<std::wstring>{L"short.sys"});
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
                                    L"Unknown device\\",
                                    L"Unknown device\\Unknown device\\",
                                    L"Unknown device\\Unknown device\\e.sys",
                                }));
}
