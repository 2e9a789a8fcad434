// The main window driven by real input at the program's DPI (this suite runs again at 144
// DPI, see CMakeLists.txt): Alt+F4 closes it as the close box does, the offline view's
// commands, and the status bar's word on what a command did.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "resources/resource.h"
#include "tests/ui/MainFrameHarness.h"
#include "ui/Settings.h"

using MainWindowInput = MainFrameHarness;

TEST_F(MainWindowInput, AltF4ClosesTheWindowAndSavesTheSettingsAsTheCloseBoxDoes)
{
    Start();
    ChooseFolderInSave(L"C:\\Alt F4 backups");
    ::SetForegroundWindow(*frame);
    Pump();
    ASSERT_EQ(::GetFocus(), frame->View().Tree().get()) << "the key goes to the tree, as it does for a user";
    PressKeys({VK_MENU, VK_F4});
    ASSERT_TRUE(WaitForDestruction());
    EXPECT_EQ(quitCode, 1);
    wchar_t stored[64] = L"";
    DWORD size = sizeof(stored);
    EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"BrowsePath", RRF_RT_REG_SZ, nullptr, stored, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(stored, L"C:\\Alt F4 backups");
}

namespace {

std::wstring StatusText(const CWindow& statusBar)
{
    wchar_t text[256] = L"";
    statusBar.Send(SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

} // namespace

TEST_F(MainWindowInput, TheStatusBarSaysWhatASaveDidUntilTheNextCommand)
{
    Start();
    frame->View().Tree().ToggleCheck(ThirdPartyClassNode());
    actions.answer = L"Saved 2 of 2 devices to D:\\Drivers";
    ::SetForegroundWindow(*frame);
    Pump();
    PressKeys({VK_CONTROL, 'S'});
    // Through the frame's accelerator filter, as the program's loop passes keys.
    for (int wait = 0; wait < 15 && Recorded().saves.empty(); ++wait) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        Pump();
    }
    ASSERT_EQ(Recorded().saves.size(), 1u);
    EXPECT_EQ(StatusText(frame->StatusBar()), actions.answer);
    // A menu's prompts come and go over it (the keys are queued before the menu's own loop runs).
    PressKeys({VK_MENU, 'D'});
    PressKey(VK_DOWN);
    PressKey(VK_ESCAPE);
    PressKey(VK_ESCAPE);
    PumpFor(300);
    EXPECT_EQ(StatusText(frame->StatusBar()), actions.answer);
    PressKey(VK_F5);
    for (int wait = 0; wait < 15 && !frame->IsScanning(); ++wait) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        Pump();
    }
    WaitForScan();
    EXPECT_EQ(StatusText(frame->StatusBar()), L"Ready") << "until the next command";
}
