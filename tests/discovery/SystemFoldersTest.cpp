// The system folders, and the INF folders taken from the "DevicePath" setting.
#include <gtest/gtest.h>

#include <string>

#include "discovery/SystemFolders.h"
#include "tests/discovery/ScopedDevicePath.h"

namespace {

std::wstring WindowsFolder()
{
    wchar_t buffer[MAX_PATH] = L"";
    ::GetWindowsDirectoryW(buffer, MAX_PATH);
    return buffer;
}

class DevicePathTest : public ::testing::Test {
protected:
    ScopedDevicePath devicePath;
};

} // namespace

TEST_F(DevicePathTest, ExpandableSystemRootGivesTheWindowsInfFolder)
{
    devicePath.Set(REG_EXPAND_SZ, L"%SystemRoot%\\inf");
    ASSERT_EQ(ReadSystemFolders().infFolders.size(), 1u);
    EXPECT_EQ(ReadSystemFolders().infFolders[0], WindowsFolder() + L"\\inf");
}

TEST_F(DevicePathTest, FoldersInOrderAndEmptyPiecesKept)
{
    devicePath.Set(REG_SZ, L"C:\\drivers;D:\\more");
    EXPECT_EQ(ReadSystemFolders().infFolders, (std::vector<std::wstring>{L"C:\\drivers", L"D:\\more"}));
    devicePath.Set(REG_SZ, L"C:\\drivers;D:\\more;");
    EXPECT_EQ(ReadSystemFolders().infFolders, (std::vector<std::wstring>{L"C:\\drivers", L"D:\\more", L""}));
    devicePath.Set(REG_SZ, L";; C:\\padded ");
    EXPECT_EQ(ReadSystemFolders().infFolders, (std::vector<std::wstring>{L"", L"", L" C:\\padded "}));
}

TEST_F(DevicePathTest, MissingOrEmptyValueFallsBackToTheWindowsInfFolder)
{
    devicePath.Remove();
    EXPECT_EQ(ReadSystemFolders().infFolders, std::vector<std::wstring>{WindowsFolder() + L"\\inf"});
    devicePath.Set(REG_SZ, L"");
    EXPECT_EQ(ReadSystemFolders().infFolders, std::vector<std::wstring>{WindowsFolder() + L"\\inf"});
}

TEST(SystemFolders, FoldersEndWithABackslashExceptTemp)
{
    const SystemFolders& folders = ReadSystemFolders();
    wchar_t system[MAX_PATH] = L"";
    ::GetSystemDirectoryW(system, MAX_PATH);
    wchar_t temp[MAX_PATH] = L"";
    ::GetTempPathW(MAX_PATH, temp);
    EXPECT_EQ(folders.systemDir, std::wstring(system) + L"\\");
    EXPECT_EQ(folders.windowsDir, WindowsFolder() + L"\\");
    EXPECT_EQ(folders.tempDir, temp);
    EXPECT_EQ(folders.catalogDir, std::wstring(system) + L"\\CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\\");
    for (const std::wstring* folder : {&folders.printerDriverDir, &folders.printProcessorDir}) {
        ASSERT_FALSE(folder->empty());
        EXPECT_EQ(folder->back(), L'\\');
    }
}

TEST(SystemFolders, PrinterFoldersComeFromTheSpooler)
{
    wchar_t driverDir[256] = L"";
    DWORD needed = 0;
    if (!::GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(driverDir), sizeof(driverDir), &needed))
        GTEST_SKIP() << "the spooler does not answer here; the fallback is checked by the folder test";
    EXPECT_EQ(ReadSystemFolders().printerDriverDir, std::wstring(driverDir) + L"\\");
}
