// The devices of a Windows that is not running, read from its SYSTEM hive: which are kept,
// what their records hold, and that the hive is never left loaded.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "devices/DeviceList.h"
#include "devices/WindowsImage.h"
#include "discovery/DriverFileFinder.h"
#include "discovery/SystemFolders.h"
#include "platform/LoadedHive.h"
#include "platform/ShellPath.h"
#include "tests/devices/ScanHelpers.h"
#include "tests/discovery/RecordingReporter.h"
#include "tests/support/HiveFile.h"
#include "tests/support/InfTexts.h"
#include "tests/support/TempFolder.h"

namespace {

const wchar_t kPortGuid[] = L"{0C8D2D4E-6E1A-4F3B-9C57-3A1E2B4C5D6F}";
const wchar_t kBareGuid[] = L"{7B5A1C3D-2E4F-4A6B-8C9D-0E1F2A3B4C5D}";

class RecordingProgress : public IProgressReporter {
public:
    bool Progress(double fraction) override
    {
        seen.push_back(fraction);
        return false;  // a scan cannot be stopped: the answer must not matter
    }
    std::vector<double> seen;
};

// An image whose Select key names ControlSet002; ControlSet001 holds a device of its own that
// must never be read.
class WindowsImageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hive.SetNumber(L"Select", L"Current", 2));
        const std::wstring ports = Class(kPortGuid);
        ASSERT_TRUE(hive.SetText(ports, nullptr, L"Contoso ports"));
        ASSERT_TRUE(hive.SetText(ports, L"Class", L"ContosoPort"));
        ASSERT_TRUE(hive.SetText(Class(kBareGuid), L"Class", L"BareClass"));
        ASSERT_TRUE(hive.SetText(L"ControlSet002\\Control\\Session Manager\\Environment", L"PROCESSOR_ARCHITECTURE",
                                 L"x86"));
        Driver(ports + L"\\0000", L"oem3.inf", L"Port_Install");
        ASSERT_TRUE(hive.SetText(ports + L"\\0000", L"InfSectionExt", L".NTx86"));
        ASSERT_TRUE(hive.SetText(ports + L"\\0000", L"ProviderName", L"Contoso"));
        ASSERT_TRUE(hive.SetText(ports + L"\\0000", L"DriverVersion", L"1.2.3.4"));
        ASSERT_TRUE(hive.SetText(ports + L"\\0000", L"DriverDate", L"6-21-2006"));
        Device(L"ROOT\\CONTOSO\\0000", kPortGuid, L"0000");
        ASSERT_TRUE(hive.SetText(Enum(L"ROOT\\CONTOSO\\0000"), L"DeviceDesc", L"@oem3.inf,%port.desc%;Contoso Port"));
        ASSERT_TRUE(hive.SetText(Enum(L"ROOT\\CONTOSO\\0000"), L"Mfg", L"@oem3.inf,%mfg%;Contoso Ltd."));
        ASSERT_TRUE(hive.SetMultiText(Enum(L"ROOT\\CONTOSO\\0000"), L"HardwareID", {L"ROOT\\CONTOSO", L"CONTOSO"}));

        ASSERT_TRUE(hive.SetText(L"ControlSet001\\Control\\Class\\{00000000-0000-0000-0000-000000000001}\\0000",
                                 L"InfPath", L"oem9.inf"));
        ASSERT_TRUE(hive.SetText(L"ControlSet001\\Enum\\ROOT\\OLDSET\\0000", L"Driver",
                                 L"{00000000-0000-0000-0000-000000000001}\\0000"));
        ASSERT_TRUE(hive.SetText(L"ControlSet001\\Enum\\ROOT\\OLDSET\\0000", L"DeviceDesc", L"Old control set"));
    }

    void TearDown() override { EXPECT_EQ(LoadedHiveNames(), std::vector<std::wstring>()) << "a hive stayed loaded"; }

    static std::wstring Class(const std::wstring& key) { return L"ControlSet002\\Control\\Class\\" + key; }
    static std::wstring Enum(const std::wstring& id) { return L"ControlSet002\\Enum\\" + id; }

    void Driver(const std::wstring& key, const std::wstring& inf, const std::wstring& section)
    {
        ASSERT_TRUE(hive.SetText(key, L"InfPath", inf));
        ASSERT_TRUE(hive.SetText(key, L"InfSection", section));
    }
    void Device(const std::wstring& id, const std::wstring& classGuid, const std::wstring& driverIndex)
    {
        ASSERT_TRUE(hive.SetText(Enum(id), L"ClassGUID", classGuid));
        ASSERT_TRUE(hive.SetText(Enum(id), L"Driver", classGuid + L"\\" + driverIndex));
    }

    std::vector<std::unique_ptr<DeviceInfo>> Read(bool includeAll, ImageProblem expected = ImageProblem::None)
    {
        EXPECT_TRUE(hive.Save(image / L"Windows\\System32\\config\\SYSTEM"));
        WindowsImage windows(FolderOf(image.path()));
        std::vector<std::unique_ptr<DeviceInfo>> records;
        IgnoreProgress progress;
        EXPECT_EQ(windows.ReadDevices(includeAll, progress, records), expected);
        architecture = windows.Architecture();
        return records;
    }

    HiveFileBuilder hive;
    TempFolder image;
    std::wstring architecture;
};

} // namespace

TEST_F(WindowsImageTest, ReadsADeviceOfTheControlSetThatSelectNames)
{
    const auto records = Read(false);
    ASSERT_EQ(records.size(), 1u);
    const DeviceInfo& port = *records[0];
    EXPECT_EQ(port.instanceId, L"ROOT\\CONTOSO\\0000");
    EXPECT_EQ(port.name, L"Contoso Port");
    EXPECT_EQ(port.description, L"Contoso Port");
    EXPECT_EQ(port.manufacturer, L"Contoso Ltd.");
    EXPECT_EQ(port.className, L"ContosoPort");
    EXPECT_EQ(port.classDescription, L"Contoso ports");
    EXPECT_EQ(port.hardwareId, L"ROOT\\CONTOSO");
    EXPECT_EQ(port.infPath, L"oem3.inf");
    EXPECT_TRUE(port.isOemInf);
    EXPECT_EQ(port.infSection, L"Port_Install");
    EXPECT_EQ(port.infSectionExt, L".NTx86");
    EXPECT_EQ(port.providerName, L"Contoso");
    EXPECT_EQ(port.driverVersion, L"1.2.3.4");
    EXPECT_EQ(port.driverDate, L"6-21-2006");
    EXPECT_EQ(port.infFullPath, image / L"Windows\\INF\\oem3.inf") << "the scan names the INF in the image";
    GUID expectedGuid = {};
    ASSERT_EQ(::CLSIDFromString(kPortGuid, &expectedGuid), NOERROR);
    EXPECT_TRUE(::IsEqualGUID(port.devInfoData.ClassGuid, expectedGuid));
    EXPECT_EQ(port.devInfoData.DevInst, 0u) << "no device set stands behind an image's record";
    EXPECT_EQ(architecture, L"x86");
}

TEST_F(WindowsImageTest, KeepsTheSameDevicesAsAScanOfTheRunningSystem)
{
    const std::wstring ports = Class(kPortGuid);
    Driver(ports + L"\\0001", L"machine.inf", L"Inbox_Install");
    Device(L"ROOT\\INBOX\\0000", kPortGuid, L"0001");
    ASSERT_TRUE(hive.SetText(Enum(L"ROOT\\INBOX\\0000"), L"DeviceDesc", L"Inbox port"));
    Driver(ports + L"\\0002", L"oem4.inf", L"Nameless_Install");
    Device(L"ROOT\\NAMELESS\\0000", kPortGuid, L"0002");
    Driver(ports + L"\\0003", L"oem5.inf", L"");
    Device(L"ROOT\\NOSECTION\\0000", kPortGuid, L"0003");
    ASSERT_TRUE(hive.SetText(Enum(L"ROOT\\NOSECTION\\0000"), L"DeviceDesc", L"No section"));
    Device(L"ROOT\\NOKEY\\0000", kPortGuid, L"0099");
    ASSERT_TRUE(hive.SetText(Enum(L"ROOT\\NOKEY\\0000"), L"DeviceDesc", L"No driver key"));
    ASSERT_TRUE(hive.SetText(Enum(L"ROOT\\NODRIVER\\0000"), L"DeviceDesc", L"No driver value"));

    const auto oemOnly = Read(false);
    ASSERT_EQ(oemOnly.size(), 1u);
    EXPECT_EQ(oemOnly[0]->instanceId, L"ROOT\\CONTOSO\\0000");
    const auto all = Read(true);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0]->instanceId, L"ROOT\\CONTOSO\\0000");
    EXPECT_EQ(all[1]->instanceId, L"ROOT\\INBOX\\0000");
    EXPECT_FALSE(all[1]->isOemInf);
}

TEST_F(WindowsImageTest, AFriendlyNameNamesTheDeviceAndTheClassFallsBackToItsName)
{
    Driver(Class(kBareGuid) + L"\\0000", L"oem6.inf", L"Bare_Install");
    Device(L"ROOT\\BARE\\0000", kBareGuid, L"0000");
    ASSERT_TRUE(hive.SetText(Enum(L"ROOT\\BARE\\0000"), L"DeviceDesc", L"Bare description"));
    ASSERT_TRUE(hive.SetText(Enum(L"ROOT\\BARE\\0000"), L"FriendlyName", L"@oem6.inf,%bare%;Bare; friendly"));
    const std::wstring unknown = L"{11111111-2222-3333-4444-555555555555}";
    Driver(Class(unknown) + L"\\0000", L"oem7.inf", L"Unknown_Install");
    Device(L"ROOT\\UNKNOWN\\0000", unknown, L"0000");
    ASSERT_TRUE(hive.SetText(Enum(L"ROOT\\UNKNOWN\\0000"), L"DeviceDesc", L"Stranger"));

    const auto records = Read(false);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0]->name, L"Bare; friendly");
    EXPECT_EQ(records[0]->description, L"Bare description");
    EXPECT_EQ(records[0]->classDescription, L"BareClass");
    EXPECT_EQ(records[2]->name, L"Stranger");
    EXPECT_EQ(records[2]->className, L"");
    EXPECT_EQ(records[2]->classDescription, L"Unknown device");
}

TEST_F(WindowsImageTest, TheDeviceListFilesImageRecordsByKeyKeepingTheFirst)
{
    Driver(Class(kPortGuid) + L"\\0001", L"oem3.inf", L"Port_Install");
    Device(L"ROOT\\CONTOSO\\0001", kPortGuid, L"0001");
    ASSERT_TRUE(hive.SetText(Enum(L"ROOT\\CONTOSO\\0001"), L"DeviceDesc", L"Contoso Port"));
    ASSERT_TRUE(hive.Save(image / L"Windows\\System32\\config\\SYSTEM"));

    WindowsImage windows(FolderOf(image.path()));
    DeviceList list;
    list.SetRecordSource([&windows](bool includeAll, IProgressReporter& reporter,
                                    std::vector<std::unique_ptr<DeviceInfo>>& records) {
        return windows.ReadDevices(includeAll, reporter, records) == ImageProblem::None;
    });
    RecordingProgress progress;
    ASSERT_TRUE(list.Scan(false, true, progress)) << "present-only applies to this PC's devices only";
    ASSERT_EQ(list.Devices().size(), 1u);
    EXPECT_EQ(list.Devices().begin()->second->instanceId, L"ROOT\\CONTOSO\\0000");
    EXPECT_EQ(list.DeviceInfoSet(), nullptr);
    EXPECT_EQ(progress.seen, (std::vector<double>{0.5, 1.0}));

    list.SetRecordSource(nullptr);
    IgnoreProgress ignore;
    ASSERT_TRUE(list.Scan(true, false, ignore));
    EXPECT_EQ(FindRecord(list, L"ROOT\\CONTOSO\\0000"), nullptr) << "back on this PC's own devices";
    EXPECT_NE(list.DeviceInfoSet(), nullptr);
}

TEST_F(WindowsImageTest, RefusesAFolderWithoutWindowsOrHive)
{
    IgnoreProgress progress;
    std::vector<std::unique_ptr<DeviceInfo>> records;
    EXPECT_EQ(WindowsImage(FolderOf(image.path())).ReadDevices(true, progress, records), ImageProblem::NotWindowsFolder);
    ASSERT_TRUE(MakeFolders(image / L"Windows\\System32\\config"));
    EXPECT_EQ(WindowsImage(FolderOf(image.path())).ReadDevices(true, progress, records), ImageProblem::HiveMissing);
    EXPECT_EQ(WindowsImage(FolderOf(image.path())).CheckFolder(), ImageProblem::HiveMissing);
    EXPECT_TRUE(records.empty());
}

TEST_F(WindowsImageTest, RefusesAHiveThatIsNoHive)
{
    ASSERT_TRUE(WriteFileBytes(image / L"Windows\\System32\\config\\SYSTEM", "not a hive"));
    WindowsImage windows(FolderOf(image.path()));
    EXPECT_EQ(windows.CheckFolder(), ImageProblem::None);
    IgnoreProgress progress;
    std::vector<std::unique_ptr<DeviceInfo>> records;
    EXPECT_EQ(windows.ReadDevices(true, progress, records), ImageProblem::HiveUnreadable);
    EXPECT_NE(windows.LoadError(), ERROR_SUCCESS);
}

TEST_F(WindowsImageTest, RefusesAHiveWithoutTheControlSetSelectNames)
{
    ASSERT_TRUE(hive.SetNumber(L"Select", L"Current", 3));
    EXPECT_TRUE(Read(true, ImageProblem::HiveUnreadable).empty());
}

TEST(DirectText, TakesTheInstalledTextOfAnIndirectString)
{
    const struct {
        const wchar_t* stored;
        const wchar_t* expected;
    } cases[] = {
        {L"Contoso Port", L"Contoso Port"},
        {L"@oem3.inf,%desc%;Contoso Port", L"Contoso Port"},
        {L"@oem3.inf,%desc%;A;B", L"A;B"},
        {L"@oem3.inf,%desc%;", L""},
        {L"@input.inf,%hid.desc%", L"@input.inf,%hid.desc%"},
        {L"Port; with semicolon", L"Port; with semicolon"},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DirectText(c.stored), c.expected) << ::testing::PrintToString(std::wstring(c.stored));
}

// An INF path of the image's driver key that leads out of the image names a file of this PC:
// the scan refuses it, and the file search never opens it (an INF there, whose file list the
// search would report, stays unread).
TEST_F(WindowsImageTest, AnInfPathThatLeadsOutOfTheImageIsNeverOpened)
{
    TempFolder outside;
    const std::vector<std::pair<std::wstring, std::wstring>> cases = {
        {L"..\\..\\..\\" + FileNamePart(outside.path()) + L"\\oem91.inf", outside / L"oem91.inf"},
        {outside / L"oem92.inf", outside / L"oem92.inf"},
        {L"\\\\?\\" + outside / L"oem93.inf", outside / L"oem93.inf"},
    };
    for (const auto& [infPath, decoy] : cases) {
        SCOPED_TRACE(::testing::PrintToString(infPath));
        ASSERT_TRUE(WriteFileBytes(decoy, VersionSection() + CopyToDrivers("Port_Install.NTx86", "decoy.sys\n")));
        Driver(Class(kPortGuid) + L"\\0000", infPath, L"Port_Install");
        const auto records = Read(false);
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0]->infRefusal, PathRefusal::Outside);
        RecordingReporter reporter;
        DriverFileFinder finder(*records[0], reporter, ReadImageFolders(FolderOf(image.path()), L"AMD64"));
        EXPECT_FALSE(finder.Run());
        EXPECT_TRUE(reporter.files.empty()) << "the INF outside the image was opened";
        EXPECT_NE(finder.FailureReason().find(L"outside the image"), std::wstring::npos) << finder.FailureReason();
    }
}
