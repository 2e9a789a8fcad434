// The main window in the test prefix with fixture drivers: first start, the toggles, the
// selection and Properties, the save command and the dialog commands; repainting on resize,
// the greyed Properties command, and the sizes at the window's DPI (this program runs once
// more at 144 DPI, see CMakeLists.txt). The keyboard and the small screen: see
// MainWindowKeyboardTest.cpp.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "ui/Settings.h"
#include "ui/DateText.h"
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
    EXPECT_TRUE(MenuItemGrayed(frame->Menu().get(), ID_DEVICE_DRIVER_FILES));
    EXPECT_FALSE(frame->ToolBar().Send(TB_ISBUTTONENABLED, ID_DEVICE_DRIVER_FILES));

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
    EXPECT_TRUE(MenuItemEnabled(frame->Menu().get(), ID_DEVICE_DRIVER_FILES));
    EXPECT_TRUE(frame->ToolBar().Send(TB_ISBUTTONENABLED, ID_DEVICE_DRIVER_FILES));

    for (HTREEITEM heading : {fixtureClass, tree.GetRootItem()}) {
        ASSERT_TRUE(tree.SelectItem(heading));
        Pump();
        EXPECT_EQ(frame->SelectedDevice(), nullptr);
        EXPECT_TRUE(MenuItemGrayed(frame->Menu().get(), ID_DEVICE_DRIVER_FILES));
        EXPECT_FALSE(frame->ToolBar().Send(TB_ISBUTTONENABLED, ID_DEVICE_DRIVER_FILES));
    }
    frame->Send(WM_COMMAND, ID_DEVICE_DRIVER_FILES);
    EXPECT_TRUE(Recorded().driverFiles.empty()) << "no device, no dialog";
}

TEST_F(MainWindow, PropertiesAndDoubleClickOpenTheDriverFilesOfTheSelectedDevice)
{
    Start();
    const HTREEITEM device = FindNode(ThirdPartyClassNode(), ThirdPartyDeviceNames()[0]);
    ASSERT_NE(device, nullptr);
    ASSERT_TRUE(tree.SelectItem(device));
    Pump();
    frame->Send(WM_COMMAND, ID_DEVICE_DRIVER_FILES);
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

// A rescan frees every record of the scan before: by then the tree holds no row that points at
// one, however often it is repainted meanwhile, and the new rows come after.
TEST_F(MainWindow, RescansDrawNoFreedRecord)
{
    Start();
    ASSERT_GT(tree.Send(TVM_GETCOUNT, 0, 0), 0);
    rowsWhenRecordsGone.clear();
    for (int i = 0; i < 3; ++i) {
        frame->Send(WM_COMMAND, ID_DEVICE_REFRESH);
        WaitForScan();
        ASSERT_NE(ThirdPartyClassNode(), nullptr) << "the new rows are there";
    }
    EXPECT_EQ(rowsWhenRecordsGone, (std::vector<UINT>{0, 0, 0}));
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
    EXPECT_FALSE(frame->ToolBar().Send(TB_ISBUTTONENABLED, ID_DEVICE_DRIVER_FILES));
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
    // The same devices into one zip file.
    frame->Send(WM_COMMAND, ID_DEVICE_SAVE_ZIP);
    ASSERT_EQ(Recorded().zipSaves.size(), 1u);
    EXPECT_EQ(Recorded().zipSaves[0], saved);
    // "Verify after saving" goes with every save while it is ticked (then off, as it was).
    frame->Send(WM_COMMAND, ID_DEVICE_VERIFY_AFTER_SAVE);
    frame->Send(WM_COMMAND, ID_DEVICE_SAVE_ZIP);
    frame->Send(WM_COMMAND, ID_DEVICE_VERIFY_AFTER_SAVE);
    EXPECT_EQ(Recorded().verifiedSaves, (std::vector<bool>{false, false, true}));

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
    EXPECT_STREQ(text, L"Restore &drivers...") << "Alt+D, D";

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

TEST_F(MainWindow, VerifyBackupSitsInTheDeviceMenuAndScansNothingAgain)
{
    Start();
    wchar_t text[64] = L"";
    ASSERT_GT(::GetMenuStringW(frame->Menu().get(), ID_DEVICE_VERIFY, text, 64, MF_BYCOMMAND), 0);
    EXPECT_STREQ(text, L"&Verify backup...") << "Alt+D, V";
    ChooseFolderInSave(L"C:\\Backups");
    frame->Send(WM_COMMAND, ID_DEVICE_VERIFY);
    ASSERT_EQ(Recorded().verifications, std::vector<std::wstring>{L"C:\\Backups"});
    EXPECT_EQ(Recorded().lastOwner, frame->get());
    EXPECT_EQ(scanFlags.size(), 1u) << "verifying changes nothing to rescan";
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
    frame->Send(WM_COMMAND, ID_DEVICE_DRIVER_FILES);
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
    EXPECT_TRUE(MenuItemGrayed(frame->Menu().get(), ID_DEVICE_DRIVER_FILES));
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
    const int atHighDpi[] = {600, 150, 120, 225};
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
    const int given[] = {400, 100, 80, 150};
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
    // date in the user's short date format, as long as it gets).
    const int given[] = {400, 100, 80, 150};
    // The widest short date of the year, in the user's format.
    SYSTEMTIME widest = {};
    widest.wYear = 2023;
    widest.wMonth = 12;
    widest.wDay = 28;
    const std::wstring samples[] = {L"Tarnwick Test Camera", L"10.0.22621.1", ShortDateText(widest), L"Contoso Ltd."};
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
        EXPECT_LE(TextWidth(frame->View().Tree(), ShortDateText(device->driverDay)) + 2 * padding,
                  frame->View().GetColumn(2).width);
    }
    // For the picture: the fixture's devices shown, one of them selected with the sample values.
    const HTREEITEM fixtureClass = ThirdPartyClassNode();
    tree.Expand(fixtureClass);
    const HTREEITEM camera = FindNode(fixtureClass, ThirdPartyDeviceNames()[0]);
    auto* shown = reinterpret_cast<DeviceInfo*>(tree.GetItemData(camera));
    shown->driverVersion = samples[1];
    shown->driverDay = widest;
    shown->providerName = samples[3];
    tree.SelectItem(camera);
    EXPECT_TRUE(SaveScreenshot(*frame, NameAtDpi(L"main-window", dpi)));
}

TEST_F(MainWindow, ExportDeviceListHandsOverTheTickedDevicesOrEveryListedOne)
{
    Start();
    wchar_t text[64] = L"";
    ASSERT_GT(::GetMenuStringW(frame->Menu().get(), ID_DEVICE_EXPORT, text, 64, MF_BYCOMMAND), 0);
    EXPECT_STREQ(text, L"&Export device list...");

    // Nothing ticked: every listed device, in the list's order, listed without a backup.
    frame->Send(WM_COMMAND, ID_DEVICE_EXPORT);
    ASSERT_EQ(Recorded().exports.size(), 1u);
    EXPECT_EQ(Recorded().lastOwner, frame->get());
    const DeviceReport& all = Recorded().exports[0];
    std::vector<std::wstring> listed;
    for (const auto& entry : frame->Devices().Devices())
        listed.push_back(entry.second->instanceId);
    std::vector<std::wstring> exported;
    for (const ReportDevice& device : all.devices) {
        exported.push_back(device.instanceId);
        EXPECT_EQ(device.status, L"listed");
        EXPECT_FALSE(device.folder.has_value());
    }
    EXPECT_EQ(exported, listed);
    EXPECT_FALSE(all.target.has_value());
    EXPECT_FALSE(all.log.has_value());

    // The fixture's class ticked: its devices only, with their IDs from the setup services.
    const HTREEITEM fixtureClass = ThirdPartyClassNode();
    frame->View().Tree().ToggleCheck(fixtureClass);
    frame->Send(WM_COMMAND, ID_DEVICE_EXPORT);
    ASSERT_EQ(Recorded().exports.size(), 2u);
    const std::vector<HTREEITEM> nodes = Children(fixtureClass);
    const DeviceReport& ticked = Recorded().exports[1];
    ASSERT_EQ(ticked.devices.size(), nodes.size());
    for (size_t i = 0; i < nodes.size(); ++i) {
        const auto* device = reinterpret_cast<const DeviceInfo*>(tree.GetItemData(nodes[i]));
        EXPECT_EQ(ticked.devices[i].instanceId, device->instanceId);
        ASSERT_FALSE(ticked.devices[i].hardwareIds.empty());
        EXPECT_EQ(ticked.devices[i].hardwareIds[0], device->hardwareId);
    }
}
