// The restore dialog on a backup folder in the test's prefix: the packages it lists with
// their status and ticks once the check is done (and a picture of it), Cancel that restores
// nothing, and Restore that installs the ticked packages under the progress dialog and leaves
// the log in the backup folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

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
    // and ends it.
    INT_PTR RunDialog(CRestoreDlg& dialog, const std::function<void(HWND, HWND)>& step)
    {
        ModalScript script([&] {
            const HWND window = dialog.get();
            if (!window || !::IsWindowVisible(window) || !::IsWindowEnabled(::GetDlgItem(window, IDOK)))
                return false;
            step(window, ::GetDlgItem(window, IDC_RESTORE_LIST));
            return true;
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
    const std::vector<std::vector<std::wstring>> expected = {
        {L"Absent Printer", L"rdalone.inf", L"1.0.0.5", L"Contoso", L"none present",
         L"stage: no device present"},
        {L"Broken Modem", L"rdgap.inf", L"3.3.3.3", L"Contoso", L"none present", L"refuse: files missing: rdgap.dll"},
        {L"Lost Scanner", L"rdlost.inf", L"2.1.0.0", L"Contoso", lostDevice, L"install"},
        {L"Newer Camera", L"rdnewer.inf", L"8.0.0.0", L"Contoso", newerDevice, L"skip: installed driver is newer"}};
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].texts, expected[i]) << i;
    EXPECT_TRUE(rows[0].ticked);
    EXPECT_FALSE(rows[1].ticked);
    EXPECT_TRUE(rows[2].ticked);
    EXPECT_FALSE(rows[3].ticked) << "a newer driver stays unless the user ticks it";
    EXPECT_EQ(status, L"4 driver package(s) found, 2 ticked.");
    EXPECT_TRUE(LogsIn(backup).empty()) << "Cancel restores nothing and writes no log";
    EXPECT_FALSE(fixture::DriverKeyExists(lostDevice));
}

TEST_F(RestoreDialogTest, RestoreInstallsTheTickedPackagesAndLeavesTheLogInTheBackup)
{
    {
        CRestoreDlg dialog(::FolderOf(backup), services.Services());
        const INT_PTR result = RunDialog(dialog, [&](HWND window, HWND list) {
            // Only the device that lost its driver: the staged-only package is unticked.
            LVITEMW state = {};
            state.stateMask = LVIS_STATEIMAGEMASK;
            state.state = INDEXTOSTATEIMAGEMASK(1);
            ::SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
            ::PostMessageW(window, WM_COMMAND, IDOK, 0);
        });
        EXPECT_EQ(result, IDOK);
        ASSERT_EQ(dialog.Packages().size(), 4u);
        EXPECT_EQ(dialog.Packages()[2].outcome, PackageOutcome::Installed);
        EXPECT_EQ(dialog.Packages()[0].outcome, PackageOutcome::ToStage) << "unticked, left alone";
    }
    EXPECT_EQ(fixture::ReadDriverText(lostDevice, L"InfSection"), L"DeviceInstall");
    const std::string log = OnlyLogIn(backup);
    EXPECT_NE(log.find("  Installed.\r\n\r\n\r\nDone: 1 of 1 driver package(s) restored.\r\n"), std::string::npos)
        << log;
    EXPECT_EQ(log.find("rdalone"), std::string::npos);
    EXPECT_EQ(services.shell.Opened().size(), 1u) << "the log opens when the dialog goes";
}

namespace {

std::wstring StatusLine(HWND window)
{
    wchar_t text[128] = L"";
    ::GetDlgItemTextW(window, IDC_RESTORE_STATUS, text, 128);
    return text;
}

int ColumnWidth(HWND list, int column)
{
    return static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

} // namespace

TEST_F(RestoreDialogTest, TheTickedCountFollowsSpaceAndTheRowsTooltipIsTheWholeFolder)
{
    std::wstring afterSpace, afterClick, tip;
    CRestoreDlg dialog(::FolderOf(backup), services.Services());
    RunDialog(dialog, [&](HWND window, HWND list) {
        // Space on the first row (ticked) clears it, as the keyboard does it.
        ::SetFocus(list);
        LVITEMW focus = {};
        focus.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
        focus.state = LVIS_FOCUSED | LVIS_SELECTED;
        ::SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&focus));
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
        request.iItem = 1;
        ::SendMessageW(window, WM_NOTIFY, IDC_RESTORE_LIST, reinterpret_cast<LPARAM>(&request));
        tip = buffer;
        ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(afterSpace, L"4 driver package(s) found, 1 ticked.") << "Space cleared the first row";
    EXPECT_EQ(afterClick, L"4 driver package(s) found, 2 ticked.");
    EXPECT_EQ(tip, FolderOf(gap));
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
    for (size_t i = 0; i < widths.size(); ++i)
        EXPECT_EQ(widths[i], ScaleForDpi(given[i], dpi)) << i;
    EXPECT_EQ(rescaledFolderWidth, 2 * widths[0]);
    EXPECT_TRUE(thickFrame) << "the dialog can be resized";
    EXPECT_EQ(limits.ptMinTrackSize.x, opened.right - opened.left) << "but not made smaller than it opens";
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
