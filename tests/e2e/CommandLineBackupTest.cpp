// tarnwick.exe /path:... on a prefix with fixture drivers installed as Windows installs them:
// exit code, the saved folders and every file's content and time, the log byte for byte and
// its copy on the redirected output, with and without /all and /present.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <algorithm>
#include <memory>

#include "devices/DeviceList.h"
#include "discovery/SystemFolders.h"
#include "tests/e2e/TarnwickRun.h"
#include "tests/saving/SavingTestSupport.h"
#include "tests/support/OpenVerbRecorder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Wine.h"

namespace {

// A second class of our own, so the backup holds more than one class folder.
fixture::SimpleDriver WidgetDriver()
{
    fixture::SimpleDriver driver =
        fixture::OneModelDriver(L"contoso", L"Contoso Widget", L"ROOT\\TARNWICK_E2E_CONTOSO");
    driver.className = L"TarnwickWidget";
    driver.classGuid = L"{0B5E7C1A-93D4-4E0F-8A2B-6C7D8E9F0A1B}";
    driver.classDescription = L"Tarnwick widgets";
    driver.provider = L"Contoso Ltd.";
    driver.driverVer = L"03/04/2021,2.4.1.7";
    return driver;
}

ExpectedDevice LayoutDevice(const fixture::InstallResult& installed)
{
    ExpectedDevice device;
    device.name = L"Layout Device";
    device.className = fixture::kTestClassName;
    device.classDescription = fixture::kTestClassDescription;
    device.provider = L"Layout Corp";
    device.version = L"3.0.0.1";
    device.infPath = installed.publishedInf;
    device.infSection = L"LayoutInstall";
    const std::wstring& media = installed.packageFolder;
    device.files = {{L"layout.sys", media + L"\\layout.sys"},
                    {L"sub\\layoutsub.dll", media + L"\\sub\\layoutsub.dll"},
                    {L"x64\\layout64.dll", media + L"\\x64\\layout64.dll"},
                    {L"layout.cat", installed.catalogPath},
                    {L"layout.inf", installed.publishedInfPath}};
    return device;
}

// The packages of every test here, installed once for the whole program.
struct InstalledDrivers {
    std::unique_ptr<fixture::ScopedPackage> twinOne;
    std::unique_ptr<fixture::ScopedPackage> twinTwo;
    std::unique_ptr<fixture::ScopedPackage> widget;
    std::unique_ptr<fixture::ScopedPackage> layout;
    std::unique_ptr<fixture::ScopedPackage> inbox;
    std::vector<ExpectedDevice> oemDevices;  // in list order
    ExpectedDevice inboxDevice;
};

std::unique_ptr<InstalledDrivers> g_drivers;

std::unique_ptr<fixture::ScopedPackage> Install(const fixture::Package& package)
{
    auto installed = std::make_unique<fixture::ScopedPackage>(package);
    EXPECT_TRUE(installed->ok()) << ::testing::PrintToString(installed->error());
    return installed;
}

class CommandLineBackupTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        g_drivers = std::make_unique<InstalledDrivers>();
        InstalledDrivers& d = *g_drivers;
        // Two drivers whose devices share class and name: the second saved gets "[1]".
        const fixture::SimpleDriver twinOne =
            fixture::OneModelDriver(L"twinone", L"Twin Device", L"ROOT\\TARNWICK_E2E_TWIN1");
        const fixture::SimpleDriver twinTwo =
            fixture::OneModelDriver(L"twintwo", L"Twin Device", L"ROOT\\TARNWICK_E2E_TWIN2");
        const fixture::SimpleDriver widget = WidgetDriver();
        fixture::SimpleDriver inbox =
            fixture::OneModelDriver(L"tarnwickinbox", L"Inbox Widget", L"ROOT\\TARNWICK_E2E_INBOX");
        d.twinOne = Install(fixture::MakePackage(twinOne, {{L"ROOT\\TARNWICK_E2E_TWIN1"}}));
        d.twinTwo = Install(fixture::MakePackage(twinTwo, {{L"ROOT\\TARNWICK_E2E_TWIN2"}}));
        d.widget = Install(fixture::MakePackage(widget, {{L"ROOT\\TARNWICK_E2E_CONTOSO"}}));
        d.layout = Install(fixture::LayoutPackage(L"ROOT\\TARNWICK_E2E_LAYOUT"));
        fixture::Package inboxPackage = fixture::MakePackage(inbox, {{L"ROOT\\TARNWICK_E2E_INBOX"}});
        inboxPackage.inbox = true;
        d.inbox = Install(inboxPackage);

        d.oemDevices = InListOrder({SimpleDevice(twinOne, d.twinOne->result(), L"Twin Device"),
                                    SimpleDevice(twinTwo, d.twinTwo->result(), L"Twin Device"),
                                    SimpleDevice(widget, d.widget->result(), L"Contoso Widget"),
                                    LayoutDevice(d.layout->result())});
        d.inboxDevice = SimpleDevice(inbox, d.inbox->result(), L"Inbox Widget");
        // The system's own INF keeps its own name.
        d.inboxDevice.files.back().name = d.inbox->result().publishedInf;
    }

    static void TearDownTestSuite()
    {
        g_drivers.reset();
    }

    void SetUp() override
    {
        ASSERT_TRUE(recorder.installed()) << "TARNWICK_OPEN_RECORDER is not set";
        for (const auto* package : {&g_drivers->twinOne, &g_drivers->twinTwo, &g_drivers->widget,
                                    &g_drivers->layout, &g_drivers->inbox})
            ASSERT_TRUE((*package)->ok());
        target = sandbox / L"Driver Backup";
    }

    void TearDown() override { RemoveLogsInTemp(); }

    // The folders the devices go to, "[1]" for a second device of the same class and name.
    std::vector<std::wstring> DeviceFolders(const std::vector<ExpectedDevice>& devices) const
    {
        std::vector<std::wstring> folders;
        for (const ExpectedDevice& device : devices) {
            const std::wstring plain = target + L"\\" + device.classDescription + L"\\" + device.name;
            int taken = 0;
            for (const std::wstring& folder : folders)
                taken += folder.compare(0, plain.size(), plain) == 0 ? 1 : 0;
            folders.push_back(taken == 0 ? plain : plain + L"[" + std::to_wstring(taken) + L"]");
        }
        return folders;
    }

    // Every saved file holds its origin's bytes, stamped with its origin's creation time.
    static void ExpectSavedFiles(const ExpectedDevice& device, const std::wstring& folder)
    {
        std::vector<std::wstring> names;
        for (const ExpectedFile& file : device.files) {
            const std::wstring copy = folder + L"\\" + file.name;
            SCOPED_TRACE(::testing::PrintToString(copy));
            const std::string content = ReadFileBytes(file.origin);
            ASSERT_FALSE(content.empty()) << ::testing::PrintToString(file.origin);
            EXPECT_EQ(ReadFileBytes(copy), content);
            FILETIME originCreation = {};
            FILETIME originWrite = {};
            FILETIME creation = {};
            FILETIME lastWrite = {};
            ASSERT_TRUE(ReadFileTimes(file.origin, originCreation, originWrite));
            ASSERT_TRUE(ReadFileTimes(copy, creation, lastWrite));
            EXPECT_TRUE(SameTime(creation, originCreation));
            EXPECT_TRUE(SameTime(lastWrite, originCreation));
            names.push_back(file.name);
            for (size_t slash = file.name.find(L'\\'); slash != std::wstring::npos; slash = file.name.find(L'\\', slash + 1))
                names.push_back(file.name.substr(0, slash + 1));
        }
        std::sort(names.begin(), names.end());
        names.erase(std::unique(names.begin(), names.end()), names.end());
        EXPECT_EQ(ListTree(folder), names) << "nothing else in the device folder";
    }

    // A run saving exactly these devices: exit code, folders, files, log, output, opened log.
    void ExpectBackupOf(const ProgramRun& run, const std::vector<ExpectedDevice>& devices)
    {
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u);
        const std::vector<std::wstring> folders = DeviceFolders(devices);
        std::wstring messages = RunStartLog(target);
        for (size_t i = 0; i < devices.size(); ++i) {
            ExpectSavedFiles(devices[i], folders[i]);
            messages += SavedDeviceLog(devices[i], folders[i]);
        }
        messages += RunSummaryLog(static_cast<int>(devices.size()), static_cast<int>(devices.size()));
        ExpectScriptedRunLog(run, recorder, target, messages);
    }

    OpenVerbRecorder recorder;
    TempFolder sandbox;
    std::wstring target;
};

} // namespace

TEST_F(CommandLineBackupTest, DefaultRunSavesEveryThirdPartyDriver)
{
    const ProgramRun run = RunTarnwick(PathArgument(target));
    ExpectBackupOf(run, g_drivers->oemDevices);
    EXPECT_EQ(::GetFileAttributesW((target + L"\\Tarnwick test devices\\Inbox Widget").c_str()),
              INVALID_FILE_ATTRIBUTES) << "the system's own drivers only with /all";
}

TEST_F(CommandLineBackupTest, PresentRunSavesTheAttachedDevices)
{
    // The fixture's root-enumerated devices are present; a device that is installed but not
    // attached cannot be made here (and Wine 8 lists every device even when asked for present
    // ones only), so this shows the present devices are all saved.
    const ProgramRun run = RunTarnwick(PathArgument(target) + L" /present");
    ExpectBackupOf(run, g_drivers->oemDevices);
}

TEST_F(CommandLineBackupTest, AllRunAddsTheSystemsOwnDrivers)
{
    const ProgramRun run = RunTarnwick(PathArgument(target) + L" /all /present");
    ASSERT_TRUE(run.finished);

    DeviceList list;
    RecordingReporter ignored;
    ASSERT_TRUE(list.Scan(true, true, ignored));
    const int total = static_cast<int>(list.Devices().size());
    ASSERT_GT(total, 5) << "Wine's own devices come too";
    // Known Wine difference: the INFs of Wine's own bus and HID devices hold no install
    // section for them (only its .Services section), so their file sets cannot be worked out
    // and they count as not saved. On Windows every installed device's INF holds its section.
    const int ourCount = static_cast<int>(g_drivers->oemDevices.size()) + 1;
    const int saved = RunningUnderWine() ? ourCount : total;
    EXPECT_EQ(run.exitCode, saved == total ? 0u : 1u);
    const std::string log = OnlyLogIn(target);
    EXPECT_NE(log.find(LogBytes(RunSummaryLog(saved, total))), std::string::npos) << log;
    EXPECT_EQ(run.output, "Scanning devices...\r\n" + log + Latin1(target + L"\\" + LogsIn(target).at(0)) + "\r\n");

    std::vector<ExpectedDevice> ours = g_drivers->oemDevices;
    ours.push_back(g_drivers->inboxDevice);
    ours = InListOrder(ours);
    const std::vector<std::wstring> folders = DeviceFolders(ours);
    for (size_t i = 0; i < ours.size(); ++i) {
        ExpectSavedFiles(ours[i], folders[i]);
        EXPECT_NE(log.find(LogBytes(SavedDeviceLog(ours[i], folders[i]))), std::string::npos)
            << ::testing::PrintToString(ours[i].name);
    }
}

TEST_F(CommandLineBackupTest, SecondFullRunIntoTheSameTargetGoesToNumberedFolders)
{
    const ProgramRun first = RunTarnwick(PathArgument(target));
    ASSERT_EQ(first.exitCode, 0u);
    const std::wstring widget = target + L"\\Tarnwick widgets\\Contoso Widget";
    ASSERT_TRUE(WriteFileBytes(widget + L"\\marker.txt", "left by the first run"));
    // A run a second later gets a log of its own name.
    ::Sleep(1100);

    // Without /full the unchanged devices would keep their folders (NightlyBackupTest).
    const ProgramRun second = RunTarnwick(PathArgument(target) + L" /full");
    EXPECT_EQ(second.exitCode, 0u);
    EXPECT_EQ(ReadFileBytes(widget + L"\\marker.txt"), "left by the first run") << "the earlier folder is untouched";
    EXPECT_EQ(ListTree(widget + L"[1]"), Sorted({L"contoso.cat", L"contoso.dll", L"contoso.inf", L"contoso.sys",
                                                 L"contosoco.dll"}));
    const std::wstring twins = target + L"\\Tarnwick test devices\\Twin Device";
    EXPECT_TRUE(::PathIsDirectoryW((twins + L"[1]").c_str())) << "the twin of the first run";
    EXPECT_TRUE(::PathIsDirectoryW((twins + L"[2]").c_str())) << "the twins of the second run";
    EXPECT_TRUE(::PathIsDirectoryW((twins + L"[3]").c_str()));
    EXPECT_EQ(LogsIn(target).size(), 2u);
}
