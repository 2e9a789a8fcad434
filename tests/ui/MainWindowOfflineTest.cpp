// The main window showing a Windows that is not running: "Device > Open offline Windows..."
// lists that Windows' devices under its title, "Device > Show this PC" goes back, and a
// folder that is no Windows is refused.
#include <gtest/gtest.h>

#include "platform/LoadedHive.h"
#include "resources/resource.h"
#include "tests/support/HiveFile.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/MainFrameHarness.h"
#include "ui/OfflineWindows.h"

namespace {

const wchar_t kImageGuid[] = L"{3E5F7A9B-1C2D-4E6F-8A0B-C1D2E3F4A5B6}";

// An offline Windows with one third-party device of a class of its own.
void WriteImage(const std::wstring& root)
{
    HiveFileBuilder hive;
    const std::wstring classKey = std::wstring(L"ControlSet001\\Control\\Class\\") + kImageGuid;
    const std::wstring device = L"ControlSet001\\Enum\\ROOT\\TARNWICK_IMAGE\\0000";
    ASSERT_TRUE(hive.SetNumber(L"Select", L"Current", 1));
    ASSERT_TRUE(hive.SetText(classKey, nullptr, L"Devices of the old PC"));
    ASSERT_TRUE(hive.SetText(classKey + L"\\0000", L"InfPath", L"oem42.inf"));
    ASSERT_TRUE(hive.SetText(classKey + L"\\0000", L"InfSection", L"Old_Install"));
    ASSERT_TRUE(hive.SetText(device, L"ClassGUID", kImageGuid));
    ASSERT_TRUE(hive.SetText(device, L"Driver", std::wstring(kImageGuid) + L"\\0000"));
    ASSERT_TRUE(hive.SetText(device, L"DeviceDesc", L"@oem42.inf,%old%;Old Scanner"));
    ASSERT_TRUE(hive.SetText(L"ControlSet001\\Control\\ComputerName\\ComputerName", L"ComputerName", L"OLD-DESK"));
    ASSERT_TRUE(hive.Save(root + L"\\Windows\\System32\\config\\SYSTEM"));
}

class MainWindowOffline : public MainFrameHarness {
protected:
    std::wstring Title() const
    {
        wchar_t text[256] = L"";
        ::GetWindowTextW(frame->get(), text, 256);
        return text;
    }
    bool ShowThisPcEnabled() const
    {
        return (::GetMenuState(frame->Menu().get(), ID_DEVICE_SHOW_THIS_PC, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
    }

    TempFolder image;
};

} // namespace

TEST_F(MainWindowOffline, OpenOfflineWindowsListsItsDevicesUnderItsTitleAndShowThisPcReturns)
{
    WriteImage(image.path());
    Start();
    const std::wstring ownTitle = Title();
    EXPECT_FALSE(ShowThisPcEnabled());

    actions.chosenImage = image.path();
    frame->Send(WM_COMMAND, ID_DEVICE_OPEN_OFFLINE);
    WaitForScan();
    EXPECT_EQ(Title(), ownTitle + L" - " + image.path() + L"\\ (offline)");
    const HTREEITEM oldClass = FindNode(tree.GetRootItem(), L"Devices of the old PC");
    ASSERT_NE(oldClass, nullptr);
    ASSERT_EQ(Children(oldClass).size(), 1u);
    EXPECT_EQ(tree.GetItemText(Children(oldClass)[0]), L"Old Scanner");
    EXPECT_EQ(ThirdPartyClassNode(), nullptr) << "this PC's devices are not shown with the image's";
    ASSERT_FALSE(Recorded().shownSystems.empty());
    EXPECT_EQ(Recorded().shownSystems.back(), image.path() + L"\\") << "the dialogs work on the image's folders";
    EXPECT_TRUE(ShowThisPcEnabled());
    EXPECT_EQ(LoadedHiveNames(), std::vector<std::wstring>()) << "the hive is loaded only while it is read";

    frame->Send(WM_COMMAND, ID_DEVICE_SHOW_THIS_PC);
    WaitForScan();
    EXPECT_EQ(Title(), ownTitle);
    EXPECT_NE(ThirdPartyClassNode(), nullptr);
    EXPECT_EQ(FindNode(tree.GetRootItem(), L"Devices of the old PC"), nullptr);
    EXPECT_EQ(Recorded().shownSystems.back(), L"");
    EXPECT_FALSE(ShowThisPcEnabled());
}

TEST_F(MainWindowOffline, AFolderThatHoldsNoWindowsIsRefusedAndThisPcStays)
{
    Start();
    const std::wstring ownTitle = Title();
    actions.chosenImage = image.path();
    frame->Send(WM_COMMAND, ID_DEVICE_OPEN_OFFLINE);
    WaitForScan();
    ASSERT_EQ(services.messages.boxes().size(), 1u);
    EXPECT_EQ(services.messages.boxes()[0].text, image.path() + L"\\ holds no Windows installation (it has no "
                                                                 L"Windows folder).\n");
    EXPECT_EQ(services.messages.boxes()[0].caption, L"Open offline Windows");
    EXPECT_EQ(Title(), ownTitle);
    EXPECT_NE(ThirdPartyClassNode(), nullptr);
}

// The hive cannot be loaded: the scan finds that out, says so, and shows this PC again.
TEST_F(MainWindowOffline, AHiveThatCannotBeReadIsRefusedAfterTheScanAndThisPcComesBack)
{
    ASSERT_TRUE(WriteFileBytes(image / L"Windows\\System32\\config\\SYSTEM", "damaged"));
    Start();
    const std::wstring ownTitle = Title();
    actions.chosenImage = image.path();
    frame->Send(WM_COMMAND, ID_DEVICE_OPEN_OFFLINE);
    WaitForScan();
    WaitForScan();
    ASSERT_EQ(services.messages.boxes().size(), 1u);
    EXPECT_EQ(services.messages.boxes()[0].text.find(L"The registry of the Windows in " + image.path()), 0u)
        << ::testing::PrintToString(services.messages.boxes()[0].text);
    EXPECT_EQ(Title(), ownTitle);
    EXPECT_NE(ThirdPartyClassNode(), nullptr);
    EXPECT_EQ(LoadedHiveNames(), std::vector<std::wstring>());
}

// A device of an offline Windows is not attached here, and its instance ID may name another
// device of this PC: its properties are never this PC's sheet.
TEST(OfflineDeviceProperties, AreABoxInsteadOfThisPcsSheet)
{
    TestShellServices test;
    test.systemFolders = ReadImageFolders(FolderOf(L"E:\\"), L"AMD64");
    ShowShownDeviceProperties(L"ROOT\\TARNWICK_IMAGE\\0000", nullptr, test.Services());
    ASSERT_EQ(test.messages.boxes().size(), 1u);
    EXPECT_EQ(test.messages.boxes()[0].text, L"This device belongs to an offline Windows: it is not attached to this "
                                             L"PC, so it has no properties here.");
    EXPECT_EQ(test.messages.boxes()[0].caption, L"Open offline Windows");
}

namespace {

bool ItemEnabled(const CMenuHandle& menu, UINT id)
{
    return (::GetMenuState(menu.get(), id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
}

} // namespace

// By real input: the tree's root is the old PC's name, what acts on this PC is off (a click on
// its toolbar button does nothing) with the reason in the status bar, and Show this PC brings
// all of it back with the place the user had in the tree.
TEST_F(MainWindowOffline, CommandsOnThisPcAreOffWithTheirReasonAndTheRootIsThatWindows)
{
    WriteImage(image.path());
    Start();
    const std::wstring ownRoot = tree.GetItemText(tree.GetRootItem());
    tree.Expand(ThirdPartyClassNode());
    actions.chosenImage = image.path();
    frame->Send(WM_COMMAND, ID_DEVICE_OPEN_OFFLINE);
    WaitForScan();
    EXPECT_EQ(tree.GetItemText(tree.GetRootItem()), L"OLD-DESK");
    EXPECT_FALSE(MenuChecked(ID_VIEW_PRESENT_ONLY));
    EXPECT_FALSE(ItemEnabled(frame->Menu(), ID_VIEW_PRESENT_ONLY));
    EXPECT_FALSE(ItemEnabled(frame->Menu(), ID_DEVICE_RESTORE));
    EXPECT_FALSE(ItemEnabled(frame->Menu(), ID_TOOLS_DEVICE_MANAGER));
    wchar_t status[256] = L"";
    frame->StatusBar().Send(SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(status));
    EXPECT_NE(std::wstring(status).find(L"act on this PC"), std::wstring::npos) << status;

    RECT button = {};
    ASSERT_TRUE(frame->ToolBar().Send(TB_GETRECT, ID_DEVICE_RESTORE, reinterpret_cast<LPARAM>(&button)));
    POINT middle = {(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    ::ClientToScreen(frame->ToolBar().get(), &middle);
    ::SetForegroundWindow(*frame);
    Pump();
    ClickOnScreen(middle);
    PumpFor(300);
    EXPECT_TRUE(Recorded().restores.empty()) << "nothing of this PC is restored from the offline view";

    frame->Send(WM_COMMAND, ID_DEVICE_SHOW_THIS_PC);
    WaitForScan();
    EXPECT_EQ(tree.GetItemText(tree.GetRootItem()), ownRoot);
    EXPECT_TRUE(MenuChecked(ID_VIEW_PRESENT_ONLY));
    EXPECT_TRUE(ItemEnabled(frame->Menu(), ID_VIEW_PRESENT_ONLY));
    EXPECT_TRUE(ItemEnabled(frame->Menu(), ID_DEVICE_RESTORE));
    EXPECT_TRUE(tree.GetItemState(ThirdPartyClassNode(), TVIS_EXPANDED) & TVIS_EXPANDED) << "the place is kept";
}
