// Closing the main window: settings saved by Exit and by the close box alike, the exit code,
// a maximized window restored at the next start, and a close during a scan, which waits for
// the scan to end, as the commands on the scan's records do. Also the screenshots of the
// window in use.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "ui/PlacementRecord.h"
#include "ui/Settings.h"
#include "resources/resource.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/MainFrameHarness.h"

namespace {

bool SettingsKeyExists()
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

bool StoredPlacement(const wchar_t* name, PlacementRecord& record)
{
    DWORD size = sizeof(record);
    return ::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_BINARY, nullptr, &record, &size) ==
               ERROR_SUCCESS &&
           size == sizeof(record);
}

std::wstring StoredText(const wchar_t* name)
{
    wchar_t text[512] = L"";
    DWORD size = sizeof(text);
    if (::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return text;
}

RECT NormalRect(HWND window)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    ::GetWindowPlacement(window, &placement);
    return placement.rcNormalPosition;
}

} // namespace

using MainWindowClosing = MainFrameHarness;

TEST_F(MainWindowClosing, ExitSavesTheSettingsLikeTheCloseBoxAndEndsWithOne)
{
    Start();
    ChooseFolderInSave(L"C:\\Driver backups");
    ::SetWindowPos(*frame, nullptr, 100, 80, 800, 620, SWP_NOZORDER);
    ASSERT_FALSE(SettingsKeyExists());
    frame->Send(WM_COMMAND, ID_APP_EXIT);
    ASSERT_TRUE(WaitForDestruction());
    EXPECT_EQ(quitCode, 1);

    PlacementRecord main;
    ASSERT_TRUE(StoredPlacement(L"MainDlgPlacement", main));
    EXPECT_EQ(main.maximized, 0);
    EXPECT_EQ(main.normal.left, 100);
    EXPECT_EQ(main.normal.top, 80);
    EXPECT_EQ(main.normal.right, 900);
    EXPECT_EQ(main.normal.bottom, 700);
    PlacementRecord device;
    EXPECT_TRUE(StoredPlacement(L"DeviceDlgPlacement", device));
    EXPECT_EQ(StoredText(L"BrowsePath"), L"C:\\Driver backups");

    // The next start reads them back; the close box stores them the same way.
    frame.reset();
    quitCode = -1;
    Start();
    EXPECT_EQ(frame->BrowsePath(), L"C:\\Driver backups");
    const RECT restored = frame->WindowRect();
    EXPECT_EQ(restored.left, 100);
    EXPECT_EQ(restored.top, 80);
    ChooseFolderInSave(L"D:\\Elsewhere");
    ::SetWindowPos(*frame, nullptr, 60, 40, 780, 610, SWP_NOZORDER);
    frame->Send(WM_SYSCOMMAND, SC_CLOSE);
    ASSERT_TRUE(WaitForDestruction());
    EXPECT_EQ(quitCode, 1);
    ASSERT_TRUE(StoredPlacement(L"MainDlgPlacement", main));
    EXPECT_EQ(main.normal.left, 60);
    EXPECT_EQ(main.normal.right, 840);
    EXPECT_EQ(StoredText(L"BrowsePath"), L"D:\\Elsewhere");
}

TEST_F(MainWindowClosing, ASecondStartRestoresAMaximizedWindow)
{
    Start();
    frame->Show(SW_MAXIMIZE);
    Pump();
    ASSERT_TRUE(::IsZoomed(*frame));
    const RECT normal = NormalRect(*frame);
    frame->Post(WM_CLOSE);
    ASSERT_TRUE(WaitForDestruction());
    frame.reset();

    Start(SW_SHOWNORMAL);
    EXPECT_TRUE(::IsZoomed(*frame)) << "maximized as it was left";
    const RECT restoredNormal = NormalRect(*frame);
    EXPECT_TRUE(::EqualRect(&normal, &restoredNormal));
}

TEST_F(MainWindowClosing, ACloseDuringAScanWaitsForTheScanToEnd)
{
    // Right after creation the scan thread waits for this thread to serve its messages, so
    // the scan is certainly still running here.
    Create();
    ASSERT_TRUE(frame->IsScanning());
    frame->Send(WM_COMMAND, ID_DEVICE_REFRESH);
    frame->Send(WM_CLOSE);
    EXPECT_TRUE(frame->IsWindow()) << "not destroyed under the scan thread";
    EXPECT_FALSE(SettingsKeyExists()) << "nothing saved yet";

    ASSERT_TRUE(WaitForDestruction());
    EXPECT_FALSE(frame->IsScanning());
    EXPECT_EQ(quitCode, 1);
    EXPECT_EQ(scanFlags.size(), 1u) << "the Refresh during the scan started no second scan";
    EXPECT_FALSE(frame->Devices().Devices().empty()) << "the scan ran to its end";
    PlacementRecord main;
    EXPECT_TRUE(StoredPlacement(L"MainDlgPlacement", main)) << "the settings saved once the scan ended";
}

TEST_F(MainWindowClosing, CommandsOnTheScansRecordsWaitForItAndTheOthersDoNot)
{
    Start();
    frame->View().Tree().ToggleCheck(ThirdPartyClassNode());
    TempFolder noWindows;
    actions.chosenImage = noWindows.path();
    // The scan thread waits for this thread to serve its messages: the scan runs throughout.
    frame->StartScan();
    ASSERT_TRUE(frame->IsScanning());
    for (UINT id : {ID_DEVICE_REFRESH, ID_DEVICE_DRIVER_FILES, ID_DEVICE_SAVE, ID_DEVICE_RESTORE, ID_DEVICE_EXPORT,
                    ID_DEVICE_VERIFY, ID_DEVICE_OPEN_OFFLINE, ID_DEVICE_SHOW_THIS_PC, ID_VIEW_PRESENT_ONLY,
                    ID_VIEW_MICROSOFT_DRIVERS, ID_DEVICE_SAVE_SELECTED, ID_DEVICE_PROPERTY_SHEET,
                    ID_TOOLS_DEVICE_MANAGER, ID_HELP_CONTENTS, ID_HELP_HOMEPAGE, ID_APP_ABOUT})
        frame->Send(WM_COMMAND, id);
    const RecordedActions& recorded = Recorded();
    EXPECT_TRUE(recorded.saves.empty() && recorded.driverFiles.empty() && recorded.deviceProperties.empty());
    EXPECT_TRUE(recorded.restores.empty() && recorded.verifications.empty() && recorded.exports.empty());
    EXPECT_TRUE(services.messages.boxes().empty()) << "no offline Windows was opened";
    EXPECT_TRUE(MenuChecked(ID_VIEW_PRESENT_ONLY) && MenuChecked(ID_VIEW_MICROSOFT_DRIVERS)) << "no toggle changed";
    EXPECT_EQ(recorded.deviceManager + recorded.help + recorded.homePage + recorded.about, 4)
        << "what does not use the scan's records runs at once";

    WaitForScan();
    EXPECT_EQ(scanFlags.size(), 2u) << "the scan started here and none by Refresh";
    frame->Send(WM_COMMAND, ID_DEVICE_VERIFY);
    EXPECT_EQ(Recorded().verifications.size(), 1u) << "the command runs once the scan is over";
}

TEST_F(MainWindowClosing, ScreenshotsOfTheWindowInUse)
{
    Start();
    const HTREEITEM fixtureClass = ThirdPartyClassNode();
    ASSERT_NE(fixtureClass, nullptr);
    const std::vector<HTREEITEM> devices = Children(fixtureClass);
    tree.Expand(fixtureClass);
    frame->View().Tree().ToggleCheck(devices[0]);
    const HTREEITEM firstClass = tree.GetChildItem(tree.GetRootItem());
    tree.Expand(firstClass);
    frame->View().Tree().ToggleCheck(firstClass);
    tree.SelectItem(devices[1]);
    ::SetFocus(frame->View().Tree());
    EXPECT_EQ(tree.GetStateImage(fixtureClass), 3);
    EXPECT_EQ(tree.GetStateImage(tree.GetRootItem()), 3);
    EXPECT_TRUE(SaveScreenshot(*frame, L"main-window-ticks-and-mixed"));

    // The Device menu, pictured from within the menu's own loop, then closed again. A window
    // of another test program on the same display can take the activation, which closes the
    // menu before it is pictured; the frame is then activated and the menu opened again.
    bool pictured = false;
    for (int attempt = 0; attempt < 5 && !pictured; ++attempt) {
        ::SetForegroundWindow(*frame);
        ModalScript script([&] {
            const HWND popup = FindOwnWindow(L"#32768");
            if (!popup)
                return false;
            pictured = SaveScreenshot(*frame, L"main-window-menu-open") && SaveScreenshot(popup, L"main-window-menu");
            ::EndMenu();
            return true;
        });
        frame->Send(WM_SYSCOMMAND, SC_KEYMENU, L'd');
    }
    EXPECT_TRUE(pictured);
}
