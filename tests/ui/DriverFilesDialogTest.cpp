// The driver files dialog on a device whose file set is replayed: the list it shows and its
// order, the status line, closing during discovery, where it opens, and saving the device.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "discovery/SystemFolders.h"
#include "tests/saving/SavingTestSupport.h"
#include "tests/support/CachedDevices.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/OpenVerbRecorder.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestWindow.h"
#include "ui/CDriverFilesDlg.h"

namespace {

const DWORD kTimeoutMs = 20000;

struct Row {
    std::wstring name;
    std::wstring size;
    std::wstring date;
    bool operator==(const Row& other) const { return name == other.name && size == other.size && date == other.date; }
};

std::wstring ItemText(HWND list, int item, int subItem)
{
    wchar_t text[512] = L"";
    LVITEMW request = {};
    request.iSubItem = subItem;
    request.pszText = text;
    request.cchTextMax = 512;
    ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&request));
    return text;
}

std::vector<Row> Rows(const CDriverFilesDlg& dialog)
{
    const HWND list = dialog.GetItem(IDC_FILE_LIST).get();
    std::vector<Row> rows;
    const int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        rows.push_back({ItemText(list, i, 0), ItemText(list, i, 1), ItemText(list, i, 2)});
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
    return dialog.IsVisible() && WindowText(dialog.GetItem(IDOK).get()) == L"Close";
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
        InitSystemFolders();
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
};

} // namespace

TEST_F(DriverFilesDialogTest, ListsTheSetSortedByNameWithSizesDatesAndTotals)
{
    CDriverFilesDlg dialog(placement, device, targetFolder);
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
        SaveScreenshot(dialog.get(), L"driver-files-dialog");
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
    CDriverFilesDlg dialog(placement, device, targetFolder);
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
    CDriverFilesDlg dialog(placement, device, targetFolder);
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
        CDriverFilesDlg dialog(placement, device, targetFolder);
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
    CDriverFilesDlg dialog(placement, device, targetFolder);
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
    EXPECT_EQ(buttonText, L"Cancel") << "nothing changes on screen at once";
    EXPECT_EQ(rowsWhenPressed, 0u);
}

TEST_F(DriverFilesDialogTest, OpensCentredThenWhereItWasClosedButNeverMaximized)
{
    RECT first = {};
    {
        CDriverFilesDlg dialog(placement, device, targetFolder);
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
    CDriverFilesDlg dialog(placement, device, targetFolder);
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
    CDriverFilesDlg dialog(placement, device, targetFolder);
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
    OpenVerbRecorder recorder;
    // Outside the user profile: Wine's folder browser cannot select folders under it.
    const std::wstring chosen = L"C:\\tarnwick-dialog-test\\chosen";
    RemoveTree(L"C:\\tarnwick-dialog-test");
    ASSERT_TRUE(MakeFolders(chosen));
    targetFolder = chosen;
    CDriverFilesDlg dialog(placement, device, targetFolder);
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
            const HWND browse = FindOwnWindow(L"#32770", L"Browse for Folder");
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
    EXPECT_EQ(browseTitle, L"Browse for Folder");
    EXPECT_EQ(targetFolder, chosen) << "the folder it started at was chosen";
    const std::vector<std::wstring> saved = ListTree(targetFolder);
    EXPECT_NE(std::find(saved.begin(), saved.end(), L"Network adapters\\Contoso Gigabit Adapter\\b.sys"), saved.end());
    EXPECT_EQ(recorder.WaitForOpened(1, kTimeoutMs).size(), 1u) << "the save's log opens when it ends";
    RemoveTree(L"C:\\tarnwick-dialog-test");
}
