// The driver files dialog on a device whose file set is replayed: the list it shows and its
// order, the status line, closing during discovery, where it opens, its sizes at the DPI and
// repainting when it grows, and saving the device; the choice of the target folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "discovery/SystemFolders.h"
#include "framework/Dpi.h"
#include "platform/ScopedCom.h"
#include "tests/saving/SavingTestSupport.h"
#include "tests/support/CachedDevices.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestShellServices.h"
#include "ui/SystemFolderPicker.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestWindow.h"
#include "ui/CDriverFilesDlg.h"
#include "ui/ShellActions.h"

namespace {

const DWORD kTimeoutMs = 20000;

struct Row {
    std::wstring name;
    std::wstring size;
    std::wstring date;
    bool operator==(const Row& other) const { return name == other.name && size == other.size && date == other.date; }
};

std::vector<Row> Rows(const CDriverFilesDlg& dialog)
{
    const HWND list = dialog.GetItem(IDC_FILE_LIST).get();
    std::vector<Row> rows;
    const int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        rows.push_back({ListItemText(list, i, 0), ListItemText(list, i, 1), ListItemText(list, i, 2)});
    return rows;
}

std::vector<std::wstring> Names(const CDriverFilesDlg& dialog)
{
    std::vector<std::wstring> names;
    for (const Row& row : Rows(dialog))
        names.push_back(row.name);
    return names;
}

std::wstring StatusText(const CDriverFilesDlg& dialog)
{
    wchar_t text[256] = L"";
    dialog.GetItem(IDC_STATUS_BAR).Send(SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

bool Idle(const CDriverFilesDlg& dialog)
{
    return dialog.IsVisible() && WindowText(dialog.GetItem(IDOK).get()) == L"&Close";
}

// A click on a column header, as the header control reports it to the list.
void ClickColumn(const CDriverFilesDlg& dialog, int column)
{
    const HWND list = dialog.GetItem(IDC_FILE_LIST).get();
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = list;
    click.hdr.idFrom = IDC_FILE_LIST;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    dialog.Send(WM_NOTIFY, IDC_FILE_LIST, reinterpret_cast<LPARAM>(&click));
}

std::wstring DateOf(const FILETIME& time)
{
    SYSTEMTIME date;
    ::FileTimeToSystemTime(&time, &date);
    wchar_t text[128] = L"";
    ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &date, nullptr, text, 128);
    return text;
}

class DriverFilesDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::MoveWindow(owner.get(), 50, 50, 900, 800, FALSE);
        ::ShowWindow(owner.get(), SW_SHOWNORMAL);
        // Found in this order, none of them in name order.
        device = &devices.Add(L"Network adapters", L"Contoso Gigabit Adapter",
            {devices.Payload(L"b.sys", std::string(1000, 'b'), oldTime), CachedDevices::Missing(L"c.cat"),
                devices.Payload(L"A.inf", std::string(999, 'a'), newTime)});
    }
    void TearDown() override { RemoveLogsInTemp(); }

    const FILETIME oldTime = TimeOfDay(2019, 3, 4, 10, 0);
    const FILETIME newTime = TimeOfDay(2019, 3, 4, 10, 5);
    CachedDevices devices;
    DeviceInfo* device = nullptr;
    PlacementRecord placement;
    std::wstring targetFolder;
    TestWindow owner;
    TestShellServices services;
};

} // namespace

TEST_F(DriverFilesDialogTest, ListsTheSetSortedByNameWithSizesDatesAndTotals)
{
    CDriverFilesDlg dialog(placement, device, targetFolder, services.Services());
    std::vector<Row> rows;
    std::wstring title, status;
    bool buttonsEnabled = false;
    ModalScript script([&] {
        if (!Idle(dialog))
            return false;
        rows = Rows(dialog);
        title = WindowText(dialog.get());
        status = StatusText(dialog);
        buttonsEnabled = dialog.GetItem(IDC_SAVE).IsEnabled() && dialog.GetItem(IDC_DEVICE_PROPERTIES).IsEnabled();
        SaveScreenshot(dialog.get(), NameAtDpi(L"driver-files-dialog", ExpectedTestDpi()));
        dialog.Send(WM_COMMAND, IDOK);
        return true;
    });
    EXPECT_EQ(dialog.DoModal(owner.get()), IDOK);
    EXPECT_EQ(title, L"Contoso Gigabit Adapter");
    EXPECT_EQ(rows,
        (std::vector<Row>{{L"A.inf", L"999", DateOf(newTime)}, {L"b.sys", L"1000", DateOf(oldTime)},
            {L"c.cat", L"0", DateOf(FILETIME{0, 0})}}));
    EXPECT_EQ(DateOf(FILETIME{0, 0}).find(L"1601") != std::wstring::npos, true);
    EXPECT_EQ(status, L"Files: 3, Total size: 1 KB");
    EXPECT_TRUE(buttonsEnabled);
}

TEST_F(DriverFilesDialogTest, ColumnClicksSortBySizeUpThenDownThenByDate)
{
    CDriverFilesDlg dialog(placement, device, targetFolder, services.Services());
    std::vector<std::wstring> bySize, bySizeDown, byDate;
    ModalScript script([&] {
        if (!Idle(dialog))
            return false;
        ClickColumn(dialog, 1);
        bySize = Names(dialog);
        ClickColumn(dialog, 1);
        bySizeDown = Names(dialog);
        ClickColumn(dialog, 2);
        byDate = Names(dialog);
        dialog.Send(WM_COMMAND, IDCANCEL);
        return true;
    });
    EXPECT_EQ(dialog.DoModal(owner.get()), IDCANCEL);
    EXPECT_EQ(bySize, (std::vector<std::wstring>{L"c.cat", L"A.inf", L"b.sys"}));
    EXPECT_EQ(bySizeDown, (std::vector<std::wstring>{L"b.sys", L"A.inf", L"c.cat"}));
    EXPECT_EQ(byDate, (std::vector<std::wstring>{L"c.cat", L"b.sys", L"A.inf"})) << "five minutes apart";
}

TEST_F(DriverFilesDialogTest, RowsOutliveTheDevicesCachedSet)
{
    // A discovery that fails part way empties the device's cached set; rows that pointed into
    // it would then be sorted or double-clicked through freed records.
    CDriverFilesDlg dialog(placement, device, targetFolder, services.Services());
    bool pointIntoCache = true;
    std::vector<std::wstring> bySize;
    ModalScript script([&] {
        if (!Idle(dialog))
            return false;
        const HWND list = dialog.GetItem(IDC_FILE_LIST).get();
        pointIntoCache = false;
        for (int i = 0; i < 3; ++i) {
            LVITEMW item = {};
            item.mask = LVIF_PARAM;
            item.iItem = i;
            ::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
            for (const DriverFile& cached : device->files)
                pointIntoCache = pointIntoCache || item.lParam == reinterpret_cast<LPARAM>(&cached);
        }
        device->files.clear();
        ClickColumn(dialog, 1);
        bySize = Names(dialog);
        dialog.Send(WM_COMMAND, IDOK);
        return true;
    });
    dialog.DoModal(owner.get());
    EXPECT_FALSE(pointIntoCache);
    EXPECT_EQ(bySize, (std::vector<std::wstring>{L"c.cat", L"A.inf", L"b.sys"}));
}

TEST_F(DriverFilesDialogTest, OpeningTwiceListsTheSameFiles)
{
    std::vector<Row> first, second;
    for (std::vector<Row>* rows : {&first, &second}) {
        CDriverFilesDlg dialog(placement, device, targetFolder, services.Services());
        ModalScript script([&] {
            if (!Idle(dialog))
                return false;
            *rows = Rows(dialog);
            dialog.Send(WM_COMMAND, IDOK);
            return true;
        });
        dialog.DoModal(owner.get());
    }
    EXPECT_EQ(first.size(), 3u);
    EXPECT_EQ(first, second);
}

TEST_F(DriverFilesDialogTest, EscDuringDiscoveryClosesOnceTheWorkerNotices)
{
    CDriverFilesDlg dialog(placement, device, targetFolder, services.Services());
    bool pressed = false;
    std::wstring buttonText;
    size_t rowsWhenPressed = 0;
    SentMessageWatch watch([&](HWND window, UINT message, WPARAM, LPARAM) {
        // Only the worker's progress: the dialog itself also resets the bar when it starts.
        if (pressed || !::InSendMessage() || message != PBM_SETPOS
            || ::GetParent(window) != dialog.GetItem(IDC_STATUS_BAR).get())
            return;
        pressed = true;
        dialog.Send(WM_COMMAND, IDCANCEL);
        buttonText = WindowText(dialog.GetItem(IDOK).get());
        rowsWhenPressed = Rows(dialog).size();
    });
    EXPECT_EQ(dialog.DoModal(owner.get()), 0) << "ended by the worker's stop, not by the key";
    EXPECT_TRUE(pressed);
    EXPECT_EQ(buttonText, L"&Cancel") << "nothing changes on screen at once";
    EXPECT_EQ(rowsWhenPressed, 0u);
}

TEST_F(DriverFilesDialogTest, OpensCentredThenWhereItWasClosedButNeverMaximized)
{
    RECT first = {};
    {
        CDriverFilesDlg dialog(placement, device, targetFolder, services.Services());
        ModalScript script([&] {
            if (!Idle(dialog))
                return false;
            first = dialog.WindowRect();
            ::MoveWindow(dialog.get(), 40, 50, 600, 500, TRUE);
            ::ShowWindow(dialog.get(), SW_MAXIMIZE);
            // The close box: WM_CLOSE records the placement, then arrives as IDCANCEL.
            dialog.Post(WM_SYSCOMMAND, SC_CLOSE);
            return true;
        });
        EXPECT_EQ(dialog.DoModal(owner.get()), IDCANCEL);
    }
    const RECT ownerRect = CWindow(owner.get()).WindowRect();
    EXPECT_NEAR((first.left + first.right) / 2, (ownerRect.left + ownerRect.right) / 2, 1);
    EXPECT_NEAR((first.top + first.bottom) / 2, (ownerRect.top + ownerRect.bottom) / 2, 1);
    EXPECT_EQ(placement.maximized, 1);
    EXPECT_EQ(placement.normal.left, 40);
    EXPECT_EQ(placement.normal.bottom, 550);

    RECT reopened = {};
    bool zoomed = true;
    CDriverFilesDlg dialog(placement, device, targetFolder, services.Services());
    ModalScript script([&] {
        if (!Idle(dialog))
            return false;
        reopened = dialog.WindowRect();
        zoomed = ::IsZoomed(dialog.get()) != FALSE;
        dialog.Send(WM_COMMAND, IDOK);
        return true;
    });
    dialog.DoModal(owner.get());
    EXPECT_FALSE(zoomed);
    EXPECT_EQ(reopened.left, 40);
    EXPECT_EQ(reopened.top, 50);
    EXPECT_EQ(reopened.right, 640);
    EXPECT_EQ(reopened.bottom, 550);
}

TEST_F(DriverFilesDialogTest, CannotBeMadeSmallerThanItOpens)
{
    CDriverFilesDlg dialog(placement, device, targetFolder, services.Services());
    RECT opened = {}, shrunk = {};
    ModalScript script([&] {
        if (!Idle(dialog))
            return false;
        opened = dialog.WindowRect();
        ::SetWindowPos(dialog.get(), nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
        shrunk = dialog.WindowRect();
        dialog.Send(WM_COMMAND, IDOK);
        return true;
    });
    dialog.DoModal(owner.get());
    EXPECT_EQ(shrunk.right - shrunk.left, opened.right - opened.left);
    EXPECT_EQ(shrunk.bottom - shrunk.top, opened.bottom - opened.top);
}

TEST_F(DriverFilesDialogTest, SaveAsksForTheFolderStartingAtTheLastOneAndSavesTheDevice)
{
    // Outside the user profile: Wine's folder browser cannot select folders under it.
    const std::wstring chosen = L"C:\\tarnwick-dialog-test\\chosen";
    RemoveTree(L"C:\\tarnwick-dialog-test");
    ASSERT_TRUE(MakeFolders(chosen));
    targetFolder = chosen;
    SystemFolderPicker picker;
    CDriverFilesDlg dialog(placement, device, targetFolder, {services.messages, services.shell, picker, services.systemFolders});
    enum { kStart, kBrowsing, kSaving } stage = kStart;
    std::wstring browseTitle;
    ModalScript script([&] {
        switch (stage) {
        case kStart:
            if (!Idle(dialog))
                return false;
            dialog.Post(WM_COMMAND, IDC_SAVE);
            stage = kBrowsing;
            return false;
        case kBrowsing: {
            // The folder picker where COM reaches this thread (the workers' apartment does),
            // else the older folder browser.
            HWND browse = FindOwnWindow(L"#32770", kBrowseFolderTitle);
            if (!browse)
                browse = FindOwnWindow(L"#32770", L"Browse for Folder");
            if (!browse)
                return false;
            SaveScreenshot(browse, L"browse-for-folder");
            browseTitle = WindowText(browse);
            ::PostMessageW(browse, WM_COMMAND, IDOK, 0);
            stage = kSaving;
            return false;
        }
        case kSaving:
            if (!Idle(dialog))
                return false;
            dialog.Send(WM_COMMAND, IDOK);
            return true;
        }
        return true;
    });
    EXPECT_EQ(dialog.DoModal(owner.get()), IDOK);
    EXPECT_TRUE(browseTitle == L"Browse for Folder" || browseTitle == kBrowseFolderTitle) << browseTitle.c_str();
    EXPECT_EQ(targetFolder, chosen) << "the folder it started at was chosen";
    const std::vector<std::wstring> saved = ListTree(targetFolder);
    // c.cat of the set is missing, so the device folder says it is incomplete.
    EXPECT_NE(std::find(saved.begin(), saved.end(), L"Network adapters\\Contoso Gigabit Adapter (incomplete)\\b.sys"),
              saved.end());
    EXPECT_EQ(services.shell.Opened().size(), 1u) << "the save's log opens when it ends";
    RemoveTree(L"C:\\tarnwick-dialog-test");
}

TEST_F(DriverFilesDialogTest, ScalesItsColumnsAndStatusPartToTheDpiAndTheTextsFit)
{
    const UINT dpi = ExpectedTestDpi();
    CDriverFilesDlg dialog(placement, device, targetFolder, services.Services());
    UINT dialogDpi = 0;
    int widths[3] = {};
    int needed[3] = {};
    int parts[2] = {};
    RECT bar = {};
    ModalScript script([&] {
        if (!Idle(dialog))
            return false;
        dialogDpi = WindowDpi(dialog.get());
        const CWindow list = dialog.GetItem(IDC_FILE_LIST);
        const wchar_t* titles[] = {L"Source file name", L"Size", L"Date"};
        for (int column = 0; column < 3; ++column) {
            widths[column] = static_cast<int>(list.Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
            needed[column] = static_cast<int>(list.Send(LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(titles[column])));
        }
        // The widest date of the list, with the space the list keeps around a cell's text.
        for (const Row& row : Rows(dialog))
            needed[2] = std::max<int>(needed[2], static_cast<int>(list.Send(LVM_GETSTRINGWIDTHW, 0,
                                                                          reinterpret_cast<LPARAM>(row.date.c_str()))));
        const CWindow status = dialog.GetItem(IDC_STATUS_BAR);
        status.Send(SB_GETPARTS, 2, reinterpret_cast<LPARAM>(parts));
        bar = CWindow(::FindWindowExW(status, nullptr, PROGRESS_CLASSW, nullptr)).RectInParent();
        dialog.Send(WM_COMMAND, IDOK);
        return true;
    });
    dialog.DoModal(owner.get());
    ASSERT_EQ(dialogDpi, dpi) << "the prefix's DPI reached the program";
    const int given[] = {200, 85, 95};
    for (int column = 0; column < 3; ++column) {
        EXPECT_EQ(widths[column], ScaleForDpi(given[column], dpi)) << column;
        EXPECT_LE(needed[column] + ScaleForDpi(12, dpi), widths[column]) << column;
    }
    EXPECT_EQ(parts[0], ScaleForDpi(340, dpi));
    EXPECT_EQ(bar.left, ScaleForDpi(3, dpi));
    EXPECT_EQ(bar.right, ScaleForDpi(340, dpi) - ScaleForDpi(3, dpi));
}

TEST_F(DriverFilesDialogTest, GrowingRepaintsTheMovedButtonsAndTheStatusBarWhole)
{
    CDriverFilesDlg dialog(placement, device, targetFolder, services.Services());
    const int moved[] = {IDC_FILE_LIST, IDC_DEVICE_PROPERTIES, IDOK, IDC_SAVE, IDC_STATUS_BAR};
    std::vector<int> stale;
    ModalScript script([&] {
        if (!Idle(dialog))
            return false;
        ::UpdateWindow(dialog.get());
        for (int id : moved)
            ::ValidateRect(dialog.GetItem(id), nullptr);
        const RECT rect = dialog.WindowRect();
        ::SetWindowPos(dialog.get(), nullptr, 0, 0, rect.right - rect.left + 120, rect.bottom - rect.top + 80,
                       SWP_NOMOVE | SWP_NOZORDER);
        for (int id : moved) {
            if (!WhollyInvalid(dialog.GetItem(id)))
                stale.push_back(id);
        }
        dialog.Send(WM_COMMAND, IDOK);
        return true;
    });
    dialog.DoModal(owner.get());
    EXPECT_TRUE(stale.empty()) << "controls left with parts of their old picture: " << stale.size();
}

namespace {

const wchar_t kPickerTestFolder[] = L"C:\\tarnwick-picker-test";

// Runs a folder choice while `act` drives its dialog (found by its title) once it is up.
template <typename Choice>
auto WithFolderDialog(const std::wstring& title, std::function<void(HWND)> act, Choice choice)
{
    ModalScript script([&] {
        const HWND dialog = FindOwnWindow(L"#32770", title);
        if (!dialog)
            return false;
        act(dialog);
        return true;
    });
    auto result = choice();
    EXPECT_TRUE(script.finished()) << "the dialog was seen";
    return result;
}

} // namespace

TEST(TargetFolderChoice, ThePickerOpensOnTheLastFolderAndOkTakesItCancelKeepsIt)
{
    const ScopedCom com(COINIT_APARTMENTTHREADED);
    const std::wstring chosen = std::wstring(kPickerTestFolder) + L"\\last target";
    RemoveTree(kPickerTestFolder);
    ASSERT_TRUE(MakeFolders(chosen));
    TestWindow owner;
    ::ShowWindow(owner.get(), SW_SHOWNORMAL);

    std::wstring path = chosen;
    const FolderChoice ok = WithFolderDialog(kBrowseFolderTitle, [](HWND dialog) {
        SaveScreenshot(dialog, L"folder-picker");
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    }, [&] { return PickFolderWithFileDialog(path, owner.get()); });
    EXPECT_EQ(ok, FolderChoice::Chosen);
    EXPECT_EQ(path, chosen) << "the last target was preselected";

    const FolderChoice cancelled = WithFolderDialog(kBrowseFolderTitle, [](HWND dialog) {
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }, [&] { return PickFolderWithFileDialog(path, owner.get()); });
    EXPECT_EQ(cancelled, FolderChoice::Cancelled);
    EXPECT_EQ(path, chosen);
    RemoveTree(kPickerTestFolder);
}

namespace {

// A dialog window of this thread other than `except`: a property sheet the dialog opened.
HWND OtherDialog(HWND except)
{
    struct Search {
        HWND except;
        HWND found;
    } search = {except, nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM context) {
            auto& state = *reinterpret_cast<Search*>(context);
            wchar_t name[16] = L"";
            ::GetClassNameW(window, name, 16);
            if (window != state.except && ::IsWindowVisible(window) && std::wstring(name) == L"#32770") {
                state.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace

TEST_F(DriverFilesDialogTest, TheListHasTheFocusAndEnterOnAFileOpensItInsteadOfClosing)
{
    CDriverFilesDlg dialog(placement, device, targetFolder, services.Services());
    bool focusOnList = false, openAfterEnter = false;
    std::wstring closeText, propertiesText, saveText;
    int step = 0;
    DWORD pressed = 0;
    ModalScript script([&] {
        const HWND list = dialog.GetItem(IDC_FILE_LIST).get();
        if (step == 0) {
            if (!Idle(dialog))
                return false;
            focusOnList = ::GetFocus() == list;
            closeText = WindowText(dialog.GetItem(IDOK).get());
            propertiesText = WindowText(dialog.GetItem(IDC_DEVICE_PROPERTIES).get());
            saveText = WindowText(dialog.GetItem(IDC_SAVE).get());
            ::SetFocus(list);
            LVITEMW state = {};
            state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            state.state = LVIS_SELECTED | LVIS_FOCUSED;
            ::SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
            // Enter as the keyboard gives it: the dialog manager turns it into the default
            // button's command.
            ::PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
            ::PostMessageW(list, WM_KEYUP, VK_RETURN, 0);
            pressed = ::GetTickCount();
            step = 1;
            return false;
        }
        // A property sheet, where the shell shows one, is closed again.
        if (const HWND sheet = OtherDialog(dialog.get()))
            ::PostMessageW(sheet, WM_CLOSE, 0, 0);
        if (::GetTickCount() - pressed < 500)
            return false;
        openAfterEnter = dialog.IsWindow() && dialog.IsVisible();
        dialog.Send(WM_COMMAND, IDCANCEL);
        return true;
    });
    dialog.DoModal(owner.get());
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(focusOnList) << "the keyboard starts in the list";
    EXPECT_TRUE(openAfterEnter) << "Enter on a file does not close the dialog";
    EXPECT_EQ(closeText, L"&Close");
    EXPECT_EQ(propertiesText, L"Device &properties");
    EXPECT_EQ(saveText, L"&Save");
}

TEST_F(DriverFilesDialogTest, EnterWithNoFileSelectedClosesTheDialog)
{
    CDriverFilesDlg dialog(placement, device, targetFolder, services.Services());
    ModalScript script([&] {
        if (!Idle(dialog))
            return false;
        const HWND list = dialog.GetItem(IDC_FILE_LIST).get();
        ::SetFocus(list);
        ::PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
        return true;
    });
    EXPECT_EQ(dialog.DoModal(owner.get()), IDOK);
}
