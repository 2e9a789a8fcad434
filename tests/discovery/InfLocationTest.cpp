// Choosing the INF to read: the record's full path, the INF folders, the driver store.
#include <gtest/gtest.h>

#include "devices/InstalledInf.h"
#include "discovery/InfLocation.h"
#include "discovery/SystemFolders.h"
#include "platform/Handles.h"
#include "platform/ShellPath.h"
#include "tests/discovery/ScopedDevicePath.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Wine.h"

namespace {

// A driver store that knows one published name and answers as Windows' does: the size
// needed when the buffer is missing or short, a failure for any other name.
struct StoreAnswer {
    std::wstring published;
    std::wstring storeInf;
    std::vector<std::wstring> asked;
};
StoreAnswer g_store;

BOOL WINAPI OneInfStore(PCWSTR fileName, const SP_ALTPLATFORM_INFO*, PCWSTR, PWSTR buffer, DWORD size, PDWORD required)
{
    g_store.asked.push_back(fileName);
    if (!EqualsFoldingAsciiCase(FileNamePart(fileName), g_store.published)) {
        ::SetLastError(ERROR_NOT_FOUND);
        return FALSE;
    }
    *required = static_cast<DWORD>(g_store.storeInf.size() + 1);
    if (!buffer || size < *required) {
        ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    wcscpy_s(buffer, size, g_store.storeInf.c_str());
    return TRUE;
}

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
    EXPECT_EQ(FindInfInFolders(device, ReadSystemFolders().infFolders), first / L"oem5.inf");
    device.infPath = L"only-second.inf";
    EXPECT_EQ(FindInfInFolders(device, ReadSystemFolders().infFolders), second / L"only-second.inf");
    device.infPath = L"nowhere.inf";
    EXPECT_EQ(FindInfInFolders(device, ReadSystemFolders().infFolders), L"");
}

TEST_F(InfLocationTest, ExistingFullPathWinsOverTheFolders)
{
    TempFolder elsewhere;
    ASSERT_TRUE(WriteFileBytes(elsewhere / L"driver.inf", "[Version]\n"));
    device.infFullPath = elsewhere / L"driver.inf";
    EXPECT_EQ(FindInfInFolders(device, ReadSystemFolders().infFolders), elsewhere / L"driver.inf");
    device.infFullPath = elsewhere / L"gone.inf";
    EXPECT_EQ(FindInfInFolders(device, ReadSystemFolders().infFolders), first / L"oem5.inf") << "a full path that does not exist is passed over";
}

TEST_F(InfLocationTest, EmptyFolderTextLooksTheNameUpAsItStands)
{
    ASSERT_TRUE(devicePath.Set(REG_SZ, second.path() + L";"));
    device.infPath = first / L"oem5.inf";
    EXPECT_EQ(FindInfInFolders(device, ReadSystemFolders().infFolders), first / L"oem5.inf");
}

TEST_F(InfLocationTest, WithoutDriverStoreTheFolderCopyIsChosen)
{
    if (RunningUnderWine()) {
        // Known Wine difference: there is no driver store; SetupGetInfDriverStoreLocationW fails
        // with ERROR_CALL_NOT_IMPLEMENTED, which must simply give no store path.
        EXPECT_EQ(FindInfInDriverStore(device), L"");
    }
    InfChoice choice;
    ASSERT_TRUE(ChooseInf(device, ReadSystemFolders(), choice));
    EXPECT_EQ(choice.folderInf, first / L"oem5.inf");
    if (RunningUnderWine()) {
        EXPECT_EQ(choice.chosenInf, choice.folderInf);
    }
}

TEST_F(InfLocationTest, DriverStoreCopyIsPreferredToTheFolderCopy)
{
    TempFolder store;
    const std::wstring storeInf = store / L"contoso.inf_amd64_0123456789abcdef\\contoso.inf";
    ASSERT_TRUE(WriteFileBytes(storeInf, "[Version]\n"));
    g_store = {L"oem5.inf", storeInf, {}};
    const DriverStore windowsStore(OneInfStore);

    InfChoice choice;
    ASSERT_TRUE(ChooseInf(device, ReadSystemFolders(), choice, windowsStore));
    EXPECT_EQ(choice.chosenInf, storeInf);
    EXPECT_EQ(choice.folderInf, first / L"oem5.inf") << "the INF-folder copy is still found";
    EXPECT_EQ(g_store.asked, std::vector<std::wstring>(2, L"oem5.inf")) << "asked by name: size, then text";

    g_store.asked.clear();
    device.infFullPath = first / L"oem5.inf";
    EXPECT_EQ(FindInfInDriverStore(device, windowsStore), storeInf);
    EXPECT_EQ(g_store.asked.front(), first / L"oem5.inf") << "a known full path is what the store is asked";
}

TEST_F(InfLocationTest, StoreAnswerThatIsNotThereOrNoAnswerLeavesTheFolderCopy)
{
    g_store = {L"oem5.inf", L"C:\\no\\such\\store\\contoso.inf", {}};
    const DriverStore windowsStore(OneInfStore);
    InfChoice choice;
    ASSERT_TRUE(ChooseInf(device, ReadSystemFolders(), choice, windowsStore));
    EXPECT_EQ(choice.chosenInf, first / L"oem5.inf") << "a store path that does not exist is passed over";

    device.infPath = L"only-second.inf";
    EXPECT_EQ(FindInfInDriverStore(device, windowsStore), L"") << "a name the store does not know";
    ASSERT_TRUE(ChooseInf(device, ReadSystemFolders(), choice, windowsStore));
    EXPECT_EQ(choice.chosenInf, second / L"only-second.inf");

    EXPECT_EQ(FindInfInDriverStore(device, DriverStore(nullptr)), L"") << "a system without a store";
}

// The catalog of a driver read from the store lies beside the store's INF; the installed copy
// is named after the published INF.
TEST_F(InfLocationTest, CatalogOfAStoreInfLiesInTheStoreFolder)
{
    TempFolder store;
    const std::wstring storeFolder = store / L"contoso.inf_amd64_0123456789abcdef";
    ASSERT_TRUE(WriteFileBytes(storeFolder + L"\\contoso.inf",
                               "[Version]\nSignature=\"$Windows NT$\"\nCatalogFile.NTamd64=contoso64.cat\n"));
    g_store = {L"oem5.inf", storeFolder + L"\\contoso.inf", {}};
    InfChoice choice;
    ASSERT_TRUE(ChooseInf(device, ReadSystemFolders(), choice, DriverStore(OneInfStore)));
    UniqueInfHandle inf(::SetupOpenInfFileW(choice.chosenInf.c_str(), nullptr, INF_STYLE_WIN4, nullptr));
    ASSERT_TRUE(inf.valid());
    device.infSectionExt = L".NTamd64";
    const CatalogLocation catalog = LocateCatalog(inf.get(), device, choice.chosenInf, ReadSystemFolders().catalogDir);
    EXPECT_EQ(catalog.name, L"contoso64.cat");
    EXPECT_EQ(catalog.besideInf, storeFolder + L"\\contoso64.cat");
    EXPECT_EQ(catalog.installedCopy, ReadSystemFolders().catalogDir + L"oem5.cat");
}

TEST_F(InfLocationTest, NoInfAnywhereFailsTheChoice)
{
    device.infPath = L"nowhere.inf";
    InfChoice choice;
    EXPECT_FALSE(ChooseInf(device, ReadSystemFolders(), choice));
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
