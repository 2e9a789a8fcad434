// The save engine on installed devices whose driver changed between the scan and the save:
// the driver key is read again before each device, and a device whose driver is no longer the
// one listed is reported and not saved, not even from a file set searched ahead for it.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "discovery/SystemFolders.h"
#include "platform/DriverKey.h"
#include "platform/Handles.h"
#include "saving/CDeviceSaver.h"
#include "tests/fixtures/DriverFixture.h"
#include "tests/saving/SavingTestSupport.h"
#include "tests/support/CachedDevices.h"
#include "tests/support/ShellOpenRecorder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestFiles.h"

namespace {

const wchar_t kHardwareId[] = L"ROOT\\TARNWICK_DS_CHANGED";

// The name of the device's driver key, as the scan reads it.
std::wstring DriverKeyOf(const std::wstring& instanceId)
{
    const UniqueDeviceInfoSet set(::SetupDiCreateDeviceInfoList(nullptr, nullptr));
    SP_DEVINFO_DATA element = {};
    element.cbSize = sizeof(element);
    if (!set || !::SetupDiOpenDeviceInfoW(set.get(), instanceId.c_str(), nullptr, 0, &element))
        return std::wstring();
    return DriverKeyName(set.get(), element);
}

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

struct DriverChange {
    const char* what;
    // Changes the driver of the device with this instance ID; true when done.
    std::function<bool(const std::wstring&)> change;
    // Puts it back as it was; true when done.
    std::function<bool(const std::wstring&)> undo;
};

// A driver key value set to another text, and back.
DriverChange ValueChange(const char* what, const wchar_t* value, const std::wstring& other, const std::wstring& before)
{
    return {what, [=](const std::wstring& id) { return fixture::SetDriverText(id, value, other); },
            [=](const std::wstring& id) { return fixture::SetDriverText(id, value, before); }};
}

class DeviceSaverDriverChangeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        package = new fixture::ScopedPackage(fixture::MakePackage(
            fixture::OneModelDriver(L"dschanged", L"Changed Widget", kHardwareId), {{kHardwareId}, {kHardwareId}}));
    }

    static void TearDownTestSuite()
    {
        delete package;
        package = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(package->ok()) << ::testing::PrintToString(package->error());
        ASSERT_EQ(package->result().devices.size(), 2u);
        ASSERT_FALSE(sandbox.path().empty());
    }

    void TearDown() override { RemoveLogsInTemp(); }

    const std::wstring& InstanceId(size_t i) const { return package->result().devices[i].instanceId; }

    // The record of an installed device as the scan makes it; its file set is not known yet.
    DeviceInfo& AsScanned(const std::wstring& instanceId, const std::wstring& name)
    {
        DeviceInfo& device = cached.Add(fixture::kTestClassDescription, name, {});
        const DriverKeyValues key = ReadDriverKey(instanceId);
        EXPECT_TRUE(key.found);
        device.className = fixture::kTestClassName;
        device.instanceId = instanceId;
        device.driverKey = DriverKeyOf(instanceId);
        EXPECT_FALSE(device.driverKey.empty());
        device.infPath = key.infPath;
        device.infSection = key.infSection;
        device.infSectionExt = key.infSectionExt;
        device.providerName = key.providerName;
        device.driverVersion = key.driverVersion;
        device.driverDate = key.driverDate;
        device.isOemInf = true;
        return device;
    }

    bool Save(const std::wstring& target, const std::vector<DeviceInfo*>& toSave)
    {
        CDeviceSaver saver(reporter, shell, ReadSystemFolders());
        for (DeviceInfo* device : toSave)
            saver.AddDevice(device);
        return saver.SaveAll(FolderOf(target), nullptr);
    }

    // "Unchanged" is saved and "Changed" is not; the log says why, right after its header.
    void ExpectOnlyTheUnchangedSaved(const std::wstring& target, const DeviceInfo& changed)
    {
        const std::wstring classFolder = target + L"\\" + fixture::kTestClassDescription;
        EXPECT_TRUE(IsFolder(classFolder + L"\\Unchanged"));
        EXPECT_FALSE(IsFolder(classFolder + L"\\Changed"));
        const std::string log = OnlyLogIn(target);
        const std::wstring header = L"Changed\nClass: " + changed.classDescription + L" [" + changed.className +
                                    L"]\nProvider: " + changed.providerName + L"\nVersion: " +
                                    changed.driverVersion + L"\n";
        EXPECT_NE(log.find(LogBytes(header + L"  ERROR: The device's driver changed since the scan.\n")),
                  std::string::npos)
            << log;
        EXPECT_NE(log.find("Done: 1 of 2 device"), std::string::npos) << log;
    }

    static fixture::ScopedPackage* package;
    TempFolder sandbox;
    RecordingReporter reporter;
    ShellOpenRecorder shell;
    CachedDevices cached;
};

fixture::ScopedPackage* DeviceSaverDriverChangeTest::package = nullptr;

} // namespace

// The second device's file set is searched ahead while the first is copied: its driver,
// changed after the scan, must not be saved from that set either.
TEST_F(DeviceSaverDriverChangeTest, DriverChangedSinceTheScanIsNotSaved)
{
    const std::wstring id = InstanceId(1);
    const DriverKeyValues before = ReadDriverKey(id);
    ASSERT_TRUE(before.found);
    const DriverChange changes[] = {
        ValueChange("another INF under the name", L"InfPath", L"oem999.inf", before.infPath),
        ValueChange("another section", L"InfSection", before.infSection + L"_Other", before.infSection),
        ValueChange("another provider", L"ProviderName", before.providerName + L" Other", before.providerName),
        ValueChange("another version", L"DriverVersion", L"9.9.9.9", before.driverVersion),
    };
    int run = 0;
    for (const DriverChange& change : changes) {
        SCOPED_TRACE(change.what);
        const std::wstring target = sandbox / (L"target" + std::to_wstring(++run));
        DeviceInfo& unchanged = AsScanned(InstanceId(0), L"Unchanged");
        DeviceInfo& changed = AsScanned(id, L"Changed");
        ASSERT_TRUE(change.change(id));
        EXPECT_FALSE(Save(target, {&unchanged, &changed}));
        ASSERT_TRUE(change.undo(id));
        ExpectOnlyTheUnchangedSaved(target, changed);
        EXPECT_TRUE(changed.files.empty());
    }
}

// A device removed since the scan has no driver key left to read: its driver is gone.
TEST_F(DeviceSaverDriverChangeTest, DeviceRemovedSinceTheScanIsNotSaved)
{
    const std::wstring target = sandbox / L"target";
    DeviceInfo& unchanged = AsScanned(InstanceId(0), L"Unchanged");
    DeviceInfo& changed = AsScanned(InstanceId(1), L"Changed");
    ASSERT_TRUE(fixture::RemoveDevice(InstanceId(1)));
    EXPECT_FALSE(Save(target, {&unchanged, &changed}));
    ExpectOnlyTheUnchangedSaved(target, changed);
}
