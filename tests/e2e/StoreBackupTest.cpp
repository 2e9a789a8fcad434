// tarnwick.exe /path:... on drivers installed as Windows 10 and 11 install them, through the
// driver store: each device folder must hold exactly the files of its store package at the
// same relative paths, as pnputil /export-driver would give them.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "discovery/SystemFolders.h"
#include "tests/e2e/RoundTripDrivers.h"
#include "tests/e2e/TarnwickRun.h"
#include "tests/saving/SavingTestSupport.h"
#include "tests/support/OpenVerbRecorder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestFiles.h"

namespace {

std::vector<std::unique_ptr<fixture::ScopedPackage>> g_packages;
std::vector<ExpectedDevice> g_devices;  // in list order

class StoreBackupTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        for (const fixture::SimpleDriver& driver : StoreDrivers()) {
            fixture::Package package = fixture::MakePackage(driver, {{driver.models.at(0).hardwareId}});
            package.style = fixture::InstallStyle::DriverStore;
            g_packages.push_back(std::make_unique<fixture::ScopedPackage>(package));
            if (g_packages.back()->ok())
                g_devices.push_back(StoreDevice(driver, g_packages.back()->result()));
        }
        g_devices = InListOrder(g_devices);
    }

    static void TearDownTestSuite()
    {
        g_devices.clear();
        g_packages.clear();
    }

    void SetUp() override
    {
        ASSERT_TRUE(recorder.installed()) << "TARNWICK_OPEN_RECORDER is not set";
        for (const auto& package : g_packages)
            ASSERT_TRUE(package->ok()) << ::testing::PrintToString(package->error());
        target = sandbox / L"Driver Backup";
    }

    void TearDown() override { RemoveLogsInTemp(); }

    OpenVerbRecorder recorder;
    TempFolder sandbox;
    std::wstring target;
};

const fixture::InstallResult& InstallOf(const ExpectedDevice& device)
{
    for (const auto& package : g_packages) {
        if (package->result().publishedInf == device.infPath)
            return package->result();
    }
    throw std::logic_error("no package for the device");
}

} // namespace

// Known Wine difference in how, not what: Wine has no driver store lookup, so there tarnwick.exe
// reads the published oemN.inf and finds each file at its installed copy, or by name under the
// system folder (the store folder lies there) for the driver that runs from the store. The
// files and names are the same as the store's own copies give on Windows.
TEST_F(StoreBackupTest, EachDeviceFolderHoldsItsStorePackage)
{
    const ProgramRun run = RunTarnwick(PathArgument(target));
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.output;

    std::wstring messages = RunStartLog(target);
    for (const ExpectedDevice& device : g_devices) {
        const std::wstring folder = target + L"\\" + device.classDescription + L"\\" + device.name;
        SCOPED_TRACE(::testing::PrintToString(folder));
        EXPECT_EQ(ListTree(folder), ListTree(InstallOf(device).storeFolder)) << "the store folder's files, no more";
        for (const ExpectedFile& file : device.files)
            EXPECT_EQ(ReadFileBytes(folder + L"\\" + file.name), ReadFileBytes(file.origin)) << ::testing::PrintToString(file.name);
        messages += SavedDeviceLog(device, folder);
    }
    const int saved = static_cast<int>(g_devices.size());
    ExpectScriptedRunLog(run, recorder, target, messages + RunSummaryLog(saved, saved));
}
