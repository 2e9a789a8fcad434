// Scans of devices installed by the fixture: which are kept, what their records hold, in
// which order, and how the scan reports progress. Wine's own devices are in every scan too,
// so each test looks only at the devices it installed.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/DeviceProperty.h"
#include "tests/devices/ScanHelpers.h"
#include "tests/fixtures/DriverFixture.h"

namespace {

using fixture::DeviceSpec;
using fixture::OneModelDriver;

const wchar_t kPortsGuid[] = L"{4D36E978-E325-11CE-BFC1-08002BE10318}";
const wchar_t kNetGuid[] = L"{4D36E972-E325-11CE-BFC1-08002BE10318}";

TEST(DeviceScan, KeepsOnlyDevicesWithAnInstalledInfDriver)
{
    const std::wstring hw = L"ROOT\\TARNWICK_SCAN_RULES";
    DeviceSpec nameless{hw};
    nameless.withoutDescription = true;
    DeviceSpec noKey = Named(hw, L"Rules without driver key");
    noKey.driverKey = fixture::DriverKeyShape::Missing;
    DeviceSpec noInfPath = Named(hw, L"Rules without InfPath");
    noInfPath.driverKey = fixture::DriverKeyShape::WithoutInfPath;
    DeviceSpec noSection = Named(hw, L"Rules without InfSection");
    noSection.driverKey = fixture::DriverKeyShape::WithoutInfSection;
    fixture::ScopedPackage oem(fixture::MakePackage(OneModelDriver(L"scanrules", L"Rules device", hw),
                                                    {Named(hw, L"Rules kept"), nameless, noKey, noInfPath, noSection}));
    ASSERT_TRUE(oem.ok()) << oem.error();
    fixture::Package inboxPackage = fixture::MakePackage(
        OneModelDriver(L"scaninbox", L"Inbox device", L"ROOT\\TARNWICK_SCAN_INBOX"), {{L"ROOT\\TARNWICK_SCAN_INBOX"}});
    inboxPackage.inbox = true;
    fixture::ScopedPackage inbox(inboxPackage);
    ASSERT_TRUE(inbox.ok()) << inbox.error();
    const auto& devices = oem.result().devices;
    const std::wstring& inboxId = inbox.result().devices[0].instanceId;

    for (bool includeAll : {false, true}) {
        SCOPED_TRACE(includeAll ? "includeAll" : "oem only");
        DeviceList list;
        IgnoreProgress progress;
        ASSERT_TRUE(list.Scan(includeAll, false, progress));
        const DeviceInfo* kept = FindRecord(list, devices[0].instanceId);
        ASSERT_NE(nullptr, kept);
        EXPECT_TRUE(kept->isOemInf);
        for (size_t i = 1; i < devices.size(); ++i)
            EXPECT_EQ(nullptr, FindRecord(list, devices[i].instanceId)) << devices[i].instanceId;

        const DeviceInfo* system = FindRecord(list, inboxId);
        if (includeAll) {
            ASSERT_NE(nullptr, system);
            EXPECT_FALSE(system->isOemInf);
            EXPECT_EQ(L"scaninbox.inf", system->infPath);
        } else {
            EXPECT_EQ(nullptr, system);
            // Wine's own devices come from its inbox INFs and are dropped too.
            for (const auto& entry : list.Devices())
                EXPECT_TRUE(entry.second->isOemInf) << entry.first;
        }
    }
}

TEST(DeviceScan, RecordHoldsTheDriverKeyAndDeviceProperties)
{
    const std::wstring hw = L"ROOT\\TARNWICK_SCAN_RECORD";
    fixture::ScopedPackage package(fixture::MakePackage(
        OneModelDriver(L"scanrecord", L"Record device", hw), {Named(hw, L"Record device (COM4)"), {hw}}));
    ASSERT_TRUE(package.ok()) << package.error();
    DeviceList list;
    IgnoreProgress progress;
    ASSERT_TRUE(list.Scan(false, false, progress));

    const DeviceInfo* friendly = FindRecord(list, package.result().devices[0].instanceId);
    const DeviceInfo* plain = FindRecord(list, package.result().devices[1].instanceId);
    ASSERT_NE(nullptr, friendly);
    ASSERT_NE(nullptr, plain);
    EXPECT_EQ(L"Record device (COM4)", friendly->name);
    EXPECT_EQ(L"Record device", friendly->description);
    EXPECT_EQ(L"Record device", plain->name);
    EXPECT_EQ(L"Record device", plain->description);

    EXPECT_EQ(L"Contoso", friendly->providerName);
    EXPECT_EQ(fixture::kTestClassName, friendly->className);
    EXPECT_EQ(fixture::kTestClassDescription, friendly->classDescription);
    EXPECT_EQ(package.result().publishedInf, friendly->infPath);
    EXPECT_EQ(L"", friendly->infFullPath);
    EXPECT_EQ(L"DeviceInstall", friendly->infSection);
    EXPECT_EQ(L".NTamd64", friendly->infSectionExt);
    EXPECT_EQ(L"6-21-2006", friendly->driverDate);
    EXPECT_EQ(L"1.2.3.4", friendly->driverVersion);
    EXPECT_EQ(hw, friendly->hardwareId);
    EXPECT_EQ(L"Contoso", friendly->manufacturer);
    EXPECT_TRUE(friendly->isOemInf);
    EXPECT_TRUE(friendly->files.empty());
    EXPECT_EQ(sizeof(SP_DEVINFO_DATA), friendly->devInfoData.cbSize);
    EXPECT_EQ(DeviceKey(*friendly), fixture::kTestClassName + std::wstring(L"|Record device (COM4)|") +
                                        package.result().publishedInf + L"|DeviceInstall");
    EXPECT_NE(nullptr, list.DeviceInfoSet());

    const size_t records = list.Devices().size();
    list.CloseDeviceSet();
    EXPECT_EQ(nullptr, list.DeviceInfoSet());
    EXPECT_EQ(records, list.Devices().size()) << "the records stay";
    EXPECT_EQ(L"1.2.3.4", friendly->driverVersion);

    list.Clear();
    EXPECT_TRUE(list.Devices().empty());
    EXPECT_EQ(nullptr, list.DeviceInfoSet());
}

TEST(DeviceScan, DuplicateKeysKeepTheFirstEnumeratedDevice)
{
    const std::wstring hw = L"ROOT\\TARNWICK_SCAN_TWIN";
    fixture::ScopedPackage package(fixture::MakePackage(OneModelDriver(L"scantwin", L"Twin device", hw), {{hw}, {hw}}));
    ASSERT_TRUE(package.ok()) << package.error();
    const std::wstring a = package.result().devices[0].instanceId;
    const std::wstring b = package.result().devices[1].instanceId;
    IgnoreProgress progress;
    for (const auto& order : {std::vector<std::wstring>{a, b}, std::vector<std::wstring>{b, a}}) {
        DeviceList list(ChosenDevices(order));
        ASSERT_TRUE(list.Scan(false, false, progress));
        ASSERT_EQ(1u, list.Devices().size());
        EXPECT_EQ(order[0], list.Devices().begin()->second->instanceId);
    }
}

// Records how far the scan says it is, and how many records exist at that moment.
class RecordingProgress : public IProgressReporter {
public:
    explicit RecordingProgress(const DeviceList& list, bool answer = true) : list_(list), answer_(answer) {}
    bool Progress(double fraction) override
    {
        fractions.push_back(fraction);
        recordsBefore.push_back(list_.Devices().size());
        return answer_;
    }
    std::vector<double> fractions;
    std::vector<size_t> recordsBefore;

private:
    const DeviceList& list_;
    bool answer_;
};

TEST(DeviceScan, ReportsProgressBeforeEachDeviceAndCannotBeStopped)
{
    const std::wstring hw = L"ROOT\\TARNWICK_SCAN_PROGRESS";
    fixture::ScopedPackage package(
        NamedDevices(L"scanprogress", hw, L"Progress device", {L"Progress 1", L"Progress 2", L"Progress 3", L"Progress 4"}));
    ASSERT_TRUE(package.ok()) << package.error();

    for (bool answer : {true, false}) {
        DeviceList list(ChosenDevices(InstanceIds(package.result())));
        RecordingProgress progress(list, answer);
        ASSERT_TRUE(list.Scan(false, false, progress));
        ASSERT_EQ(4u, progress.fractions.size());
        EXPECT_DOUBLE_EQ(0.25, progress.fractions[0]);
        EXPECT_DOUBLE_EQ(0.5, progress.fractions[1]);
        EXPECT_DOUBLE_EQ(0.75, progress.fractions[2]);
        EXPECT_DOUBLE_EQ(1.0, progress.fractions[3]);
        EXPECT_EQ((std::vector<size_t>{0, 1, 2, 3}), progress.recordsBefore);
        EXPECT_EQ(4u, list.Devices().size());  // a false answer does not stop a scan
    }

    DeviceList empty(ChosenDevices({}));
    RecordingProgress none(empty);
    EXPECT_TRUE(empty.Scan(true, false, none));
    EXPECT_TRUE(none.fractions.empty());
    EXPECT_TRUE(empty.Devices().empty());
    EXPECT_NE(nullptr, empty.DeviceInfoSet());
}

TEST(DeviceScan, AsksForPresentDevicesOnlyWhenTold)
{
    DWORD flags = 0;
    DeviceList list(ChosenDevices({}, &flags));
    IgnoreProgress progress;
    ASSERT_TRUE(list.Scan(false, false, progress));
    EXPECT_EQ(static_cast<DWORD>(DIGCF_ALLCLASSES), flags);
    ASSERT_TRUE(list.Scan(true, true, progress));
    EXPECT_EQ(static_cast<DWORD>(DIGCF_ALLCLASSES | DIGCF_PRESENT), flags);

    // Known Wine difference: Wine 8 ignores DIGCF_PRESENT when it enumerates devices, so the
    // system scan of present devices still lists the fixture's device. Windows would too, as
    // a root-enumerated device registered this way is present.
    const std::wstring hw = L"ROOT\\TARNWICK_SCAN_PRESENT";
    fixture::ScopedPackage package(fixture::MakePackage(OneModelDriver(L"scanpresent", L"Present device", hw), {{hw}}));
    ASSERT_TRUE(package.ok()) << package.error();
    DeviceList system;
    ASSERT_TRUE(system.Scan(false, true, progress));
    EXPECT_NE(nullptr, FindRecord(system, package.result().devices[0].instanceId));
}

TEST(DeviceScan, FailsWithAnEmptyListWhenThereIsNoSet)
{
    const std::wstring hw = L"ROOT\\TARNWICK_SCAN_NOSET";
    fixture::ScopedPackage package(fixture::MakePackage(OneModelDriver(L"scannoset", L"No set device", hw), {{hw}}));
    ASSERT_TRUE(package.ok()) << package.error();
    bool failing = false;
    DeviceSetSource chosen = ChosenDevices(InstanceIds(package.result()));
    DeviceList list([&](DWORD flags) { return failing ? INVALID_HANDLE_VALUE : chosen(flags); });
    IgnoreProgress progress;
    ASSERT_TRUE(list.Scan(false, false, progress));
    ASSERT_EQ(1u, list.Devices().size());
    failing = true;
    EXPECT_FALSE(list.Scan(false, false, progress));
    EXPECT_TRUE(list.Devices().empty());
    EXPECT_EQ(nullptr, list.DeviceInfoSet());
}

TEST(DeviceScan, DriverDateIsTakenAsStoredAndOnlyTextTypesReadAndItsFileTimeOnlyAsEightBinaryBytes)
{
    const std::wstring hw = L"ROOT\\TARNWICK_SCAN_DATE";
    fixture::ScopedPackage package(
        NamedDevices(L"scandate", hw, L"Date device", {L"Date as text", L"Date expandable", L"Date binary", L"Date multi"}));
    ASSERT_TRUE(package.ok()) << package.error();
    const std::vector<std::wstring> ids = InstanceIds(package.result());
    const std::wstring expandable = L"%SystemRoot%\\6-21-2006";
    ASSERT_TRUE(fixture::SetDriverValue(ids[1], L"DriverDate", REG_EXPAND_SZ, expandable.c_str(),
                                        static_cast<DWORD>((expandable.size() + 1) * sizeof(wchar_t))));
    const BYTE binary[] = {'6', 0, '-', 0, '2', 0, 0, 0};
    ASSERT_TRUE(fixture::SetDriverValue(ids[2], L"DriverDate", REG_BINARY, binary, sizeof(binary)));
    const wchar_t multi[] = L"6-21-2006\0second\0";
    ASSERT_TRUE(fixture::SetDriverValue(ids[3], L"DriverDate", REG_MULTI_SZ, multi, sizeof(multi)));
    // The file time of the date where the key holds one, as the system writes it: 8 bytes.
    const FILETIME zero = {};
    ASSERT_TRUE(fixture::SetDriverValue(ids[1], L"DriverDateData", REG_BINARY, &zero, sizeof(zero)));
    ASSERT_TRUE(fixture::SetDriverValue(ids[2], L"DriverDateData", REG_BINARY, binary, 6));
    ASSERT_TRUE(fixture::SetDriverValue(ids[3], L"DriverDateData", REG_QWORD, binary, sizeof(binary)));

    DeviceList list(ChosenDevices(ids));
    IgnoreProgress progress;
    ASSERT_TRUE(list.Scan(false, false, progress));
    ASSERT_EQ(4u, list.Devices().size());
    wchar_t windows[MAX_PATH] = L"";
    ASSERT_NE(0u, ::GetEnvironmentVariableW(L"SystemRoot", windows, MAX_PATH));
    EXPECT_EQ(L"6-21-2006", FindRecord(list, ids[0])->driverDate);
    EXPECT_EQ(std::wstring(windows) + L"\\6-21-2006", FindRecord(list, ids[1])->driverDate);
    EXPECT_EQ(L"", FindRecord(list, ids[2])->driverDate);
    EXPECT_EQ(L"", FindRecord(list, ids[3])->driverDate);
    const std::optional<FILETIME> installed = FindRecord(list, ids[0])->driverDateData;
    SYSTEMTIME date = {};
    ASSERT_TRUE(installed && ::FileTimeToSystemTime(&*installed, &date));
    EXPECT_EQ(std::vector<WORD>({date.wYear, date.wMonth, date.wDay}), std::vector<WORD>({2006, 6, 21}));
    for (size_t i = 1; i < 4; ++i)
        EXPECT_FALSE(FindRecord(list, ids[i])->driverDateData) << "zero, short, not binary: " << i;
}

TEST(DeviceScan, UnknownClassIsNamedUnknownDevice)
{
    const std::wstring hw = L"ROOT\\TARNWICK_SCAN_UNKNOWN";
    DeviceSpec unknown{hw};
    unknown.unknownClass = true;
    fixture::ScopedPackage package(
        fixture::MakePackage(OneModelDriver(L"scanunknown", L"Mystery device", hw), {unknown}));
    ASSERT_TRUE(package.ok()) << package.error();
    DeviceList list(ChosenDevices(InstanceIds(package.result())));
    IgnoreProgress progress;
    ASSERT_TRUE(list.Scan(false, false, progress));
    ASSERT_EQ(1u, list.Devices().size());
    const DeviceInfo& device = *list.Devices().begin()->second;
    EXPECT_EQ(L"", device.className);
    EXPECT_EQ(L"Unknown device", device.classDescription);
    EXPECT_EQ(L"Mystery device", device.name);
}

// A description longer than 255 characters used to read as empty and drop the device.
TEST(DeviceScan, LongPropertiesAreReadWhole)
{
    const std::wstring hw = L"ROOT\\TARNWICK_SCAN_LONG";
    fixture::ScopedPackage package(fixture::MakePackage(OneModelDriver(L"scanlong", L"Short", hw), {{hw}, {hw}}));
    ASSERT_TRUE(package.ok()) << package.error();
    const std::vector<std::wstring> ids = InstanceIds(package.result());
    std::wstring description = L"Contoso long description ";
    while (description.size() < 300)
        description += L"x";
    std::wstring friendly = L"Contoso long friendly name ";
    while (friendly.size() < 2000)
        friendly += L"y";
    ASSERT_TRUE(fixture::SetDeviceText(ids[0], L"DeviceDesc", description));
    ASSERT_TRUE(fixture::SetDeviceText(ids[1], L"FriendlyName", friendly));
    const wchar_t hardwareIds[] = L"ROOT\\TARNWICK_SCAN_LONG_FIRST\0ROOT\\TARNWICK_SCAN_LONG_SECOND\0";
    ASSERT_TRUE(fixture::SetDeviceValue(ids[1], L"HardwareID", REG_MULTI_SZ, hardwareIds, sizeof(hardwareIds)));
    ASSERT_TRUE(fixture::DeleteDeviceValue(ids[1], L"Mfg"));

    DeviceList list(ChosenDevices(ids));
    IgnoreProgress progress;
    ASSERT_TRUE(list.Scan(false, false, progress));
    const DeviceInfo* longDescription = FindRecord(list, ids[0]);
    ASSERT_NE(nullptr, longDescription);
    EXPECT_EQ(description, longDescription->name);
    EXPECT_EQ(description, longDescription->description);
    const DeviceInfo* longName = FindRecord(list, ids[1]);
    ASSERT_NE(nullptr, longName);
    EXPECT_EQ(friendly, longName->name);
    EXPECT_EQ(L"ROOT\\TARNWICK_SCAN_LONG_FIRST", longName->hardwareId);
    EXPECT_EQ(L"", longName->manufacturer);

    SP_DEVINFO_DATA element = longName->devInfoData;
    EXPECT_EQ(friendly, ReadDeviceProperty(list.DeviceInfoSet(), element, SPDRP_FRIENDLYNAME));
    EXPECT_EQ(L"", ReadDeviceProperty(list.DeviceInfoSet(), element, SPDRP_LOCATION_INFORMATION));
}

TEST(DeviceScan, DevicesAreHandedOutByClassThenNameOrdinally)
{
    fixture::SimpleDriver ports = OneModelDriver(L"scanports", L"Port", L"ROOT\\TARNWICK_SCAN_PORTS");
    ports.className = L"Ports";
    ports.classGuid = kPortsGuid;
    ports.classDescription.clear();
    fixture::SimpleDriver portsX = OneModelDriver(L"scanportsx", L"PortX", L"ROOT\\TARNWICK_SCAN_PORTSX");
    portsX.className = L"PortsX";
    portsX.classGuid = L"{3C0E5F7A-9B21-4D8E-A6F4-1E2D3C4B5A69}";
    portsX.classDescription = L"Extended ports";
    fixture::SimpleDriver net = OneModelDriver(L"scannet", L"Adapter", L"ROOT\\TARNWICK_SCAN_NET");
    net.className = L"Net";
    net.classGuid = kNetGuid;
    net.classDescription.clear();
    fixture::ScopedPackage portsPackage(fixture::MakePackage(
        ports, {Named(L"ROOT\\TARNWICK_SCAN_PORTS", L"alpha"), Named(L"ROOT\\TARNWICK_SCAN_PORTS", L"Zeta")}));
    fixture::ScopedPackage portsXPackage(fixture::MakePackage(portsX, {{L"ROOT\\TARNWICK_SCAN_PORTSX"}}));
    fixture::ScopedPackage netPackage(fixture::MakePackage(net, {{L"ROOT\\TARNWICK_SCAN_NET"}}));
    ASSERT_TRUE(portsPackage.ok()) << portsPackage.error();
    ASSERT_TRUE(portsXPackage.ok()) << portsXPackage.error();
    ASSERT_TRUE(netPackage.ok()) << netPackage.error();

    DeviceList list;
    IgnoreProgress progress;
    ASSERT_TRUE(list.Scan(false, false, progress));
    std::vector<std::wstring> names;
    for (const auto& entry : list.Devices()) {
        if (entry.second->hardwareId.find(L"TARNWICK_SCAN_") != std::wstring::npos)
            names.push_back(entry.second->name);
    }
    EXPECT_EQ((std::vector<std::wstring>{L"Adapter", L"PortX", L"Zeta", L"alpha"}), names);

    // The class description comes from the class; a class without one shows its name.
    const DeviceInfo* port = FindRecord(list, portsPackage.result().devices[0].instanceId);
    ASSERT_NE(nullptr, port);
    EXPECT_EQ(L"Ports (COM & LPT)", port->classDescription);
    const DeviceInfo* adapter = FindRecord(list, netPackage.result().devices[0].instanceId);
    ASSERT_NE(nullptr, adapter);
    EXPECT_EQ(L"Net", adapter->classDescription);  // Wine registers no Net class
}

} // namespace
