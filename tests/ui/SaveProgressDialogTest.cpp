// The save progress dialog on a real save run: the bar and percentage it shows, Cancel that
// only asks for a stop, Enter that does nothing, and the dialog closing itself when the run
// returns.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "discovery/SystemFolders.h"
#include "tests/saving/SavingTestSupport.h"
#include "tests/support/CachedDevices.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/ShellOpenRecorder.h"
#include "tests/support/TestWindow.h"
#include "ui/CSaveProgressDlg.h"

namespace {

// Called while the worker waits for one of its messages to be handled: the run stands still
// while the dialog catches up with its painting, and the picture shows it mid-run.
bool ScreenshotWhilePaused(HWND dialog, const std::wstring& name)
{
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 300) {
        PumpMessages();
        ::Sleep(10);
    }
    return SaveScreenshot(dialog, name);
}

class SaveProgressDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        target = devices.folder() / L"target";
        // Enough files that the run is still going once the dialog has been shown: a modal
        // dialog appears only when its message queue first runs empty.
        std::deque<DriverFile> files;
        for (int i = 0; i < 60; ++i)
            files.push_back(devices.Payload(L"audio" + std::to_wstring(i) + L".sys", "x", TimeOfDay(2020, 1, 2)));
        device = &devices.Add(L"Sound, video and game controllers", L"Contoso Audio", std::move(files));
    }
    void TearDown() override { RemoveLogsInTemp(); }

    // What the dialog's controls showed, read as the run changes them.
    struct Shown {
        std::vector<int> positions;
        std::wstring lastPercent;
        int midRunShots = 0;
    };
    SentMessageWatch WatchControls(CSaveProgressDlg& dialog, Shown& shown)
    {
        return SentMessageWatch([&dialog, &shown](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
            if (window == dialog.GetItem(IDC_SAVE_PROGRESS).get() && message == PBM_SETPOS) {
                shown.positions.push_back(static_cast<int>(wParam));
                if (wParam >= 500 && shown.midRunShots == 0 && ::IsWindowVisible(dialog.get()))
                    shown.midRunShots += ScreenshotWhilePaused(dialog.get(), L"save-progress-dialog") ? 1 : 0;
            }
            if (window == dialog.GetItem(IDC_SAVE_PERCENT).get() && message == WM_SETTEXT)
                shown.lastPercent = reinterpret_cast<const wchar_t*>(lParam);
        });
    }

    ShellOpenRecorder shell;
    CachedDevices devices;
    DeviceInfo* device = nullptr;
    std::wstring target;
    TestWindow owner;
};

// The dialog centres itself over a visible owner; over a hidden one it takes the work area.
void ShowOwner(const TestWindow& owner)
{
    ::ShowWindow(owner.get(), SW_SHOWNORMAL);
}

} // namespace

TEST_F(SaveProgressDialogTest, RunsTheSaveAndClosesWhenItReturns)
{
    Shown shown;
    {
        CSaveProgressDlg dialog(FolderOf(target), shell, ReadSystemFolders());
        dialog.Saver().AddDevice(device);
        SentMessageWatch watch = WatchControls(dialog, shown);
        EXPECT_EQ(dialog.DoModal(owner.get()), 0);
    }
    ASSERT_FALSE(shown.positions.empty());
    EXPECT_EQ(shown.positions.back(), 1000);
    EXPECT_EQ(shown.midRunShots, 1);
    EXPECT_EQ(shown.lastPercent, L"100%");
    const std::string log = OnlyLogIn(target);
    EXPECT_NE(log.find("Done: 1 of 1 device driver(s) succesefully saved."), std::string::npos) << log;
    EXPECT_EQ(shell.Opened().size(), 1u) << "the log opens once the dialog object is gone";
}

TEST_F(SaveProgressDialogTest, StartsAtZeroPercentCentredOverItsOwner)
{
    ShowOwner(owner);
    CSaveProgressDlg dialog(FolderOf(target), shell, ReadSystemFolders());
    dialog.Saver().AddDevice(device);
    std::wstring firstLabel;
    RECT dialogRect = {};
    // The first thing the run shows is the bar; before it the label reads as set at start.
    SentMessageWatch watch([&](HWND window, UINT message, WPARAM, LPARAM) {
        if (message == PBM_SETPOS && window == dialog.GetItem(IDC_SAVE_PROGRESS).get() && firstLabel.empty()) {
            wchar_t text[16] = L"";
            ::GetWindowTextW(dialog.GetItem(IDC_SAVE_PERCENT).get(), text, 16);
            firstLabel = text;
            ::GetWindowRect(dialog.get(), &dialogRect);
        }
    });
    dialog.DoModal(owner.get());
    EXPECT_EQ(firstLabel, L"0%");
    RECT ownerRect;
    ::GetWindowRect(owner.get(), &ownerRect);
    EXPECT_NEAR((dialogRect.left + dialogRect.right) / 2, (ownerRect.left + ownerRect.right) / 2, 1);
    EXPECT_NEAR((dialogRect.top + dialogRect.bottom) / 2, (ownerRect.top + ownerRect.bottom) / 2, 1);
}

TEST_F(SaveProgressDialogTest, CancelOnlyAsksForAStopAndEnterDoesNothing)
{
    DeviceInfo& second
        = devices.Add(L"Ports", L"Contoso Port", {devices.Payload(L"port.sys", "p", TimeOfDay(2020, 1, 2))});
    bool stillOpen = false;
    std::wstring cancelText;
    bool cancelEnabled = false;
    bool asked = false;
    {
        CSaveProgressDlg dialog(FolderOf(target), shell, ReadSystemFolders());
        dialog.Saver().AddDevice(device);
        dialog.Saver().AddDevice(&second);
        SentMessageWatch watch([&](HWND window, UINT message, WPARAM, LPARAM) {
            if (asked || message != PBM_SETPOS || window != dialog.GetItem(IDC_SAVE_PROGRESS).get()
                || !::IsWindowVisible(dialog.get()))
                return;
            asked = true;
            dialog.Send(WM_COMMAND, IDOK);
            dialog.Send(WM_COMMAND, IDCANCEL);
            dialog.Send(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED));
            stillOpen = ::IsWindow(dialog.get()) && ::IsWindowVisible(dialog.get());
            wchar_t text[32] = L"";
            ::GetWindowTextW(dialog.GetItem(IDCANCEL).get(), text, 32);
            cancelText = text;
            cancelEnabled = ::IsWindowEnabled(dialog.GetItem(IDCANCEL).get()) != FALSE;
        });
        EXPECT_EQ(dialog.DoModal(owner.get()), 0);
    }
    EXPECT_TRUE(asked);
    EXPECT_TRUE(stillOpen) << "neither Enter nor Cancel closes the dialog while the run goes on";
    EXPECT_EQ(cancelText, L"&Cancel");
    EXPECT_TRUE(cancelEnabled);
    const std::string log = OnlyLogIn(target);
    EXPECT_NE(log.find("  Operation aborted by the user.\r\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("Contoso Port"), std::string::npos) << "the run stopped after the first device";
}

TEST_F(SaveProgressDialogTest, TargetThatIsAFileClosesAtOnceWithTheErrorInTheLog)
{
    ASSERT_TRUE(WriteFileBytes(target, "a file, not a folder"));
    {
        CSaveProgressDlg dialog(FolderOf(target), shell, ReadSystemFolders());
        dialog.Saver().AddDevice(device);
        EXPECT_EQ(dialog.DoModal(owner.get()), 0);
    }
    const std::string log = OnlyLogIn(ReadSystemFolders().tempDir);
    EXPECT_NE(log.find("ERROR: Target path is an existing file.\r\n"), std::string::npos) << log;
}
