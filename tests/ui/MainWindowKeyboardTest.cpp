// The main window by keyboard and mouse, and on a small screen: the focus after dialogs and
// scans, access keys, Enter on a row, the row's context menu (Shift+F10, the Menu key, a
// right-click), and the window on a 1366 x 768 screen at 150 % (this program runs once more
// so, see CMakeLists.txt).
#include <gtest/gtest.h>

#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <functional>
#include <string>
#include <vector>

#include "framework/Dpi.h"
#include "resources/resource.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestWindow.h"
#include "tests/ui/MainFrameHarness.h"

namespace {

std::wstring MenuText(HMENU menu, UINT id)
{
    wchar_t text[128] = L"";
    ::GetMenuStringW(menu, id, text, 128, MF_BYCOMMAND);
    return text;
}

} // namespace

using MainWindow = MainFrameHarness;

TEST_F(MainWindow, KeyboardAloneTicksADeviceAndTheTreeGetsTheFocusBackAfterDialogsAndScans)
{
    Start();
    const HWND treeWindow = frame->View().Tree().get();
    EXPECT_EQ(::GetFocus(), treeWindow) << "the tree has the focus once the window is up";
    PressKey(VK_DOWN);
    PressKey(VK_SPACE);
    PumpFor(300);
    const HTREEITEM second = reinterpret_cast<HTREEITEM>(
        tree.Send(TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, reinterpret_cast<LPARAM>(tree.GetRootItem())));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(tree.GetCaretItem(), second);
    EXPECT_EQ(tree.GetStateImage(second), 2) << "Down, then Space ticks the second row";

    actions.realAbout = true;
    ModalScript about([&] {
        const HWND dialog = FindOwnWindow(L"#32770", L"About");
        if (dialog)
            ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return dialog != nullptr;
    });
    frame->Send(WM_COMMAND, ID_APP_ABOUT);
    Pump();
    ASSERT_TRUE(about.finished());
    EXPECT_EQ(::GetFocus(), treeWindow) << "after a dialog closes";

    TestWindow other;
    ::ShowWindow(other.get(), SW_SHOWNORMAL);
    ::SetForegroundWindow(other.get());
    Pump();
    EXPECT_NE(::GetFocus(), treeWindow);
    ::SetForegroundWindow(*frame);
    Pump();
    EXPECT_EQ(::GetFocus(), treeWindow) << "after the window is activated again";

    frame->Send(WM_COMMAND, ID_DEVICE_REFRESH);
    WaitForScan();
    EXPECT_EQ(::GetFocus(), treeWindow) << "after a scan, which disables the window";

    EXPECT_EQ(MenuText(frame->Menu().get(), ID_VIEW_PRESENT_ONLY), L"Show &only present devices");
    EXPECT_EQ(MenuText(frame->Menu().get(), ID_VIEW_MICROSOFT_DRIVERS), L"Show devices with drivers from &Microsoft");
}

namespace {

// What an open context menu offered: each item's text and whether it could be chosen.
struct MenuSeen {
    std::vector<std::wstring> texts;
    std::vector<bool> enabled;
};

// Waits for the context menu, notes its items (and takes a picture of it when a name is
// given), then presses `key` in it.
std::function<bool()> ChooseInMenu(MenuSeen& seen, WORD key, const std::wstring& picture = L"")
{
    return [&seen, key, picture] {
        const HWND menuWindow = FindOwnWindow(L"#32768");
        if (!menuWindow)
            return false;
        if (!picture.empty()) {
            EXPECT_TRUE(SaveScreenshot(menuWindow, picture));
        }
        const auto menu = reinterpret_cast<HMENU>(::SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
        for (int i = 0; menu && i < ::GetMenuItemCount(menu); ++i) {
            wchar_t text[64] = L"";
            ::GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
            seen.texts.push_back(text);
            seen.enabled.push_back((::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)) == 0);
        }
        PressKey(key);
        return true;
    };
}

} // namespace

TEST_F(MainWindow, EnterOnADeviceRowListsItsDriverFiles)
{
    Start();
    const HTREEITEM device = FindNode(ThirdPartyClassNode(), ThirdPartyDeviceNames()[0]);
    ASSERT_NE(device, nullptr);
    ASSERT_TRUE(tree.SelectItem(device));
    ASSERT_EQ(::GetFocus(), frame->View().Tree().get());
    PressKey(VK_RETURN);
    PumpFor(300);
    ASSERT_EQ(Recorded().driverFiles.size(), 1u);
    EXPECT_EQ(Recorded().driverFiles[0], reinterpret_cast<DeviceInfo*>(tree.GetItemData(device)));

    ASSERT_TRUE(tree.SelectItem(ThirdPartyClassNode()));
    PressKey(VK_RETURN);
    PumpFor(300);
    EXPECT_EQ(Recorded().driverFiles.size(), 1u) << "a class row has no driver files";
}

TEST_F(MainWindow, ShiftF10AndTheMenuKeyOpenTheRowsContextMenuWhoseItemsActOnThatDevice)
{
    Start();
    const HTREEITEM device = FindNode(ThirdPartyClassNode(), ThirdPartyDeviceNames()[0]);
    ASSERT_NE(device, nullptr);
    ASSERT_TRUE(tree.SelectItem(device));
    auto* record = reinterpret_cast<DeviceInfo*>(tree.GetItemData(device));

    MenuSeen seen;
    {
        ModalScript script(ChooseInMenu(seen, 'F', L"main-window-context-menu"));
        PressKeys({VK_SHIFT, VK_F10});
        PumpFor(1000);
        EXPECT_TRUE(script.finished()) << "Shift+F10 opens the menu";
    }
    EXPECT_EQ(seen.texts, (std::vector<std::wstring>{L"Driver &files...", L"&Save device driver...", L"", L"Device &properties"}));
    EXPECT_EQ(seen.enabled, (std::vector<bool>{true, true, false, true})) << "all but the separator";
    ASSERT_EQ(Recorded().driverFiles.size(), 1u) << "F chose Driver files";
    EXPECT_EQ(Recorded().driverFiles[0], record);

    MenuSeen again;
    {
        ModalScript script(ChooseInMenu(again, 'S'));
        PressKey(VK_APPS);
        PumpFor(1000);
        EXPECT_TRUE(script.finished()) << "the Menu key opens it too";
    }
    ASSERT_EQ(Recorded().saves.size(), 1u) << "S saved this one device, ticked or not";
    EXPECT_EQ(Recorded().saves[0], std::vector<DeviceInfo*>{record});
    EXPECT_TRUE(services.messages.boxes().empty());

    // On a class row the device's items cannot be chosen.
    ASSERT_TRUE(tree.SelectItem(ThirdPartyClassNode()));
    MenuSeen onClass;
    {
        ModalScript script(ChooseInMenu(onClass, VK_ESCAPE));
        frame->View().Tree().Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(frame->View().Tree().get()), -1);
        EXPECT_TRUE(script.finished());
    }
    EXPECT_EQ(onClass.enabled, (std::vector<bool>{false, false, false, false}));
}

TEST_F(MainWindow, ARightClickSelectsTheRowUnderThePointerAndItsMenuOpensTheDevicesProperties)
{
    Start();
    const HTREEITEM fixtureClass = ThirdPartyClassNode();
    tree.Expand(fixtureClass);
    const HTREEITEM device = FindNode(fixtureClass, ThirdPartyDeviceNames()[1]);
    ASSERT_NE(device, nullptr);
    ASSERT_TRUE(tree.SelectItem(fixtureClass));
    RECT label = {};
    ASSERT_TRUE(tree.GetItemRect(device, label, true));
    const LPARAM point = MAKELPARAM(label.left + 4, (label.top + label.bottom) / 2);

    // The tree reports the click at the pointer's place on screen.
    POINT onScreen = {GET_X_LPARAM(point) + frame->View().ScrollOffset(), GET_Y_LPARAM(point)};
    ::ClientToScreen(tree, &onScreen);
    ::SetCursorPos(onScreen.x, onScreen.y);
    MenuSeen seen;
    {
        ModalScript script(ChooseInMenu(seen, 'P'));
        tree.Post(WM_RBUTTONUP, 0, point);
        tree.Send(WM_RBUTTONDOWN, MK_RBUTTON, point);
        PumpFor(1000);
        EXPECT_TRUE(script.finished()) << "the right-click opened the menu";
    }
    EXPECT_EQ(tree.GetCaretItem(), device);
    ASSERT_EQ(Recorded().deviceProperties.size(), 1u) << "P chose Device properties";
    EXPECT_EQ(Recorded().deviceProperties[0], reinterpret_cast<DeviceInfo*>(tree.GetItemData(device)));
    EXPECT_EQ(Recorded().lastOwner, frame->get());
}

using MainWindowSmallScreen = MainFrameHarness;

TEST_F(MainWindowSmallScreen, OpensWithinTheWorkAreaWithItsStatusBarAndCanBeMadeSmaller)
{
    Start();
    const UINT dpi = frame->Dpi();
    RECT work = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const RECT rect = frame->WindowRect();
    EXPECT_EQ(rect.right - rect.left, std::min<LONG>(ScaleForDpi(760, dpi), work.right - work.left));
    EXPECT_EQ(rect.bottom - rect.top, std::min<LONG>(ScaleForDpi(600, dpi), work.bottom - work.top));
    EXPECT_GE(rect.left, work.left);
    EXPECT_GE(rect.top, work.top);
    EXPECT_LE(rect.right, work.right);
    EXPECT_LE(rect.bottom, work.bottom);
    const RECT status = frame->StatusBar().WindowRect();
    EXPECT_LE(status.bottom, work.bottom) << "the status bar is on screen";
    if (work.bottom - work.top == 768 && dpi == 144) {
        EXPECT_EQ(rect.right - rect.left, 1140);
        EXPECT_EQ(rect.bottom - rect.top, 768) << "as high as the screen, not 900";
    }
    EXPECT_TRUE(SaveScreenshot(*frame, NameAtDpi(L"main-window-small-screen", dpi)));

    MINMAXINFO limits = {};
    frame->Send(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, ScaleForDpi(480, dpi));
    EXPECT_EQ(limits.ptMinTrackSize.y, ScaleForDpi(320, dpi));
    ::SetWindowPos(*frame, nullptr, 0, 0, limits.ptMinTrackSize.x, limits.ptMinTrackSize.y, SWP_NOMOVE | SWP_NOZORDER);
    const RECT shrunk = frame->WindowRect();
    EXPECT_EQ(shrunk.right - shrunk.left, ScaleForDpi(480, dpi));
    EXPECT_EQ(shrunk.bottom - shrunk.top, ScaleForDpi(320, dpi));
    const RECT client = frame->ClientRect();
    const RECT statusInFrame = frame->StatusBar().RectInParent();
    EXPECT_EQ(statusInFrame.bottom, client.bottom) << "the status bar stays at the bottom";
    EXPECT_EQ(statusInFrame.right, client.right);
    const RECT view = frame->View().RectInParent();
    EXPECT_EQ(view.bottom, statusInFrame.top);
    EXPECT_GT(view.bottom - view.top, 0) << "rows still show";
    EXPECT_TRUE(SaveScreenshot(*frame, NameAtDpi(L"main-window-smallest", dpi)));
}

TEST_F(MainWindow, TheMainKeyboardsPlusAndMinusCloseAndOpenAClass)
{
    Start();
    const HTREEITEM fixtureClass = ThirdPartyClassNode();
    ASSERT_NE(fixtureClass, nullptr);
    tree.Expand(fixtureClass);
    ASSERT_TRUE(tree.SelectItem(fixtureClass));
    ASSERT_EQ(::GetFocus(), frame->View().Tree().get());
    const auto expanded = [&] { return (tree.GetItemState(fixtureClass, TVIS_EXPANDED) & TVIS_EXPANDED) != 0; };
    PressKey(VK_OEM_MINUS);
    PumpFor(300);
    EXPECT_FALSE(expanded()) << "- beside the 0 key";
    PressKeys({VK_SHIFT, VK_OEM_PLUS});
    PumpFor(300);
    EXPECT_TRUE(expanded()) << "Shift and the = key give +";
    EXPECT_EQ(tree.GetCaretItem(), fixtureClass);
}

TEST_F(MainWindow, EveryItemOfEachMenuHasAnAccessKeyOfItsOwn)
{
    Start();
    const HMENU bar = frame->Menu().get();
    ASSERT_EQ(::GetMenuItemCount(bar), 3) << "Device, Tools and Help";
    for (int popup = 0; popup < ::GetMenuItemCount(bar); ++popup) {
        const HMENU menu = ::GetSubMenu(bar, popup);
        ASSERT_NE(menu, nullptr);
        ASSERT_GT(::GetMenuItemCount(menu), 0);
        std::wstring keys;
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            wchar_t text[128] = L"";
            if (::GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION) == 0)
                continue;  // a separator
            const wchar_t* amp = std::wcschr(text, L'&');
            ASSERT_TRUE(amp && amp[1]) << "no access key: " << testing::PrintToString(std::wstring(text));
            const wchar_t key = static_cast<wchar_t>(std::towlower(amp[1]));
            EXPECT_EQ(keys.find(key), std::wstring::npos) << "taken twice: " << testing::PrintToString(std::wstring(text));
            keys += key;
        }
    }
}
