// Choosing the INF to read: the record's full path, the INF folders, the driver store.
#include <gtest/gtest.h>

#include "discovery/InfLocation.h"
#include "discovery/SystemFolders.h"
#include "tests/discovery/ScopedDevicePath.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Wine.h"

namespace {

class InfLocationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(WriteFileBytes(first / L"oem5.inf", "[Version]\n"));
        ASSERT_TRUE(WriteFileBytes(second / L"oem5.inf", "[Version]\n"));
        ASSERT_TRUE(WriteFileBytes(second / L"only-second.inf", "[Version]\n"));
        ASSERT_TRUE(devicePath.Set(REG_SZ, first.path() + L";" + second.path()));
        device.infPath = L"oem5.inf";
    }

    TempFolder first;
    TempFolder second;
    ScopedDevicePath devicePath;
    DeviceInfo device;
};

} // namespace

TEST_F(InfLocationTest, FirstInfFolderHoldingTheNameWins)
{
    EXPECT_EQ(FindInfInFolders(device), first / L"oem5.inf");
    device.infPath = L"only-second.inf";
    EXPECT_EQ(FindInfInFolders(device), second / L"only-second.inf");
    device.infPath = L"nowhere.inf";
    EXPECT_EQ(FindInfInFolders(device), L"");
}

TEST_F(InfLocationTest, ExistingFullPathWinsOverTheFolders)
{
    TempFolder elsewhere;
    ASSERT_TRUE(WriteFileBytes(elsewhere / L"driver.inf", "[Version]\n"));
    device.infFullPath = elsewhere / L"driver.inf";
    EXPECT_EQ(FindInfInFolders(device), elsewhere / L"driver.inf");
    device.infFullPath = elsewhere / L"gone.inf";
    EXPECT_EQ(FindInfInFolders(device), first / L"oem5.inf") << "a full path that does not exist is passed over";
}

TEST_F(InfLocationTest, EmptyFolderTextLooksTheNameUpAsItStands)
{
    ASSERT_TRUE(devicePath.Set(REG_SZ, second.path() + L";"));
    device.infPath = first / L"oem5.inf";
    EXPECT_EQ(FindInfInFolders(device), first / L"oem5.inf");
}

TEST_F(InfLocationTest, WithoutDriverStoreTheFolderCopyIsChosen)
{
    if (RunningUnderWine()) {
        // Wine has no driver store: SetupGetInfDriverStoreLocationW fails with
        // ERROR_CALL_NOT_IMPLEMENTED, which must simply give no store path.
        EXPECT_EQ(FindInfInDriverStore(device), L"");
    }
    InfChoice choice;
    ASSERT_TRUE(ChooseInf(device, choice));
    EXPECT_EQ(choice.folderInf, first / L"oem5.inf");
    if (RunningUnderWine()) {
        EXPECT_EQ(choice.chosenInf, choice.folderInf);
    }
}

TEST_F(InfLocationTest, NoInfAnywhereFailsTheChoice)
{
    device.infPath = L"nowhere.inf";
    InfChoice choice;
    EXPECT_FALSE(ChooseInf(device, choice));
    EXPECT_EQ(choice.chosenInf, L"");
}

TEST_F(InfLocationTest, ResolvingARecordWithAFullPathAsksTheSetupServicesNothing)
{
    device.infFullPath = L"C:\\already\\known.inf";
    ::SetLastError(0xdeadbeef);
    ResolveInfFullPath(INVALID_HANDLE_VALUE, device);
    EXPECT_EQ(::GetLastError(), 0xdeadbeefu) << "no setup call was made";
    EXPECT_EQ(device.infFullPath, L"C:\\already\\known.inf");

    device.infFullPath.clear();
    ::SetLastError(0xdeadbeef);
    ResolveInfFullPath(INVALID_HANDLE_VALUE, device);
    EXPECT_NE(::GetLastError(), 0xdeadbeefu) << "an empty path is looked up";
    EXPECT_EQ(device.infFullPath, L"");
}

TEST(InstalledDriverMatch, ManufacturerAndProviderMustBeEqualExactly)
{
    DeviceInfo device;
    device.manufacturer = L"Contoso";
    device.providerName = L"Contoso Ltd";
    SP_DRVINFO_DATA_V2_W driver = {};
    wcscpy_s(driver.MfgName, L"Contoso");
    wcscpy_s(driver.ProviderName, L"Contoso Ltd");
    EXPECT_TRUE(IsFromDriverSource(device, driver));
    wcscpy_s(driver.ProviderName, L"contoso ltd");
    EXPECT_FALSE(IsFromDriverSource(device, driver)) << "case counts";
    wcscpy_s(driver.ProviderName, L"Contoso Ltd");
    wcscpy_s(driver.MfgName, L"Contoso ");
    EXPECT_FALSE(IsFromDriverSource(device, driver)) << "nothing is trimmed";
}

TEST(InstalledDriverMatch, SectionAndDescriptionMustBeEqualExactly)
{
    DeviceInfo device;
    device.infSection = L"Camera_Install";
    device.description = L"Contoso Camera";
    device.name = L"My camera";
    SP_DRVINFO_DETAIL_DATA_W details = {};
    wcscpy_s(details.SectionName, L"Camera_Install");
    wcscpy_s(details.DrvDescription, L"Contoso Camera");
    EXPECT_TRUE(IsInstalledDriver(device, details));
    wcscpy_s(details.SectionName, L"camera_install");
    EXPECT_FALSE(IsInstalledDriver(device, details));
    wcscpy_s(details.SectionName, L"Camera_Install");
    wcscpy_s(details.DrvDescription, L"My camera");
    EXPECT_FALSE(IsInstalledDriver(device, details)) << "the description, not the friendly name";
}
