// The settings store on the real registry of the test prefix: the three values, their
// layout, and placements applied to real windows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/Handles.h"
#include "platform/RegistryKey.h"
#include "platform/RegistryText.h"
#include "ui/Settings.h"
#include "tests/support/TestWindow.h"

namespace {

void DeleteSettingsKey()
{
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
}

std::vector<BYTE> ReadRaw(const wchar_t* name, DWORD* type)
{
    HKEY opened = nullptr;
    std::vector<BYTE> bytes;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return bytes;
    const UniqueRegKey key(opened);
    DWORD size = 0;
    if (::RegQueryValueExW(key.get(), name, nullptr, type, nullptr, &size) == ERROR_SUCCESS) {
        bytes.resize(size);
        ::RegQueryValueExW(key.get(), name, nullptr, type, bytes.data(), &size);
    }
    return bytes;
}

// The value is plain text (REG_SZ): exactly the characters and one terminator.
void ExpectStoredText(const wchar_t* name, const std::wstring& text)
{
    DWORD type = 0;
    const std::vector<BYTE> bytes = ReadRaw(name, &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    const auto* begin = reinterpret_cast<const BYTE*>(text.c_str());
    EXPECT_EQ(bytes, std::vector<BYTE>(begin, begin + (text.size() + 1) * sizeof(wchar_t))) << name;
}

void WriteRaw(const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    RegistryKey key(HKEY_CURRENT_USER, kSettingsKey, true);
    ASSERT_TRUE(key.IsOpen());
    ASSERT_EQ(::RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
}

PlacementRecord Record(BYTE maximized, LONG left, LONG top, LONG right, LONG bottom)
{
    PlacementRecord record;
    record.maximized = maximized;
    record.normal = {left, top, right, bottom};
    return record;
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override { DeleteSettingsKey(); }
    void TearDown() override { DeleteSettingsKey(); }
};

} // namespace

TEST_F(Settings, FirstRunWithoutKeyKeepsDefaultsAndCreatesNothing)
{
    PlacementRecord mainPlacement;
    PlacementRecord devicePlacement;
    std::wstring browsePath = L"unchanged";
    LoadSettings(mainPlacement, devicePlacement, browsePath);

    EXPECT_EQ(browsePath, L"unchanged");
    EXPECT_TRUE(::IsRectEmpty(&mainPlacement.normal));
    EXPECT_EQ(mainPlacement.maximized, 0);
    RegistryKey key(HKEY_CURRENT_USER, kSettingsKey, false);
    EXPECT_FALSE(key.IsOpen());
}

TEST_F(Settings, SaveWritesAllThreeValuesInTheirLayout)
{
    TestWindow window;
    ASSERT_NE(window.get(), nullptr);
    ASSERT_TRUE(::MoveWindow(window.get(), 10, 20, 300, 200, FALSE));

    PlacementRecord mainPlacement;
    PlacementRecord devicePlacement;
    SaveSettings(window.get(), mainPlacement, devicePlacement, L"C:\\Backup");

    DWORD type = 0;
    std::vector<BYTE> main = ReadRaw(L"MainDlgPlacement", &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(main.size(), 20u);
    EXPECT_EQ(main[0], 0);
    LONG rect[4];
    std::memcpy(rect, &main[4], sizeof(rect));
    EXPECT_EQ(rect[0], 10);
    EXPECT_EQ(rect[1], 20);
    EXPECT_EQ(rect[2], 310);
    EXPECT_EQ(rect[3], 220);

    std::vector<BYTE> device = ReadRaw(L"DeviceDlgPlacement", &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(device, std::vector<BYTE>(20, 0));

    ExpectStoredText(L"BrowsePath", L"C:\\Backup");
}

TEST_F(Settings, EmptyBrowsePathIsStoredAsTheTerminatorAlone)
{
    TestWindow window;
    PlacementRecord mainPlacement;
    PlacementRecord devicePlacement;
    SaveSettings(window.get(), mainPlacement, devicePlacement, L"");
    ExpectStoredText(L"BrowsePath", L"");
}

TEST_F(Settings, RoundTripRestoresWhatWasSaved)
{
    TestWindow window;
    ASSERT_TRUE(::MoveWindow(window.get(), 30, 40, 500, 350, FALSE));
    PlacementRecord mainPlacement;
    const PlacementRecord devicePlacement = Record(1, 5, 6, 205, 306);
    SaveSettings(window.get(), mainPlacement, devicePlacement, L"D:\\Drivers");

    PlacementRecord loadedMain;
    PlacementRecord loadedDevice;
    std::wstring loadedPath;
    LoadSettings(loadedMain, loadedDevice, loadedPath);
    EXPECT_EQ(std::memcmp(&loadedMain, &mainPlacement, sizeof(PlacementRecord)), 0);
    EXPECT_EQ(std::memcmp(&loadedDevice, &devicePlacement, sizeof(PlacementRecord)), 0);
    EXPECT_EQ(loadedPath, L"D:\\Drivers");
}

TEST_F(Settings, ExpandableBrowsePathIsExpandedAndWrittenBackPlain)
{
    ASSERT_TRUE(::SetEnvironmentVariableW(L"TARNWICK_TEST_DIR", L"C:\\Saved"));
    const wchar_t stored[] = L"%TARNWICK_TEST_DIR%\\Drivers";
    WriteRaw(L"BrowsePath", REG_EXPAND_SZ, stored, sizeof(stored));

    PlacementRecord mainPlacement;
    PlacementRecord devicePlacement;
    std::wstring browsePath;
    LoadSettings(mainPlacement, devicePlacement, browsePath);
    EXPECT_EQ(browsePath, L"C:\\Saved\\Drivers");

    TestWindow window;
    SaveSettings(window.get(), mainPlacement, devicePlacement, browsePath);
    ExpectStoredText(L"BrowsePath", L"C:\\Saved\\Drivers");
}

TEST_F(Settings, BrowsePathOfAnotherTypeReadsEmpty)
{
    const DWORD number = 7;
    WriteRaw(L"BrowsePath", REG_DWORD, &number, sizeof(number));
    PlacementRecord mainPlacement;
    PlacementRecord devicePlacement;
    std::wstring browsePath = L"previous";
    LoadSettings(mainPlacement, devicePlacement, browsePath);
    EXPECT_EQ(browsePath, L"");
}

TEST_F(Settings, OverlongPlacementCountsAsAbsent)
{
    BYTE stored[24];
    std::memset(stored, 0x11, sizeof(stored));
    WriteRaw(L"MainDlgPlacement", REG_BINARY, stored, sizeof(stored));
    PlacementRecord mainPlacement = Record(0, 1, 2, 3, 4);
    PlacementRecord devicePlacement;
    std::wstring browsePath;
    LoadSettings(mainPlacement, devicePlacement, browsePath);
    EXPECT_EQ(mainPlacement.normal.left, 1);
    EXPECT_EQ(mainPlacement.normal.bottom, 4);
    EXPECT_EQ(mainPlacement.maximized, 0);
}

TEST_F(Settings, ShortPlacementFillsOnlyItsOwnLength)
{
    const BYTE stored[8] = {1, 0, 0, 0, 9, 0, 0, 0};
    WriteRaw(L"DeviceDlgPlacement", REG_BINARY, stored, sizeof(stored));
    PlacementRecord mainPlacement;
    PlacementRecord devicePlacement = Record(0, 1, 2, 3, 4);
    std::wstring browsePath;
    LoadSettings(mainPlacement, devicePlacement, browsePath);
    EXPECT_EQ(devicePlacement.maximized, 1);
    EXPECT_EQ(devicePlacement.normal.left, 9);
    EXPECT_EQ(devicePlacement.normal.top, 2);
    EXPECT_EQ(devicePlacement.normal.bottom, 4);
}

TEST_F(Settings, VerifyAfterSaveIsOffOnAFirstRunAndKeptBetweenRuns)
{
    EXPECT_FALSE(LoadVerifyAfterSave());
    SaveVerifyAfterSave(true);
    EXPECT_TRUE(LoadVerifyAfterSave());
}

TEST(Placement, CaptureRecordsMaximizedWindowAndItsRestoredRectangle)
{
    TestWindow window;
    ASSERT_TRUE(::MoveWindow(window.get(), 60, 70, 320, 240, FALSE));
    ::ShowWindow(window.get(), SW_SHOWMAXIMIZED);
    PlacementRecord record;
    record.padding[1] = 0x5A;
    CapturePlacement(record, window.get());
    EXPECT_EQ(record.maximized, 1);
    EXPECT_EQ(record.normal.left, 60);
    EXPECT_EQ(record.normal.top, 70);
    EXPECT_EQ(record.normal.right, 380);
    EXPECT_EQ(record.normal.bottom, 310);
    EXPECT_EQ(record.padding[1], 0x5A) << "padding is left as it was";
}

TEST(Placement, EmptyRectangleIsIgnored)
{
    TestWindow window;
    ASSERT_TRUE(::MoveWindow(window.get(), 60, 70, 320, 240, FALSE));
    EXPECT_FALSE(ApplyPlacement(Record(1, 100, 100, 100, 400), window.get(), true));
    EXPECT_FALSE(ApplyPlacement(Record(0, 100, 100, 400, 90), window.get(), true));
    EXPECT_FALSE(ApplyPlacement(PlacementRecord(), window.get(), true));
    RECT rect;
    ::GetWindowRect(window.get(), &rect);
    EXPECT_EQ(rect.left, 60);
    EXPECT_EQ(rect.right, 380);
    EXPECT_FALSE(::IsWindowVisible(window.get()));
}

TEST(Placement, MaximizedOnlyWhereAllowed)
{
    {
        TestWindow window;
        ASSERT_TRUE(ApplyPlacement(Record(1, 20, 30, 420, 330), window.get(), false));
        EXPECT_FALSE(::IsZoomed(window.get()));
        EXPECT_FALSE(::IsWindowVisible(window.get())) << "placement alone never shows the window";
        ::ShowWindow(window.get(), SW_SHOWNORMAL);
        RECT rect;
        ::GetWindowRect(window.get(), &rect);
        EXPECT_EQ(rect.left, 20);
        EXPECT_EQ(rect.bottom, 330);
    }
    {
        TestWindow window;
        ASSERT_TRUE(ApplyPlacement(Record(1, 20, 30, 420, 330), window.get(), true));
        EXPECT_TRUE(::IsZoomed(window.get()));
        ::ShowWindow(window.get(), SW_RESTORE);
        RECT rect;
        ::GetWindowRect(window.get(), &rect);
        EXPECT_EQ(rect.left, 20);
        EXPECT_EQ(rect.top, 30);
        EXPECT_EQ(rect.right, 420);
        EXPECT_EQ(rect.bottom, 330);
    }
}
