// The restore dialog on a backup folder in the test's prefix: the packages it lists with
// their status and ticks once the check is done (and a picture of it), Cancel that restores
// nothing, and Restore that installs the ticked packages under the progress dialog and leaves
// the log in the backup folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <numeric>
#include <functional>
#include <memory>

#include "discovery/SystemFolders.h"
#include "tests/fixtures/DriverFixture.h"
#include "tests/saving/SavingTestSupport.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestShellServices.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestWindow.h"
#include "framework/Dpi.h"
#include "ui/CRestoreDlg.h"
#include "ui/CVerifyDlg.h"

namespace {

const int kColumnCount = 6;

struct Row {
    std::vector<std::wstring> texts;
    bool ticked;
};

std::vector<Row> ReadRows(HWND list)
{
    std::vector<Row> rows;
    const int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int item = 0; item < count; ++item) {
        Row row;
        for (int column = 0; column < kColumnCount; ++column)
            row.texts.push_back(ListItemText(list, item, column));
        row.ticked = (::SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_STATEIMAGEMASK) &
                      LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
        rows.push_back(row);
    }
    return rows;
}

std::wstring StatusLine(HWND window)
{
    wchar_t text[128] = L"";
    ::GetDlgItemTextW(window, IDC_RESTORE_STATUS, text, 128);
    return text;
}

fixture::SimpleDriver Driver(const std::wstring& name, const std::wstring& model, const std::wstring& version)
{
    fixture::SimpleDriver driver = fixture::OneModelDriver(name, model, L"ROOT\\TARNWICK_RD_" + name);
    driver.driverVer = L"02/03/2021," + version;
    return driver;
}

class RestoreDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::ShowWindow(owner.get(), SW_SHOWNORMAL);
        backup = sandbox / L"Backup";
        // A device that lost its driver, one whose driver is newer than the backup's, a
        // package for no device here, and one that lacks a file.
        std::wstring error;
        ASSERT_TRUE(fixture::RegisterBareDevice(lost.models[0].hardwareId, L"", lostDevice, error)) << error;
        newer = std::make_unique<fixture::ScopedPackage>(
            fixture::MakePackage(Driver(L"rdnewer", L"Newer Camera", L"9.0.0.0"), {{L"ROOT\\TARNWICK_RD_rdnewer"}}));
        ASSERT_TRUE(newer->ok());
        for (const fixture::SimpleDriver& driver : {lost, older, alone, gap})
            ASSERT_TRUE(fixture::WritePackage(fixture::MakePackage(driver, {}), FolderOf(driver), error)) << error;
        ASSERT_TRUE(::DeleteFileW((FolderOf(gap) + L"\\rdgap.dll").c_str()));
    }

    void TearDown() override
    {
        RemoveLogsInTemp();
        for (const wchar_t* inf : {L"rdlost.inf", L"rdalone.inf"})
            fixture::UninstallPublished(inf);
        fixture::RemoveDevice(lostDevice);
    }

    std::wstring FolderOf(const fixture::SimpleDriver& driver) const
    {
        return backup + L"\\" + driver.classDescription + L"\\" + driver.models[0].description;
    }

    // Runs the dialog; step is called with the dialog and its list once the check is done,
    // and ends it, or starts the restore: then afterRestore is called once it has run, and
    // ends it.
    INT_PTR RunDialog(CRestoreDlg& dialog, const std::function<void(HWND, HWND)>& step,
                      const std::function<void(HWND, HWND)>& afterRestore = nullptr)
    {
        bool started = false;
        ModalScript script([&] {
            const HWND window = dialog.get();
            if (started && dialog.Restored()) {
                afterRestore(window, ::GetDlgItem(window, IDC_RESTORE_LIST));
                return true;
            }
            if (started || !window || !::IsWindowVisible(window) || !::IsWindowEnabled(::GetDlgItem(window, IDOK)))
                return false;
            step(window, ::GetDlgItem(window, IDC_RESTORE_LIST));
            started = true;
            return !afterRestore;
        });
        const INT_PTR result = dialog.DoModal(owner.get());
        EXPECT_TRUE(script.finished());
        return result;
    }

    const fixture::SimpleDriver lost = Driver(L"rdlost", L"Lost Scanner", L"2.1.0.0");
    const fixture::SimpleDriver older = Driver(L"rdnewer", L"Newer Camera", L"8.0.0.0");
    const fixture::SimpleDriver alone = Driver(L"rdalone", L"Absent Printer", L"1.0.0.5");
    const fixture::SimpleDriver gap = Driver(L"rdgap", L"Broken Modem", L"3.3.3.3");
    TestShellServices services;
    TempFolder sandbox;
    TestWindow owner;
    std::wstring backup;
    std::wstring lostDevice;
    std::unique_ptr<fixture::ScopedPackage> newer;
};

} // namespace

TEST_F(RestoreDialogTest, ListsEveryPackageWithItsStatusAndTicksThoseThatCanGoOn)
{
    std::vector<Row> rows;
    std::wstring status;
    CRestoreDlg dialog(::FolderOf(backup), services.Services());
    const INT_PTR result = RunDialog(dialog, [&](HWND window, HWND list) {
        rows = ReadRows(list);
        wchar_t text[128] = L"";
        ::GetDlgItemTextW(window, IDC_RESTORE_STATUS, text, 128);
        status = text;
        EXPECT_TRUE(SaveScreenshot(window, NameAtDpi(L"restore-dialog", ExpectedTestDpi())));
        ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(rows.size(), 4u);
    const std::wstring newerDevice = L"Newer Camera";
    // The device folder's own name (the class folder is the same for all four), and the
    // decision each package is to get (with the reason of a refusal), before anything runs.
    // The refused package first, the others in the order they were found.
    const std::vector<std::vector<std::wstring>> expected = {
        {L"Broken Modem", L"rdgap.inf", L"3.3.3.3", L"Contoso", L"none present", L"refuse: files missing: rdgap.dll"},
        {L"Absent Printer", L"rdalone.inf", L"1.0.0.5", L"Contoso", L"none present",
         L"stage: no device present"},
        {L"Lost Scanner", L"rdlost.inf", L"2.1.0.0", L"Contoso", lostDevice, L"install"},
        {L"Newer Camera", L"rdnewer.inf", L"8.0.0.0", L"Contoso", newerDevice, L"skip: installed driver is newer"}};
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].texts, expected[i]) << i;
    EXPECT_FALSE(rows[0].ticked);
    EXPECT_TRUE(rows[1].ticked);
    EXPECT_TRUE(rows[2].ticked);
    EXPECT_FALSE(rows[3].ticked) << "a newer driver stays unless the user ticks it";
    EXPECT_EQ(status, L"4 driver package(s) found, 2 ticked.");
    EXPECT_TRUE(LogsIn(backup).empty()) << "Cancel restores nothing and writes no log";
    EXPECT_FALSE(fixture::DriverKeyExists(lostDevice));
}

TEST_F(RestoreDialogTest, RestoreInstallsTheTickedPackagesShowsEachOutcomeAndLeavesTheLogInTheBackup)
{
    std::vector<Row> rows;
    std::wstring summary;
    {
        CRestoreDlg dialog(::FolderOf(backup), services.Services());
        const INT_PTR result = RunDialog(
            dialog,
            [&](HWND window, HWND list) {
                // Only the device that lost its driver: the staged-only package is unticked.
                LVITEMW state = {};
                state.stateMask = LVIS_STATEIMAGEMASK;
                state.state = INDEXTOSTATEIMAGEMASK(1);
                ::SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
                ::PostMessageW(window, WM_COMMAND, IDOK, 0);
            },
            [&](HWND window, HWND list) {
                rows = ReadRows(list);
                summary = StatusLine(window);
                ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            });
        EXPECT_EQ(result, IDOK) << "closed after a restore: the window scans again";
        ASSERT_EQ(dialog.Packages().size(), 4u);
        EXPECT_EQ(dialog.Packages()[2].outcome, PackageOutcome::Installed);
        EXPECT_EQ(dialog.Packages()[0].outcome, PackageOutcome::ToStage) << "unticked, left alone";
    }
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[2].texts[5], L"installed") << "the dialog itself shows what the run did";
    EXPECT_EQ(rows[1].texts[5], L"stage: no device present");
    EXPECT_EQ(summary, L"Restored 1 of 1 ticked driver package(s); 0 failed.");
    EXPECT_EQ(fixture::ReadDriverText(lostDevice, L"InfSection"), L"DeviceInstall");
    const std::string log = OnlyLogIn(backup);
    EXPECT_NE(log.find("  Installed.\r\n\r\n\r\nDone: 1 of 1 driver package(s) restored.\r\n"), std::string::npos)
        << log;
    EXPECT_EQ(log.find("rdalone"), std::string::npos);
    EXPECT_EQ(services.shell.Opened().size(), 1u) << "the log opens when the dialog goes";
}

namespace {

int ColumnWidth(HWND list, int column)
{
    return static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

} // namespace

TEST_F(RestoreDialogTest, TheTickedCountFollowsSpaceAndTheRowsTooltipIsTheWholeFolderAndWhyItIsRefused)
{
    std::wstring afterSpace, afterClick, tip;
    CRestoreDlg dialog(::FolderOf(backup), services.Services());
    RunDialog(dialog, [&](HWND window, HWND list) {
        // Space on the printer's row (ticked) clears it, as the keyboard does it.
        ::SetFocus(list);
        LVITEMW focus = {};
        focus.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
        focus.state = LVIS_FOCUSED | LVIS_SELECTED;
        ::SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&focus));
        ::SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
        ::SendMessageW(list, WM_CHAR, L' ', 0);
        ::SendMessageW(list, WM_KEYUP, VK_SPACE, 0);
        afterSpace = StatusLine(window);
        // And the newer camera's box ticked by a program, as a click on it would.
        LVITEMW state = {};
        state.stateMask = LVIS_STATEIMAGEMASK;
        state.state = INDEXTOSTATEIMAGEMASK(2);
        ::SendMessageW(list, LVM_SETITEMSTATE, 3, reinterpret_cast<LPARAM>(&state));
        afterClick = StatusLine(window);

        wchar_t buffer[MAX_PATH] = L"";
        NMLVGETINFOTIPW request = {};
        request.hdr = {list, IDC_RESTORE_LIST, static_cast<UINT>(LVN_GETINFOTIPW)};
        request.pszText = buffer;
        request.cchTextMax = MAX_PATH;
        request.iItem = 0;
        ::SendMessageW(window, WM_NOTIFY, IDC_RESTORE_LIST, reinterpret_cast<LPARAM>(&request));
        tip = buffer;
        ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(afterSpace, L"4 driver package(s) found, 1 ticked.") << "Space cleared the printer's row";
    EXPECT_EQ(afterClick, L"4 driver package(s) found, 2 ticked.");
    EXPECT_EQ(tip, FolderOf(gap) + L"\r\nStatus: refuse: files missing: rdgap.dll") << "the refused row says why";
}

TEST_F(RestoreDialogTest, ScalesItsColumnsToTheDpiAndGrowsWithItsListAndButtons)
{
    CRestoreDlg dialog(::FolderOf(backup), services.Services());
    std::vector<int> widths;
    RECT list = {}, grownList = {}, restore = {}, movedRestore = {};
    bool thickFrame = false;
    MINMAXINFO limits = {};
    RECT opened = {};
    int rescaledFolderWidth = 0;
    std::vector<int> grownWidths;
    int listInside = 0;
    RunDialog(dialog, [&](HWND window, HWND packageList) {
        for (int column = 0; column < kColumnCount; ++column)
            widths.push_back(ColumnWidth(packageList, column));
        thickFrame = (::GetWindowLongPtrW(window, GWL_STYLE) & WS_THICKFRAME) != 0;
        ::SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        opened = dialog.WindowRect();
        list = CWindow(packageList).RectInParent();
        restore = dialog.GetItem(IDOK).RectInParent();
        // From the screen's corner, so that the grown dialog still fits at 150 %.
        ::SetWindowPos(window, nullptr, 0, 0, opened.right - opened.left + 50, opened.bottom - opened.top + 50,
                       SWP_NOZORDER);
        grownList = CWindow(packageList).RectInParent();
        movedRestore = dialog.GetItem(IDOK).RectInParent();
        for (int column = 0; column < kColumnCount; ++column)
            grownWidths.push_back(ColumnWidth(packageList, column));
        listInside = CWindow(packageList).ClientRect().right;
        // Moved to a screen of twice the DPI: the columns follow.
        RECT suggested = dialog.WindowRect();
        const UINT doubled = 2 * ExpectedTestDpi();
        ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(doubled, doubled), reinterpret_cast<LPARAM>(&suggested));
        rescaledFolderWidth = ColumnWidth(packageList, 0);
        ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
    const UINT dpi = ExpectedTestDpi();
    const int given[] = {150, 85, 70, 95, 120, 220};
    ASSERT_EQ(widths.size(), 6u);
    for (size_t i = 1; i < widths.size(); ++i)
        EXPECT_EQ(widths[i], ScaleForDpi(given[i], dpi)) << i;
    const int givenTotal = std::accumulate(widths.begin() + 1, widths.end(), ScaleForDpi(given[0], dpi));
    EXPECT_GE(widths[0], ScaleForDpi(given[0], dpi)) << "the name column is never narrower than given";
    EXPECT_EQ(std::accumulate(grownWidths.begin(), grownWidths.end(), 0), std::max(listInside, givenTotal))
        << "the name column takes the room the list gains";
    EXPECT_EQ(rescaledFolderWidth, 2 * grownWidths[0]);
    EXPECT_TRUE(thickFrame) << "the dialog can be resized";
    EXPECT_LT(limits.ptMinTrackSize.x, opened.right - opened.left) << "and made smaller than it opens";
    EXPECT_LT(limits.ptMinTrackSize.y, opened.bottom - opened.top);
    EXPECT_EQ(grownList.right - grownList.left, list.right - list.left + 50);
    EXPECT_EQ(grownList.bottom - grownList.top, list.bottom - list.top + 50);
    EXPECT_EQ(movedRestore.left, restore.left + 50);
    EXPECT_EQ(movedRestore.top, restore.top + 50);
}

TEST_F(RestoreDialogTest, NothingTickedShowsAWarningBoxAndRestoresNothing)
{
    CRestoreDlg dialog(::FolderOf(backup), services.Services());
    RunDialog(dialog, [&](HWND window, HWND list) {
        const int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        for (int item = 0; item < count; ++item) {
            LVITEMW state = {};
            state.stateMask = LVIS_STATEIMAGEMASK;
            state.state = INDEXTOSTATEIMAGEMASK(1);
            ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
        }
        ::SendMessageW(window, WM_COMMAND, IDOK, 0);
        ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
    ASSERT_EQ(services.messages.boxes().size(), 1u);
    EXPECT_EQ(services.messages.boxes()[0].text,
              L"No driver packages selected.\nPlease tick at least one driver package to restore.");
    EXPECT_EQ(services.messages.boxes()[0].type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_FALSE(fixture::DriverKeyExists(lostDevice));
}

namespace {

// Where row's check box is on screen: the x at which the list finds boxRow's box, on row's line.
POINT BoxOf(HWND list, int boxRow, int row)
{
    RECT line = {LVIR_BOUNDS, 0, 0, 0}, boxLine = {LVIR_BOUNDS, 0, 0, 0};
    ::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&line));
    ::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(boxRow), reinterpret_cast<LPARAM>(&boxLine));
    LVHITTESTINFO hit = {};
    hit.pt = {boxLine.left, (boxLine.top + boxLine.bottom) / 2};
    while (hit.pt.x < boxLine.left + 64 && !(::SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) ==
                                                 boxRow && (hit.flags & LVHT_ONITEMSTATEICON)))
        ++hit.pt.x;
    POINT point = {hit.pt.x + 2, (line.top + line.bottom) / 2};
    ::ClientToScreen(list, &point);
    return point;
}

} // namespace

// By real input: a click on the refused row's box and Space on it tick nothing and say why
// under the list; a click on another row's box ticks it.
TEST_F(RestoreDialogTest, ARefusedRowCannotBeTickedByClickOrSpaceAndSaysWhy)
{
    int step = 0;
    bool refusedTicked = true, otherTicked = false;
    std::wstring afterClick, afterSpace, count;
    CRestoreDlg dialog(::FolderOf(backup), services.Services());
    ModalScript script([&] {
        const HWND window = dialog.get();
        const HWND list = window ? ::GetDlgItem(window, IDC_RESTORE_LIST) : nullptr;
        if (!list || !::IsWindowVisible(window) || !::IsWindowEnabled(::GetDlgItem(window, IDOK)))
            return false;
        const auto ticked = [list](int row) {
            return (::SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK) &
                    LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
        };
        LVITEMW cleared = {};
        cleared.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
        LVITEMW focused = cleared;
        focused.state = LVIS_FOCUSED | LVIS_SELECTED;
        switch (step++) {
        case 0:
            ::SetForegroundWindow(window);
            ClickOnScreen(BoxOf(list, 3, 0));
            return false;
        case 2:
            afterClick = StatusLine(window);
            ::SetFocus(list);
            ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&cleared));
            ::SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&focused));
            TypeKey(VK_SPACE);
            return false;
        case 4:
            afterSpace = StatusLine(window);
            refusedTicked = ticked(0);
            ClickOnScreen(BoxOf(list, 3, 3));
            return false;
        case 6:
            otherTicked = ticked(3);
            count = StatusLine(window);
            ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            return true;
        default:
            return false;
        }
    }, 150);
    dialog.DoModal(owner.get());
    EXPECT_TRUE(script.finished());
    EXPECT_FALSE(refusedTicked);
    const std::wstring why = L"Broken Modem cannot be restored: refuse: files missing: rdgap.dll";
    EXPECT_EQ(afterClick, why);
    EXPECT_EQ(afterSpace, why);
    EXPECT_TRUE(otherTicked);
    EXPECT_EQ(count, L"4 driver package(s) found, 3 ticked.");
}

// On a laptop's 1366 x 768 screen at 150 % (a run of its own, see CMakeLists.txt): both
// dialogs open within the work area and, made as small as they go, still show their buttons
// and the line under the list whole. Pictures of both are left in the test artefacts.
TEST_F(RestoreDialogTest, BothDialogsFitTheScreenAndShrinkToTheirControls)
{
    RECT work = {};
    ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    const auto check = [&work](HWND window, int listId, int statusId, const wchar_t* picture) {
        const RECT opened = CWindow(window).WindowRect();
        RECT inside = {};
        EXPECT_TRUE(::IntersectRect(&inside, &opened, &work) && ::EqualRect(&inside, &opened)) << "within the work area";
        EXPECT_TRUE(SaveScreenshot(window, NameAtDpi(picture, ExpectedTestDpi())));
        ::SetWindowPos(window, nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER);
        const RECT least = CWindow(window).WindowRect();
        EXPECT_LT(least.right - least.left, opened.right - opened.left);
        const RECT list = CWindow(::GetDlgItem(window, listId)).RectInParent();
        const RECT status = CWindow(::GetDlgItem(window, statusId)).RectInParent();
        const RECT close = CWindow(::GetDlgItem(window, IDCANCEL)).RectInParent();
        EXPECT_GT(list.bottom - list.top, 0);
        EXPECT_LT(status.left, status.right) << "the line under the list is still there";
        EXPECT_LE(status.right, close.left) << "and clear of the buttons";
        EXPECT_LE(close.right, CWindow(window).ClientRect().right);
    };
    CRestoreDlg restore(::FolderOf(backup), services.Services());
    RunDialog(restore, [&](HWND window, HWND) {
        check(window, IDC_RESTORE_LIST, IDC_RESTORE_STATUS, L"restore-dialog-fitted");
        ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
    CVerifyDlg verify(::FolderOf(backup), services.Services());
    ModalScript script([&] {
        const HWND window = verify.get();
        const HWND list = window ? ::GetDlgItem(window, IDC_VERIFY_LIST) : nullptr;
        if (!list || !::IsWindowVisible(window) || ::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) < 4)
            return false;
        check(window, IDC_VERIFY_LIST, IDC_VERIFY_STATUS, L"verify-dialog-fitted");
        ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    verify.DoModal(owner.get());
    EXPECT_TRUE(script.finished());
}
