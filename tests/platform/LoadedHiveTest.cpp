// Loading a registry hive file of another system, and that no load outlives its owner.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "platform/LoadedHive.h"
#include "platform/RegistryKey.h"
#include "tests/support/HiveFile.h"
#include "tests/support/TempFolder.h"

namespace {

class LoadedHiveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HiveFileBuilder builder;
        ASSERT_TRUE(builder.SetText(L"Select", L"Marker", L"from the image"));
        hiveFile = folder / L"config\\SYSTEM";
        ASSERT_TRUE(builder.Save(hiveFile));
    }

    void TearDown() override { EXPECT_EQ(LoadedHiveNames(), std::vector<std::wstring>()) << "a hive stayed loaded"; }

    static bool KeyExists(const std::wstring& name)
    {
        return RegistryKey(HKEY_LOCAL_MACHINE, name.c_str(), false).IsOpen();
    }

    TempFolder folder;
    std::wstring hiveFile;
};

} // namespace

TEST_F(LoadedHiveTest, ReadsTheFileAndUnloadsWhenItGoes)
{
    std::wstring name;
    {
        LSTATUS error = ERROR_GEN_FAILURE;
        LoadedHive hive = LoadedHive::Load(hiveFile, error);
        ASSERT_EQ(error, ERROR_SUCCESS);
        ASSERT_TRUE(hive.IsLoaded());
        name = hive.Name();
        EXPECT_EQ(name.rfind(L"Tarnwick.Offline.", 0), 0u) << ::testing::PrintToString(name);
        EXPECT_EQ(LoadedHiveNames(), std::vector<std::wstring>{name});
        EXPECT_EQ(RegistryKey(hive.Root(), L"Select", false).ReadText(L"Marker"), L"from the image");
    }
    EXPECT_FALSE(KeyExists(name));
}

TEST_F(LoadedHiveTest, EachLoadHasANameOfItsOwn)
{
    LSTATUS error = ERROR_GEN_FAILURE;
    LoadedHive first = LoadedHive::Load(hiveFile, error);
    TempFolder other;
    ASSERT_TRUE(::CopyFileW(hiveFile.c_str(), (other / L"SYSTEM").c_str(), FALSE));
    LoadedHive second = LoadedHive::Load(other / L"SYSTEM", error);
    ASSERT_TRUE(first.IsLoaded() && second.IsLoaded());
    EXPECT_NE(first.Name(), second.Name());
}

TEST_F(LoadedHiveTest, AMovedHiveIsUnloadedOnceByItsLastOwner)
{
    LSTATUS error = ERROR_GEN_FAILURE;
    LoadedHive first = LoadedHive::Load(hiveFile, error);
    const std::wstring name = first.Name();
    LoadedHive second(std::move(first));
    EXPECT_FALSE(first.IsLoaded());
    first = LoadedHive();  // the moved-from owner unloads nothing
    ASSERT_TRUE(KeyExists(name));
    EXPECT_EQ(RegistryKey(second.Root(), L"Select", false).ReadText(L"Marker"), L"from the image");
    second.Unload();
    EXPECT_FALSE(KeyExists(name));
    second.Unload();  // a second unload is nothing
}

TEST_F(LoadedHiveTest, AMissingFileLoadsNothing)
{
    LSTATUS error = ERROR_SUCCESS;
    LoadedHive hive = LoadedHive::Load(folder / L"config\\NOSUCHHIVE", error);
    EXPECT_NE(error, ERROR_SUCCESS);
    EXPECT_FALSE(hive.IsLoaded());
    EXPECT_EQ(hive.Root(), nullptr);
}

TEST_F(LoadedHiveTest, AFileThatIsNoHiveLoadsNothing)
{
    const std::wstring junk = folder / L"junk";
    ASSERT_TRUE(WriteFileBytes(junk, "this is not a registry hive\r\n"));
    LSTATUS error = ERROR_SUCCESS;
    LoadedHive hive = LoadedHive::Load(junk, error);
    EXPECT_NE(error, ERROR_SUCCESS);
    EXPECT_FALSE(hive.IsLoaded());
}

// A run that ended without unloading (a crash) left its hive loaded; the next load removes
// it. A hive of a process that still runs is left alone.
TEST_F(LoadedHiveTest, TheNextLoadRemovesWhatAnEndedRunLeft)
{
    ASSERT_EQ(EnableHivePrivileges(), ERROR_SUCCESS);
    const std::wstring leftover = L"Tarnwick.Offline.4294967292.1";  // no process has this id
    const std::wstring running = L"Tarnwick.Offline." + std::to_wstring(::GetCurrentProcessId()) + L".999";
    TempFolder copies;
    ASSERT_TRUE(::CopyFileW(hiveFile.c_str(), (copies / L"A").c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW(hiveFile.c_str(), (copies / L"B").c_str(), FALSE));
    ASSERT_EQ(::RegLoadKeyW(HKEY_LOCAL_MACHINE, leftover.c_str(), (copies / L"A").c_str()), ERROR_SUCCESS);
    ASSERT_EQ(::RegLoadKeyW(HKEY_LOCAL_MACHINE, running.c_str(), (copies / L"B").c_str()), ERROR_SUCCESS);
    {
        LSTATUS error = ERROR_GEN_FAILURE;
        LoadedHive hive = LoadedHive::Load(hiveFile, error);
        ASSERT_EQ(error, ERROR_SUCCESS);
        EXPECT_FALSE(KeyExists(leftover));
        EXPECT_TRUE(KeyExists(running));
    }
    EXPECT_EQ(::RegUnLoadKeyW(HKEY_LOCAL_MACHINE, running.c_str()), ERROR_SUCCESS);
}
