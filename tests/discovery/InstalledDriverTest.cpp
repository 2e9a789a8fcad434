// Discovery on drivers installed into the test prefix as Windows installs them: the INF the
// setup services name for the device, and the file set of the installed driver.
#include <gtest/gtest.h>

#include <algorithm>

#include "devices/DeviceList.h"
#include "discovery/DriverFileFinder.h"
#include "devices/InstalledInf.h"
#include "discovery/InfLocation.h"
#include "discovery/SystemFolders.h"
#include "platform/Handles.h"
#include "platform/ShellPath.h"
#include "tests/devices/ScanHelpers.h"
#include "tests/discovery/RecordingReporter.h"
#include "tests/fixtures/DriverFixture.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Wine.h"

namespace {

// A package installed for the test, and the scanned record of its first device.
class ScannedPackageTest : public ::testing::Test {
protected:
    explicit ScannedPackageTest(const fixture::Package& driver) : package(driver) {}
    void SetUp() override
    {
        ASSERT_TRUE(package.ok()) << package.error();
        IgnoreProgress progress;
        ASSERT_TRUE(list.Scan(false, false, progress));
        record = const_cast<DeviceInfo*>(FindRecord(list, package.result().devices.at(0).instanceId));
        ASSERT_NE(record, nullptr);
    }

    fixture::ScopedPackage package;
    DeviceList list;
    DeviceInfo* record = nullptr;
};

class InstalledDriverTest : public ScannedPackageTest {
protected:
    InstalledDriverTest() : ScannedPackageTest(Driver()) {}

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
    std::wstring Installed(const std::wstring& relative) const { return ReadSystemFolders().systemDir + relative; }
};

} // namespace

TEST_F(InstalledDriverTest, TheScanNamesTheInstalledInfAsTheSetupServicesDo)
{
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
    record->infFullPath.clear();
    ResolveInfFullPath(list.DeviceInfoSet(), *record);
    EXPECT_EQ(record->infFullPath, L"");
    InfChoice choice;
    ASSERT_TRUE(ChooseInf(*record, ReadSystemFolders(), choice)) << "the INF is still found by name in the INF folders";
    EXPECT_TRUE(EqualsFoldingAsciiCase(choice.chosenInf, package.result().publishedInfPath));
}

TEST_F(InstalledDriverTest, FileSetOfTheInstalledDriver)
{
    RecordingReporter reporter;
    DriverFileFinder finder(*record, reporter, ReadSystemFolders());
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
    DriverFileFinder finder(*record, reporter, ReadSystemFolders());
    ASSERT_TRUE(finder.Run());
    EXPECT_TRUE(EqualsFoldingAsciiCase(PathOf(L"contosocam.sys"), Installed(L"drivers\\contosocam.sys")));
    EXPECT_TRUE(EqualsFoldingAsciiCase(PathOf(L"contosocam.dll"), Installed(L"contosocam.dll")));
    EXPECT_TRUE(EqualsFoldingAsciiCase(PathOf(L"contosocamco.dll"), Installed(L"contosocamco.dll")));
}

namespace {

// A driver installed as Windows 10 and 11 install it: staged in the driver store, its .sys
// running from there, files under a disk path and a subfolder, and an INF whose name is not
// its catalog's. The store answers as Windows' does.
class StoreInstalledDriverTest : public ScannedPackageTest {
protected:
    StoreInstalledDriverTest() : ScannedPackageTest(Driver()) {}
    static fixture::Package Driver()
    {
        fixture::SimpleDriver driver = fixture::OneModelDriver(L"contosonet", L"Contoso Network", L"ROOT\\CONTOSO_NET");
        driver.diskPath = L"x64";
        driver.librarySubfolder = L"res";
        driver.runsFromStore = true;
        fixture::Package package = fixture::MakePackage(driver, {{L"ROOT\\CONTOSO_NET"}});
        package.infName = L"netcard.inf";
        package.style = fixture::InstallStyle::DriverStore;
        return package;
    }

    const DriverStore store{fixture::DriverStoreLocation};
};

} // namespace

TEST_F(StoreInstalledDriverTest, StoreCopyOfTheInfAndItsCatalogAreChosen)
{
    const fixture::InstallResult& installed = package.result();
    InfChoice choice;
    ASSERT_TRUE(ChooseInf(*record, ReadSystemFolders(), choice, store));
    EXPECT_TRUE(EqualsFoldingAsciiCase(choice.chosenInf, installed.storeInfPath)) << choice.chosenInf;
    EXPECT_TRUE(EqualsFoldingAsciiCase(choice.folderInf, installed.publishedInfPath)) << choice.folderInf;

    UniqueInfHandle inf(::SetupOpenInfFileW(choice.chosenInf.c_str(), nullptr, INF_STYLE_WIN4, nullptr));
    ASSERT_TRUE(inf.valid());
    const CatalogLocation catalog = LocateCatalog(inf.get(), *record, choice.chosenInf, ReadSystemFolders().catalogDir);
    EXPECT_EQ(catalog.name, L"contosonet.cat");
    EXPECT_TRUE(EqualsFoldingAsciiCase(catalog.besideInf, installed.storeFolder + L"\\contosonet.cat"));
    EXPECT_TRUE(EqualsFoldingAsciiCase(catalog.installedCopy, installed.catalogPath));

    if (RunningUnderWine()) {
        // Known Wine difference: no driver store, so the system's lookup names nothing.
        EXPECT_EQ(FindInfInDriverStore(*record), L"");
    }
}

// What pnputil /export-driver gives: every file of the store folder at its relative path, each
// found there, the INF under the store's own name.
TEST_F(StoreInstalledDriverTest, FileSetIsTheStorePackage)
{
    RecordingReporter reporter;
    DriverFileFinder finder(*record, reporter, ReadSystemFolders(), nullptr, store);
    ASSERT_TRUE(finder.Run());

    const std::wstring& folder = package.result().storeFolder;
    std::vector<std::wstring> storeFiles;
    for (const std::wstring& entry : ListTree(folder)) {
        if (entry.back() != L'\\')
            storeFiles.push_back(entry);
    }
    std::vector<std::wstring> names = reporter.Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, storeFiles);
    for (const DriverFile& file : record->files) {
        SCOPED_TRACE(file.name);
        // Wine's queue may double the backslash after the source root (store\\x64\file), which
        // names the same file.
        std::wstring path = file.path;
        for (size_t doubled = path.find(L"\\\\"); doubled != std::wstring::npos; doubled = path.find(L"\\\\"))
            path.erase(doubled, 1);
        EXPECT_TRUE(EqualsFoldingAsciiCase(path, folder + L"\\" + file.name)) << file.path;
    }
    EXPECT_EQ(reporter.Names().back(), L"netcard.inf") << "a store INF keeps its own name";
}
