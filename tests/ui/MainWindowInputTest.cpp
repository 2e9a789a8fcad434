// The main window driven by real input at the program's DPI (this suite runs again at 144
// DPI, see CMakeLists.txt): Alt+F4 closes it as the close box does, the offline view's
// commands, and the status bar's word on what a command did.
#include <gtest/gtest.h>

#include <windows.h>

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
