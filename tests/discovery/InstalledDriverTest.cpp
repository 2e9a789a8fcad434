// Discovery on drivers installed into the test prefix as Windows installs them: the INF the
// setup services name for the device, and the file set of the installed driver.
#include <gtest/gtest.h>

#include <algorithm>

#include "devices/DeviceList.h"
#include "discovery/DriverFileFinder.h"
#include "discovery/InfLocation.h"
#include "discovery/SystemFolders.h"
#include "platform/ShellPath.h"
#include "tests/devices/ScanHelpers.h"
#include "tests/discovery/RecordingReporter.h"
#include "tests/fixtures/DriverFixture.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Wine.h"

namespace {

class InstalledDriverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitSystemFolders();
        ASSERT_TRUE(package.ok()) << package.error();
        IgnoreProgress progress;
        ASSERT_TRUE(list.Scan(false, false, progress));
        record = const_cast<DeviceInfo*>(FindRecord(list, package.result().devices.at(0).instanceId));
        ASSERT_NE(record, nullptr);
    }

    static fixture::Package Driver()
    {
        fixture::SimpleDriver driver;
        driver.name = L"contosocam";
        driver.models = {{L"Contoso Camera", L"ROOT\\CONTOSO_CAMERA"}};
        return fixture::MakePackage(driver, {{L"ROOT\\CONTOSO_CAMERA"}});
    }
    std::wstring PathOf(const std::wstring& name) const
    {
        for (const DriverFile& file : record->files) {
            if (file.name == name)
                return file.path;
        }
        return std::wstring();
    }
    std::wstring Installed(const std::wstring& relative) const { return SystemFolders::Current().systemDir + relative; }

    fixture::ScopedPackage package{Driver()};
    DeviceList list;
    DeviceInfo* record = nullptr;
};

} // namespace

TEST_F(InstalledDriverTest, SetupServicesNameTheInstalledInf)
{
    ASSERT_TRUE(record->infFullPath.empty());
    ResolveInfFullPath(list.DeviceInfoSet(), *record);
    if (RunningUnderWine()) {
        // Known Wine difference: SetupDiBuildDriverInfoList builds only compatible-driver
        // lists and fails for the class driver list (ERROR_CALL_NOT_IMPLEMENTED), so no full
        // path is named and the INF is found by name in the INF folders.
        EXPECT_EQ(record->infFullPath, L"");
        return;
    }
    EXPECT_TRUE(EqualsFoldingAsciiCase(record->infFullPath, package.result().publishedInfPath))
        << record->infFullPath << " vs " << package.result().publishedInfPath;
}

TEST_F(InstalledDriverTest, ADriverOfAnotherManufacturerIsNotTaken)
{
    record->manufacturer = L"Fabrikam";
    ResolveInfFullPath(list.DeviceInfoSet(), *record);
    EXPECT_EQ(record->infFullPath, L"");
    InfChoice choice;
    ASSERT_TRUE(ChooseInf(*record, choice)) << "the INF is still found by name in the INF folders";
    EXPECT_TRUE(EqualsFoldingAsciiCase(choice.chosenInf, package.result().publishedInfPath));
}

TEST_F(InstalledDriverTest, FileSetOfTheInstalledDriver)
{
    ResolveInfFullPath(list.DeviceInfoSet(), *record);
    RecordingReporter reporter;
    DriverFileFinder finder(*record, reporter);
    ASSERT_TRUE(finder.Run());

    std::vector<std::wstring> names = reporter.Names();
    ASSERT_EQ(names.size(), 5u);
    std::sort(names.begin(), names.begin() + 3);
    EXPECT_EQ(names,
        (std::vector<std::wstring>{
            L"contosocam.dll", L"contosocam.sys", L"contosocamco.dll", L"contosocam.cat", L"contosocam.inf"}))
        << "install and co-installer files, the catalog, and the INF under its catalog's name";

    for (const DriverFile& file : record->files) {
        SCOPED_TRACE(file.name);
        EXPECT_FALSE(file.path.empty()) << "every file of an installed driver exists";
        EXPECT_GT(file.size, 0u);
    }
    EXPECT_TRUE(EqualsFoldingAsciiCase(PathOf(L"contosocam.sys"), package.result().packageFolder + L"\\contosocam.sys"))
        << "the installation media is still there: the source copy is taken";
    EXPECT_TRUE(EqualsFoldingAsciiCase(PathOf(L"contosocam.cat"), package.result().catalogPath))
        << "the catalog the system keeps under the installed INF's name";
    EXPECT_TRUE(EqualsFoldingAsciiCase(PathOf(L"contosocam.inf"), package.result().publishedInfPath));
}

TEST_F(InstalledDriverTest, WithoutTheMediaTheInstalledCopiesAreTaken)
{
    RemoveTree(package.result().packageFolder);
    RecordingReporter reporter;
    DriverFileFinder finder(*record, reporter);
    ASSERT_TRUE(finder.Run());
    EXPECT_TRUE(EqualsFoldingAsciiCase(PathOf(L"contosocam.sys"), Installed(L"drivers\\contosocam.sys")));
    EXPECT_TRUE(EqualsFoldingAsciiCase(PathOf(L"contosocam.dll"), Installed(L"contosocam.dll")));
    EXPECT_TRUE(EqualsFoldingAsciiCase(PathOf(L"contosocamco.dll"), Installed(L"contosocamco.dll")));
}
