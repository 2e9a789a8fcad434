// Modal dialogs from dialog resources, centred over their parent, ended from the user
// interface thread or a worker; and the resizable dialog: its children's resizer with the
// minimum tracking size and size grip, and its move to a screen of another DPI.
#include <gtest/gtest.h>

#include <stdexcept>

#include <utility>
#include <vector>

#include "framework/CDialogImpl.h"
#include "framework/CListViewCtrl.h"
#include "framework/CResizableDialog.h"
#include "framework/Dpi.h"
#include "platform/Handles.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestWindow.h"

namespace {

const int kTextId = 1100;
const int kEditId = 1101;
const int kListId = 1102;
const UINT kRunChecks = WM_APP + 3;

class TestDialog : public CResizableDialog {
public:
    TestDialog() : CResizableDialog(900, {{kTextId, DLSZ_SIZE_X | DLSZ_SIZE_Y}, {IDOK, DLSZ_MOVE_X | DLSZ_MOVE_Y}}) {}

    bool OnInitDialog() override
    {
        CenterWindow(GetParent());
        initialRect = WindowRect();
        if (endFromWorker)
            worker.reset(::CreateThread(nullptr, 0, EndFromWorker, this, 0, nullptr));
        else
            Post(kRunChecks);
        if (!focusOk)
            return true;
        ::SetFocus(GetItem(IDOK));
        return false;
    }

    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (CResizableDialog::ProcessWindowMessage(window, message, wParam, lParam, result))
            return true;
        if (message != kRunChecks)
            return false;
        onRunning(*this);
        EndDialog(IDOK);
        return true;
    }

    void OnDpiScaled(UINT from, UINT to) override { scaled.emplace_back(from, to); }

    static DWORD WINAPI EndFromWorker(void* dialog)
    {
        static_cast<TestDialog*>(dialog)->EndDialog(77);
        return 0;
    }

    bool endFromWorker = false;
    bool focusOk = false;
    RECT initialRect = {};
    std::vector<std::pair<UINT, UINT>> scaled;
    UniqueKernelHandle worker;
    void (*onRunning)(TestDialog&) = [](TestDialog&) {};
};

// The dialog manager shows a dialog without WS_VISIBLE only once its queue is idle, so the
// checks look at the grip's own style.
bool HasVisibleStyle(HWND window)
{
    return (::GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

RECT ChildRect(const TestDialog& dialog, int id)
{
    return dialog.GetItem(id).RectInParent();
}

} // namespace

TEST(DpiScaling, SizesStayExactAt96AndScaleWithRoundingElsewhere)
{
    for (int pixels : {760, 600, 42, 32, 7, 400, 100, 70, 150, 16, 3, 200, 340, 85, 95})
        EXPECT_EQ(ScaleForDpi(pixels, 96), pixels);
    EXPECT_EQ(ScaleForDpi(760, 144), 1140);
    EXPECT_EQ(ScaleForDpi(600, 144), 900);
    EXPECT_EQ(ScaleForDpi(7, 144), 11) << "10.5 rounds up";
    EXPECT_EQ(ScaleForDpi(70, 120), 88) << "87.5 at 125 %";
    EXPECT_EQ(ScaleForDpi(16, 192), 32);
    EXPECT_EQ(ScaleForDpi(-6, 144), -9);
    EXPECT_EQ(RescaleForDpi(450, 144, 96), 300) << "a width dragged at 150 % taken to 100 %";
    EXPECT_EQ(RescaleForDpi(450, 0, 96), 450) << "an unknown DPI changes nothing";
}

TEST(DialogResizeRules, ChildrenMoveOrGrowByTheirFlags)
{
    const RECT initial = {10, 20, 110, 70};
    const RECT grown = ResizedChildRect(initial, DLSZ_SIZE_X | DLSZ_SIZE_Y, 30, 40);
    EXPECT_EQ(grown.left, 10);
    EXPECT_EQ(grown.top, 20);
    EXPECT_EQ(grown.right, 140);
    EXPECT_EQ(grown.bottom, 110);
    const RECT moved = ResizedChildRect(initial, DLSZ_MOVE_X | DLSZ_MOVE_Y, 30, 40);
    EXPECT_EQ(moved.left, 40);
    EXPECT_EQ(moved.top, 60);
    EXPECT_EQ(moved.right, 140);
    EXPECT_EQ(moved.bottom, 110);
    const RECT statusLike = ResizedChildRect(initial, DLSZ_SIZE_X | DLSZ_MOVE_Y, -5, 12);
    EXPECT_EQ(statusLike.left, 10);
    EXPECT_EQ(statusLike.right, 105);
    EXPECT_EQ(statusLike.top, 32);
    EXPECT_EQ(statusLike.bottom, 82);
    const RECT fixed = ResizedChildRect(initial, 0, 30, 40);
    EXPECT_TRUE(::EqualRect(&fixed, &initial));
}

TEST(ModalDialog, RunsFromItsResourceCentredOverTheParentAndResizesItsChildren)
{
    TestWindow parent(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 500);
    TestDialog dialog;
    dialog.onRunning = [](TestDialog& self) {
        const RECT parentRect = self.GetParent().WindowRect();
        const RECT rect = self.initialRect;
        EXPECT_NEAR((rect.left + rect.right) / 2, (parentRect.left + parentRect.right) / 2, 1);
        EXPECT_NEAR((rect.top + rect.bottom) / 2, (parentRect.top + parentRect.bottom) / 2, 1);
        EXPECT_TRUE(self.GetStyle() & WS_CLIPCHILDREN) << "forced by the resizer";

        const RECT text = ChildRect(self, kTextId);
        const RECT ok = ChildRect(self, IDOK);
        ::SetWindowPos(self, nullptr, 0, 0, rect.right - rect.left + 50, rect.bottom - rect.top + 30,
                       SWP_NOMOVE | SWP_NOZORDER);
        const RECT grownText = ChildRect(self, kTextId);
        const RECT movedOk = ChildRect(self, IDOK);
        EXPECT_EQ(grownText.right - grownText.left, text.right - text.left + 50);
        EXPECT_EQ(grownText.bottom - grownText.top, text.bottom - text.top + 30);
        EXPECT_EQ(movedOk.left, ok.left + 50);
        EXPECT_EQ(movedOk.top, ok.top + 30);

        MINMAXINFO limits = {};
        self.Send(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        EXPECT_EQ(limits.ptMinTrackSize.x, rect.right - rect.left);
        EXPECT_EQ(limits.ptMinTrackSize.y, rect.bottom - rect.top);

        HWND grip = nullptr;
        for (HWND child = ::GetWindow(self, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            wchar_t name[32] = L"";
            ::GetClassNameW(child, name, 32);
            if (_wcsicmp(name, L"ScrollBar") == 0)
                grip = child;
        }
        ASSERT_NE(grip, nullptr);
        EXPECT_TRUE(HasVisibleStyle(grip));
        const RECT client = self.ClientRect();
        const RECT gripRect = CWindow(grip).RectInParent();
        EXPECT_EQ(gripRect.right, client.right);
        EXPECT_EQ(gripRect.bottom, client.bottom);
        self.Show(SW_MAXIMIZE);
        EXPECT_FALSE(HasVisibleStyle(grip)) << "no grip on a maximized dialog";
        self.Show(SW_RESTORE);
        EXPECT_TRUE(HasVisibleStyle(grip));
    };
    EXPECT_EQ(dialog.DoModal(parent.get()), IDOK);
    EXPECT_EQ(dialog.get(), nullptr) << "unbound when the dialog is gone";
}

TEST(ModalDialog, AResizableDialogMovedToAnotherDpiTakesTheSuggestedPlaceAndRescalesItsListColumns)
{
    TestWindow parent(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 500);
    TestDialog dialog;
    dialog.onRunning = [](TestDialog& self) {
        const UINT dpi = WindowDpi(self);
        const CListViewCtrl list(self.GetItem(kListId));
        list.AddColumns({{L"Name", 100}, {L"Size", 40}}, dpi);
        // The user widened the first column: the present width is what is rescaled.
        list.Send(LVM_SETCOLUMNWIDTH, 0, ScaleForDpi(120, dpi));
        const RECT opened = self.WindowRect();
        RECT suggested = {opened.left + 10, opened.top + 20, opened.right + 90, opened.bottom + 80};
        for (int times = 0; times < 2; ++times)
            self.Send(WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi), reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(list.ColumnWidth(0), 2 * ScaleForDpi(120, dpi));
        EXPECT_EQ(list.ColumnWidth(1), 2 * ScaleForDpi(40, dpi));
        const RECT moved = self.WindowRect();
        EXPECT_TRUE(::EqualRect(&moved, &suggested));
        EXPECT_EQ(self.scaled, (std::vector<std::pair<UINT, UINT>>{{dpi, 2 * dpi}})) << "the same DPI again is no move";
    };
    EXPECT_EQ(dialog.DoModal(parent.get()), IDOK);
}

TEST(ModalDialog, InitialisingTrueLetsTheDialogManagerSetTheFocusAndFalseKeepsItsOwn)
{
    TestWindow parent(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 500);
    for (bool focusOk : {false, true}) {
        TestDialog dialog;
        dialog.focusOk = focusOk;
        static int focusedId;
        focusedId = 0;
        dialog.onRunning = [](TestDialog&) { focusedId = ::GetDlgCtrlID(::GetFocus()); };
        EXPECT_EQ(dialog.DoModal(parent.get()), IDOK);
        EXPECT_EQ(focusedId, focusOk ? IDOK : kEditId) << (focusOk ? "set by the dialog" : "the first tab stop");
    }
}

TEST(ModalDialog, AWorkerThreadCanEndTheDialog)
{
    TestWindow parent(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 500);
    TestDialog dialog;
    dialog.endFromWorker = true;
    EXPECT_EQ(dialog.DoModal(parent.get()), 77);
    // EndDialog sends messages to this thread (it enables the owner again), so the worker is
    // waited for with the queue still served.
    ASSERT_TRUE(dialog.worker);
    const HANDLE worker = dialog.worker.get();
    while (::MsgWaitForMultipleObjects(1, &worker, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
        PumpMessages();
    EXPECT_EQ(::WaitForSingleObject(worker, 0), WAIT_OBJECT_0);
}

TEST(ModalDialog, ExceptionWhileInitialisingEndsTheDialogWithMinusOne)
{
    struct Failing : CDialogImpl<Failing> {
        enum { IDD = 900 };
        bool OnInitDialog() override { throw std::runtime_error("cannot initialise"); }
    } dialog;
    // Had the dialog come up all the same, this ends it, so the test fails instead of waiting.
    ModalScript endShownDialog([&] { return dialog.EndDialog(5); });
    EXPECT_EQ(dialog.DoModal(nullptr), -1) << "closed rather than shown half-built";
    EXPECT_EQ(dialog.get(), nullptr);
}

TEST(ModalDialog, AMissingResourceFails)
{
    struct Missing : CDialogImpl<Missing> {
        enum { IDD = 999 };
    } dialog;
    EXPECT_EQ(dialog.DoModal(nullptr), -1);
}
