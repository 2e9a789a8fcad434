// The main window in the test prefix with fixture drivers: first start, the toggles, the
// selection and Properties, the save command and the dialog commands; the keyboard focus,
// repainting on resize, the greyed Properties command, and the sizes at the window's DPI
// (this program runs once more at 144 DPI, see CMakeLists.txt).
#include <gtest/gtest.h>

#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <vector>

#include "ui/Settings.h"
#include "ui/ToolbarImages.h"
#include "resources/resource.h"
#include "restore/InstallRights.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Wine.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestWindow.h"
#include "framework/Dpi.h"
#include "platform/ScopedSelectObject.h"
#include "tests/ui/MainFrameHarness.h"

namespace {

bool MenuItemGrayed(HMENU menu, UINT id)
{
    return (::GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

// The INF a device's driver was installed from, as the setup services name it. Known Wine
// difference: the class driver list cannot be built there, so no path is named and the
// driver files search finds the INF by name instead.
void ExpectInfLocated(const std::wstring& infFullPath)
{
    if (RunningUnderWine())
        EXPECT_EQ(infFullPath, L"");
    else
        EXPECT_NE(infFullPath, L"");
}

bool MenuItemEnabled(HMENU menu, UINT id)
{
    return (::GetMenuState(menu, id, MF_BYCOMMAND) & (MF_DISABLED | MF_GRAYED)) == 0;
}

} // namespace

using MainWindow = MainFrameHarness;

TEST_F(MainWindow, FirstStartOpensCentredAt760By600WithBothTogglesOnAndTheDevicesListed)
{
    Start();
    const RECT rect = frame->WindowRect();
    EXPECT_EQ(rect.right - rect.left, 760);
    EXPECT_EQ(rect.bottom - rect.top, 600);
    RECT work = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(rect.left, work.left + (work.right - work.left - 760) / 2);
    EXPECT_EQ(rect.top, work.top + (work.bottom - work.top - 600) / 2);

    for (UINT toggle : {ID_VIEW_PRESENT_ONLY, ID_VIEW_MICROSOFT_DRIVERS}) {
        EXPECT_TRUE(MenuChecked(toggle)) << toggle;
        EXPECT_TRUE(ButtonPressed(toggle)) << toggle;
        EXPECT_FALSE(frame->ToolBar().Send(TB_ISBUTTONCHECKED, toggle)) << "pressed, not a check button";
    }
    EXPECT_EQ(frame->BrowsePath(), L"");
    ASSERT_EQ(scanFlags.size(), 1u);
    EXPECT_EQ(scanFlags[0], static_cast<DWORD>(DIGCF_ALLCLASSES | DIGCF_PRESENT));

    // The tree after the first scan: the fixture's class with all three devices (the system
    // INF's one too, since drivers from Microsoft are shown).
    const HTREEITEM fixtureClass = ThirdPartyClassNode();
    ASSERT_NE(fixtureClass, nullptr);
    EXPECT_EQ(Children(fixtureClass).size(), 3u);
    EXPECT_FALSE(frame->ProgressBar().HasVisibleStyle()) << "the progress bar shows only while scanning";
    EXPECT_EQ(frame->ProgressBar().GetParent().get(), frame->StatusBar().get());
    const RECT bar = frame->ProgressBar().RectInParent();
    EXPECT_EQ(bar.left, 3);
    EXPECT_EQ(bar.top, 3);
    EXPECT_EQ(bar.right, 197) << "the left 200 pixels of the status bar, 3 pixels in";
    EXPECT_EQ(frame->ProgressBar().Send(PBM_GETRANGE, FALSE), 1000);
    EXPECT_TRUE(frame->IsEnabled());
    EXPECT_TRUE(MenuItemGrayed(frame->Menu().get(), ID_DEVICE_PROPERTIES));
    EXPECT_FALSE(frame->ToolBar().Send(TB_ISBUTTONENABLED, ID_DEVICE_PROPERTIES));

    MINMAXINFO limits = {};
    frame->Send(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, 480) << "smaller than it opens, for small screens";
    EXPECT_EQ(limits.ptMinTrackSize.y, 320);

    const auto images = reinterpret_cast<HIMAGELIST>(frame->ToolBar().Send(TB_GETIMAGELIST));
    EXPECT_EQ(::ImageList_GetImageCount(images), 7) << "six pictures, and the restore command's";
    EXPECT_EQ(frame->View().GetId(), IDC_DEVICE_TREE_VIEW);
    EXPECT_EQ(frame->View().GetParent().get(), frame->get());

    EXPECT_TRUE(SaveScreenshot(*frame, L"main-window"));
}

TEST_F(MainWindow, GrowingTheWindowResizesTheViewAndMovesTheStatusBar)
{
    Start();
    const RECT view = frame->View().RectInParent();
    const RECT status = frame->StatusBar().RectInParent();
    ::SetWindowPos(*frame, nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
    const RECT grownView = frame->View().RectInParent();
    const RECT movedStatus = frame->StatusBar().RectInParent();
    EXPECT_EQ(grownView.right - grownView.left, view.right - view.left + 140);
    EXPECT_EQ(grownView.bottom - grownView.top, view.bottom - view.top + 100);
    EXPECT_EQ(movedStatus.top, status.top + 100);
    EXPECT_EQ(movedStatus.right - movedStatus.left, status.right - status.left + 140);
}

TEST_F(MainWindow, PropertiesIsEnabledOnlyWhileADeviceIsSelected)
{
    Start();
    const HTREEITEM fixtureClass = ThirdPartyClassNode();
    ASSERT_NE(fixtureClass, nullptr);
    const HTREEITEM device = Children(fixtureClass).front();

    ASSERT_TRUE(tree.SelectItem(device));
    Pump();
    ASSERT_NE(frame->SelectedDevice(), nullptr);
    EXPECT_EQ(frame->SelectedDevice(), reinterpret_cast<DeviceInfo*>(tree.GetItemData(device)));
    EXPECT_TRUE(MenuItemEnabled(frame->Menu().get(), ID_DEVICE_PROPERTIES));
    EXPECT_TRUE(frame->ToolBar().Send(TB_ISBUTTONENABLED, ID_DEVICE_PROPERTIES));

    for (HTREEITEM heading : {fixtureClass, tree.GetRootItem()}) {
        ASSERT_TRUE(tree.SelectItem(heading));
        Pump();
        EXPECT_EQ(frame->SelectedDevice(), nullptr);
        EXPECT_TRUE(MenuItemGrayed(frame->Menu().get(), ID_DEVICE_PROPERTIES));
        EXPECT_FALSE(frame->ToolBar().Send(TB_ISBUTTONENABLED, ID_DEVICE_PROPERTIES));
    }
    frame->Send(WM_COMMAND, ID_DEVICE_PROPERTIES);
    EXPECT_TRUE(Recorded().driverFiles.empty()) << "no device, no dialog";
}

TEST_F(MainWindow, PropertiesAndDoubleClickOpenTheDriverFilesOfTheSelectedDevice)
{
    Start();
    const HTREEITEM device = FindNode(ThirdPartyClassNode(), ThirdPartyDeviceNames()[0]);
    ASSERT_NE(device, nullptr);
    ASSERT_TRUE(tree.SelectItem(device));
    Pump();
    frame->Send(WM_COMMAND, ID_DEVICE_PROPERTIES);
    ASSERT_EQ(Recorded().driverFiles.size(), 1u);
    EXPECT_EQ(Recorded().driverFiles[0], frame->SelectedDevice());
    ExpectInfLocated(Recorded().driverFilesInfPaths[0]);

    NMHDR doubleClick = {frame->View().Tree().get(), 0, static_cast<UINT>(NM_DBLCLK)};
    frame->Send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&doubleClick));
    EXPECT_EQ(Recorded().driverFiles.size(), 2u);
    NMHDR fromElsewhere = {frame->View().Header().get(), 0, static_cast<UINT>(NM_DBLCLK)};
    frame->Send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&fromElsewhere));
    EXPECT_EQ(Recorded().driverFiles.size(), 2u) << "only the tree's double-clicks count";
}

TEST_F(MainWindow, TogglesRescanWithTheirFlagsAndClearEveryTick)
{
    Start();
    frame->View().Tree().ToggleCheck(tree.GetRootItem());
    ASSERT_EQ(tree.GetStateImage(tree.GetRootItem()), 2);
    ASSERT_TRUE(tree.SelectItem(Children(ThirdPartyClassNode()).front()));
    Pump();

    frame->Send(WM_COMMAND, ID_VIEW_PRESENT_ONLY);
    WaitForScan();
    EXPECT_FALSE(MenuChecked(ID_VIEW_PRESENT_ONLY));
    EXPECT_FALSE(ButtonPressed(ID_VIEW_PRESENT_ONLY));
    ASSERT_EQ(scanFlags.size(), 2u);
    EXPECT_EQ(scanFlags[1], static_cast<DWORD>(DIGCF_ALLCLASSES)) << "every device, present or not";
    EXPECT_EQ(frame->SelectedDevice(), nullptr);
    EXPECT_FALSE(frame->ToolBar().Send(TB_ISBUTTONENABLED, ID_DEVICE_PROPERTIES));
    EXPECT_EQ(tree.GetStateImage(tree.GetRootItem()), 1) << "a new tree starts cleared";
    for (HTREEITEM node : Children(ThirdPartyClassNode()))
        EXPECT_EQ(tree.GetStateImage(node), 1);

    // This time through the toolbar button, as a mouse click makes it.
    RECT button = {};
    ASSERT_TRUE(frame->ToolBar().Send(TB_GETRECT, ID_VIEW_MICROSOFT_DRIVERS, reinterpret_cast<LPARAM>(&button)));
    const LPARAM middle = MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
    frame->ToolBar().Send(WM_LBUTTONDOWN, MK_LBUTTON, middle);
    frame->ToolBar().Send(WM_LBUTTONUP, 0, middle);
    WaitForScan();
    EXPECT_FALSE(MenuChecked(ID_VIEW_MICROSOFT_DRIVERS));
    EXPECT_FALSE(ButtonPressed(ID_VIEW_MICROSOFT_DRIVERS));
    const HTREEITEM fixtureClass = ThirdPartyClassNode();
    ASSERT_NE(fixtureClass, nullptr);
    EXPECT_EQ(FindNode(fixtureClass, InboxDeviceName()), nullptr) << "the system INF's device is hidden";
    EXPECT_EQ(Children(fixtureClass).size(), 2u);

    frame->Send(WM_COMMAND, ID_VIEW_PRESENT_ONLY);
    WaitForScan();
    EXPECT_TRUE(MenuChecked(ID_VIEW_PRESENT_ONLY));
    EXPECT_TRUE(ButtonPressed(ID_VIEW_PRESENT_ONLY));
    EXPECT_EQ(scanFlags.back(), static_cast<DWORD>(DIGCF_ALLCLASSES | DIGCF_PRESENT));

    frame->Send(WM_COMMAND, ID_DEVICE_REFRESH);
    WaitForScan();
    EXPECT_EQ(scanFlags.size(), 5u);
    EXPECT_FALSE(MenuChecked(ID_VIEW_MICROSOFT_DRIVERS)) << "refresh keeps the toggles";
}

TEST_F(MainWindow, CtrlSWithNothingTickedShowsTheMessageAndAsksForNoFolder)
{
    Start();
    EXPECT_TRUE(PressCtrlKey('S'));
    ASSERT_EQ(services.messages.boxes().size(), 1u);
    EXPECT_EQ(services.messages.boxes()[0].text,
              L"No devices selected.\nPlease select (using checkboxes) at least one device to proceed.");
    EXPECT_EQ(services.messages.boxes()[0].caption, L"Error saving driver files");
    EXPECT_EQ(services.messages.boxes()[0].type, static_cast<UINT>(MB_OK | MB_ICONWARNING)) << "with its icon";
    EXPECT_EQ(services.messages.boxes()[0].owner, frame->get());
    EXPECT_TRUE(Recorded().saves.empty());

    // Ticked and cleared again: still nothing to save.
    frame->View().Tree().ToggleCheck(tree.GetRootItem());
    frame->View().Tree().ToggleCheck(tree.GetRootItem());
    PressCtrlKey('S');
    EXPECT_EQ(services.messages.boxes().size(), 2u);
}

TEST_F(MainWindow, SaveHandsOverTheTickedDevicesInTreeOrderWithTheirInfsLocated)
{
    Start();
    const HTREEITEM fixtureClass = ThirdPartyClassNode();
    frame->View().Tree().ToggleCheck(fixtureClass);
    frame->Send(WM_COMMAND, ID_DEVICE_SAVE);
    EXPECT_TRUE(services.messages.boxes().empty());
    ASSERT_EQ(Recorded().saves.size(), 1u);
    const std::vector<DeviceInfo*>& saved = Recorded().saves[0];
    const std::vector<HTREEITEM> nodes = Children(fixtureClass);
    ASSERT_EQ(saved.size(), nodes.size());
    for (size_t i = 0; i < nodes.size(); ++i)
        EXPECT_EQ(saved[i], reinterpret_cast<DeviceInfo*>(tree.GetItemData(nodes[i]))) << i;
    const auto* camera =
        reinterpret_cast<const DeviceInfo*>(tree.GetItemData(FindNode(fixtureClass, ThirdPartyDeviceNames()[0])));
    ExpectInfLocated(camera->infFullPath);
    EXPECT_EQ(Recorded().lastOwner, frame->get());

    // One device of another class as well: still tree order, classes as the tree sorts them.
    frame->View().Tree().ToggleCheck(nodes[1]);
    const HTREEITEM firstClass = tree.GetChildItem(tree.GetRootItem());
    const HTREEITEM firstDevice = tree.GetChildItem(firstClass);
    if (firstClass != fixtureClass && firstDevice)
        frame->View().Tree().ToggleCheck(firstDevice);
    frame->Send(WM_COMMAND, ID_DEVICE_SAVE);
    ASSERT_EQ(Recorded().saves.size(), 2u);
    std::vector<DeviceInfo*> expected;
    if (firstClass != fixtureClass && firstDevice)
        expected.push_back(reinterpret_cast<DeviceInfo*>(tree.GetItemData(firstDevice)));
    expected.push_back(reinterpret_cast<DeviceInfo*>(tree.GetItemData(nodes[0])));
    expected.push_back(reinterpret_cast<DeviceInfo*>(tree.GetItemData(nodes[2])));
    EXPECT_EQ(Recorded().saves[1], expected);
}

TEST_F(MainWindow, CommandsOfTheDialogsReachTheirActionsWithTheFrameAsOwner)
{
    Start();
    frame->Send(WM_COMMAND, ID_TOOLS_DEVICE_MANAGER);
    EXPECT_EQ(Recorded().deviceManager, 1);
    EXPECT_EQ(Recorded().lastOwner, frame->get());
    frame->Send(WM_COMMAND, ID_HELP_CONTENTS);
    EXPECT_EQ(Recorded().help, 1);
    EXPECT_EQ(Recorded().lastOwner, frame->get());
    frame->Send(WM_COMMAND, MAKEWPARAM(ID_HELP_HOMEPAGE, 1));
    EXPECT_EQ(Recorded().homePage, 1) << "accelerator, menu and button alike";
    frame->Send(WM_COMMAND, ID_APP_ABOUT);
    EXPECT_EQ(Recorded().about, 1);
}

TEST_F(MainWindow, RestoreDriversSitsInTheDeviceMenuAndRescansAfterARestore)
{
    Start();
    wchar_t text[64] = L"";
    ASSERT_GT(::GetMenuStringW(frame->Menu().get(), ID_DEVICE_RESTORE, text, 64, MF_BYCOMMAND), 0);
    EXPECT_STREQ(text, L"Res&tore drivers...") << "Alt+D, T";

    // Known Wine difference: every process has an elevated token under Wine, so the restore
    // runs here; on Windows without rights the program would start again with the runas verb.
    ASSERT_TRUE(ProcessIsElevated() || !RunningUnderWine());
    ChooseFolderInSave(L"C:\\Backups");
    frame->Send(WM_COMMAND, ID_DEVICE_RESTORE);
    ASSERT_EQ(Recorded().restores, std::vector<std::wstring>{L"C:\\Backups"});
    EXPECT_EQ(Recorded().lastOwner, frame->get());
    WaitForScan();
    EXPECT_EQ(scanFlags.size(), 2u) << "the devices are scanned again after a restore";
}

TEST_F(MainWindow, StartedForTheRestoreItRunsTheCommandOnceTheFirstScanIsDone)
{
    Create();
    frame->RestoreWhenScanned();
    frame->Show(SW_SHOWNORMAL);
    WaitForScan();
    const DWORD start = ::GetTickCount();
    while (Recorded().restores.empty() && ::GetTickCount() - start < 5000)
        Pump();
    EXPECT_EQ(Recorded().restores.size(), 1u);
    WaitForScan();
    EXPECT_FALSE(frame->RestorePending());
}

TEST_F(MainWindow, PropertiesAndAboutOpenTheRealDialogsOverTheFrame)
{
    Start();
    actions.realDriverFiles = true;
    actions.realAbout = true;
    const HTREEITEM device = FindNode(ThirdPartyClassNode(), ThirdPartyDeviceNames()[0]);
    ASSERT_NE(device, nullptr);
    ASSERT_TRUE(tree.SelectItem(device));
    Pump();

    std::wstring title;
    HWND owner = nullptr;
    ModalScript files([&] {
        const HWND dialog = FindOwnWindow(L"#32770");
        if (!dialog)
            return false;
        title = WindowText(dialog);
        owner = ::GetWindow(dialog, GW_OWNER);
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    frame->Send(WM_COMMAND, ID_DEVICE_PROPERTIES);
    EXPECT_TRUE(files.finished());
    EXPECT_EQ(title, ThirdPartyDeviceNames()[0]) << "the driver files dialog of the selected device";
    EXPECT_EQ(owner, frame->get());

    ModalScript about([&] {
        const HWND dialog = FindOwnWindow(L"#32770", L"About");
        if (!dialog)
            return false;
        owner = ::GetWindow(dialog, GW_OWNER);
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return true;
    });
    frame->Send(WM_COMMAND, ID_APP_ABOUT);
    EXPECT_TRUE(about.finished());
    EXPECT_EQ(owner, frame->get());
}

namespace {

// Handles what arrives for this thread for a while: input comes through the system's queue.
void PumpFor(DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    do {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        PumpMessages();
    } while (::GetTickCount() - start < milliseconds);
}

// Keys pressed in order and let go in reverse, as the keyboard sends them: to whichever window
// has the focus (or the menu that is open).
void PressKeys(std::initializer_list<WORD> keys)
{
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto key = keys.end(); key != keys.begin();) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *--key;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void PressKey(WORD key)
{
    PressKeys({key});
}

std::wstring MenuText(HMENU menu, UINT id)
{
    wchar_t text[128] = L"";
    ::GetMenuStringW(menu, id, text, 128, MF_BYCOMMAND);
    return text;
}

int HeaderItemWidth(const CWindow& header, int index)
{
    HDITEMW item = {};
    item.mask = HDI_WIDTH;
    header.Send(HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return item.cxy;
}

int ImageSize(HIMAGELIST images)
{
    int width = 0, height = 0;
    return ::ImageList_GetIconSize(images, &width, &height) && width == height ? width : -1;
}

// The width of a text in the tree's font.
int TextWidth(const CWindow& tree, const std::wstring& text)
{
    const HDC dc = ::GetDC(tree);
    SIZE size = {};
    {
        const ScopedSelectObject font(dc, tree.GetFont());
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    }
    ::ReleaseDC(tree, dc);
    return size.cx;
}

} // namespace

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

TEST_F(MainWindow, ARescanScrollsTheViewBackToTheLeftEdge)
{
    Start();
    frame->View().SetColumnWidth(0, 2000);
    frame->View().Send(WM_HSCROLL, SB_PAGERIGHT);
    ASSERT_LT(frame->View().ScrollOffset(), 0);
    frame->Send(WM_COMMAND, ID_DEVICE_REFRESH);
    WaitForScan();
    EXPECT_EQ(frame->View().ScrollOffset(), 0);
    EXPECT_EQ(frame->View().Header().RectInParent().left, 0) << "the header shows its first title whole";
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS;
    ::GetScrollInfo(frame->View(), SB_HORZ, &info);
    EXPECT_EQ(info.nPos, 0);
}

TEST_F(MainWindow, GrowingOrMaximisingRepaintsTheBarsAndTheViewWhole)
{
    Start();
    ::UpdateWindow(*frame);
    const HWND children[] = {frame->StatusBar().get(), frame->View().get(), frame->ToolBar().get()};
    for (HWND child : children)
        ::ValidateRect(child, nullptr);
    ::SetWindowPos(*frame, nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
    for (HWND child : children)
        EXPECT_TRUE(WhollyInvalid(child)) << "grown";
    ::UpdateWindow(*frame);

    for (HWND child : children)
        ::ValidateRect(child, nullptr);
    frame->Show(SW_MAXIMIZE);
    EXPECT_TRUE(WhollyInvalid(frame->StatusBar())) << "no stale size grip when maximised";
}

TEST_F(MainWindow, DisabledPropertiesIsGreyedInTheMenuAndOnTheToolbar)
{
    Start();
    EXPECT_TRUE(MenuItemGrayed(frame->Menu().get(), ID_DEVICE_PROPERTIES));
    const auto images = reinterpret_cast<HIMAGELIST>(frame->ToolBar().Send(TB_GETIMAGELIST));
    const auto disabled = reinterpret_cast<HIMAGELIST>(frame->ToolBar().Send(TB_GETDISABLEDIMAGELIST));
    ASSERT_NE(disabled, nullptr);
    ASSERT_NE(disabled, images);
    EXPECT_EQ(::ImageList_GetImageCount(disabled), ::ImageList_GetImageCount(images));
    EXPECT_EQ(::ImageList_GetImageCount(disabled), 7) << "one picture per toolbar command";
    EXPECT_EQ(ImageSize(disabled), ImageSize(images));

    // Image 3 is Properties' picture: its disabled form has no colour left.
    const int size = ImageSize(disabled);
    ASSERT_GT(size, 0);
    BITMAPINFO format = TopDown32(size);
    void* bits = nullptr;
    const UniqueBitmap picture(::CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    const UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    ASSERT_TRUE(picture && dc);
    const ScopedSelectObject selection(dc.get(), picture.get());
    for (HIMAGELIST list : {images, disabled}) {
        const RECT all = {0, 0, size, size};
        ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ASSERT_TRUE(::ImageList_Draw(list, 3, dc.get(), 0, 0, ILD_NORMAL));
        ::GdiFlush();
        int coloured = 0;
        const auto* pixels = static_cast<const uint32_t*>(bits);
        for (int i = 0; i < size * size; ++i) {
            const uint32_t red = (pixels[i] >> 16) & 0xFF, green = (pixels[i] >> 8) & 0xFF, blue = pixels[i] & 0xFF;
            coloured += (red != green || green != blue) ? 1 : 0;
        }
        if (list == images)
            EXPECT_GT(coloured, 0) << "the enabled picture has colour";
        else
            EXPECT_EQ(coloured, 0) << "the disabled picture is grey";
    }
}

TEST_F(MainWindow, MovingToAScreenOf144DpiRescalesEverythingAndBackTo96RestoresTheGivenSizes)
{
    Start();
    if (frame->Dpi() != 96)
        GTEST_SKIP() << "starts from 96 DPI";
    RECT suggested = {10, 10, 1150, 910};
    frame->Send(WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(frame->Dpi(), 144u);
    RECT rect = frame->WindowRect();
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.right - rect.left, 1140);
    EXPECT_EQ(rect.bottom - rect.top, 900);
    MINMAXINFO limits = {};
    frame->Send(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, 720);
    EXPECT_EQ(limits.ptMinTrackSize.y, 480);
    const int atHighDpi[] = {600, 150, 105, 225};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(frame->View().GetColumn(static_cast<size_t>(i)).width, atHighDpi[i]) << i;
        EXPECT_EQ(HeaderItemWidth(frame->View().Header(), i), atHighDpi[i]) << i;
    }
    EXPECT_EQ(ImageSize(frame->View().StateImages()), 24);
    EXPECT_EQ(ImageSize(reinterpret_cast<HIMAGELIST>(frame->ToolBar().Send(TB_GETIMAGELIST))), 48);
    EXPECT_EQ(ImageSize(reinterpret_cast<HIMAGELIST>(frame->ToolBar().Send(TB_GETDISABLEDIMAGELIST))), 48);
    EXPECT_EQ(frame->View().RectInParent().top, 63);
    EXPECT_EQ(frame->View().Header().RectInParent().bottom, SystemMetricForDpi(SM_CYMENU, 144));

    RECT back = {10, 10, 770, 610};
    frame->Send(WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&back));
    const int given[] = {400, 100, 70, 150};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(frame->View().GetColumn(static_cast<size_t>(i)).width, given[i]) << i;
    EXPECT_EQ(ImageSize(frame->View().StateImages()), 16);
    EXPECT_EQ(ImageSize(reinterpret_cast<HIMAGELIST>(frame->ToolBar().Send(TB_GETIMAGELIST))), 32);
    EXPECT_EQ(frame->View().RectInParent().top, 42);
    frame->Send(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, 480);
    EXPECT_EQ(limits.ptMinTrackSize.y, 320);
}

using MainWindowDpi = MainFrameHarness;

TEST_F(MainWindowDpi, SizesFollowTheDpiTheProgramStartsAtAndEveryColumnTextFits)
{
    Start();
    const UINT dpi = frame->Dpi();
    ASSERT_EQ(dpi, ExpectedTestDpi()) << "the prefix's DPI reached the program";
    const RECT rect = frame->WindowRect();
    EXPECT_EQ(rect.right - rect.left, ScaleForDpi(760, dpi));
    EXPECT_EQ(rect.bottom - rect.top, ScaleForDpi(600, dpi));
    if (dpi == 144) {
        EXPECT_EQ(rect.right - rect.left, 1140);
        EXPECT_EQ(rect.bottom - rect.top, 900);
    }
    MINMAXINFO limits = {};
    frame->Send(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, ScaleForDpi(480, dpi));
    EXPECT_EQ(limits.ptMinTrackSize.y, ScaleForDpi(320, dpi));
    EXPECT_EQ(frame->View().RectInParent().top, ScaleForDpi(42, dpi));
    EXPECT_EQ(ImageSize(frame->View().StateImages()), ScaleForDpi(16, dpi));
    EXPECT_EQ(ImageSize(reinterpret_cast<HIMAGELIST>(frame->ToolBar().Send(TB_GETIMAGELIST))), ScaleForDpi(32, dpi));
    EXPECT_GE(static_cast<int>(frame->View().Tree().Send(TVM_GETITEMHEIGHT)), ScaleForDpi(16, dpi))
        << "a row is as high as its check box";
    const RECT bar = frame->ProgressBar().RectInParent();
    EXPECT_EQ(bar.left, ScaleForDpi(3, dpi));
    EXPECT_EQ(bar.right, ScaleForDpi(200, dpi) - ScaleForDpi(3, dpi));

    // Each column holds its title and a typical value of its kind whole, inside the padding (the
    // date as a driver key stores it; the longest, "12-31-2023", needs a few pixels more than
    // the 70 given at 96 DPI and ends in an ellipsis).
    const int given[] = {400, 100, 70, 150};
    const std::wstring samples[] = {L"Tarnwick Test Camera", L"10.0.22621.1", L"11-2-2023", L"Contoso Ltd."};
    const int padding = frame->View().CellPadding();
    for (size_t i = 0; i < 4; ++i) {
        const int width = frame->View().GetColumn(i).width;
        EXPECT_EQ(width, ScaleForDpi(given[i], dpi)) << i;
        EXPECT_LE(TextWidth(frame->View().Tree(), frame->View().GetColumn(i).title) + 2 * padding, width) << i;
        EXPECT_LE(TextWidth(frame->View().Tree(), samples[i]) + 2 * padding, width) << samples[i];
    }
    // And so do the values of the devices listed here.
    for (HTREEITEM node : Children(ThirdPartyClassNode())) {
        const auto* device = reinterpret_cast<const DeviceInfo*>(tree.GetItemData(node));
        ASSERT_NE(device, nullptr);
        EXPECT_LE(TextWidth(frame->View().Tree(), device->driverVersion) + 2 * padding, frame->View().GetColumn(1).width);
        EXPECT_LE(TextWidth(frame->View().Tree(), device->driverDate) + 2 * padding, frame->View().GetColumn(2).width);
    }
    // For the picture: the fixture's devices shown, one of them selected with the sample values.
    const HTREEITEM fixtureClass = ThirdPartyClassNode();
    tree.Expand(fixtureClass);
    const HTREEITEM camera = FindNode(fixtureClass, ThirdPartyDeviceNames()[0]);
    auto* shown = reinterpret_cast<DeviceInfo*>(tree.GetItemData(camera));
    shown->driverVersion = samples[1];
    shown->driverDate = samples[2];
    shown->providerName = samples[3];
    tree.SelectItem(camera);
    EXPECT_TRUE(SaveScreenshot(*frame, NameAtDpi(L"main-window", dpi)));
}

namespace {

// What an open context menu offered: each item's text and whether it could be chosen.
struct MenuSeen {
    std::vector<std::wstring> texts;
    std::vector<bool> enabled;
};

// Waits for the context menu, notes its items, then presses `key` in it.
std::function<bool()> ChooseInMenu(MenuSeen& seen, WORD key)
{
    return [&seen, key] {
        const HWND menuWindow = FindOwnWindow(L"#32768");
        if (!menuWindow)
            return false;
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
        ModalScript script(ChooseInMenu(seen, 'D'));
        PressKeys({VK_SHIFT, VK_F10});
        PumpFor(1000);
        EXPECT_TRUE(script.finished()) << "Shift+F10 opens the menu";
    }
    EXPECT_EQ(seen.texts, (std::vector<std::wstring>{L"&Driver files...", L"&Save device driver...", L"", L"P&roperties"}));
    EXPECT_EQ(seen.enabled, (std::vector<bool>{true, true, false, true})) << "all but the separator";
    ASSERT_EQ(Recorded().driverFiles.size(), 1u) << "D chose Driver files";
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
        ModalScript script(ChooseInMenu(seen, 'R'));
        tree.Post(WM_RBUTTONUP, 0, point);
        tree.Send(WM_RBUTTONDOWN, MK_RBUTTON, point);
        PumpFor(1000);
        EXPECT_TRUE(script.finished()) << "the right-click opened the menu";
    }
    EXPECT_EQ(tree.GetCaretItem(), device);
    ASSERT_EQ(Recorded().deviceProperties.size(), 1u) << "R chose Properties";
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
