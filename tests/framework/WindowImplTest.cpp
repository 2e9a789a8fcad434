// Window classes of the framework: binding at WM_NCCREATE, the message map before default
// processing, superclasses, exceptions stopped at the window procedure, and teardown.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "framework/CListViewCtrl.h"
#include "framework/CWindowImpl.h"
#include "tests/support/TestWindow.h"

namespace {

const UINT kAnswerMessage = WM_APP + 1;

class RecordingWindow : public CWindowImpl<RecordingWindow> {
public:
    static WindowClassInfo GetWndClassInfo()
    {
        WindowClassInfo info;
        info.style = CS_DBLCLKS;
        info.background = COLOR_WINDOW + 1;
        return info;
    }

    bool ProcessWindowMessage(HWND window, UINT message, WPARAM, LPARAM, LRESULT& result) override
    {
        seen.push_back(message);
        handleWindows.push_back(window == get());
        if (message == WM_GETTEXTLENGTH && failTextLength) {
            result = 99;
            throw std::runtime_error("handler fails");
        }
        if (message == kAnswerMessage) {
            result = 42;
            return true;
        }
        return false;
    }

    std::optional<LRESULT> OnCreate(const CREATESTRUCTW& create) override
    {
        createdWith = create.lpszName ? create.lpszName : L"";
        if (failCreate)
            throw std::runtime_error("creation fails");
        if (refuseCreate)
            return -1;
        return std::nullopt;
    }

    bool OnSize(UINT type, SIZE client) override
    {
        sizes.push_back({type, client});
        return true;
    }

    bool OnDpiChanged(UINT dpi, const RECT& suggested) override
    {
        dpiChanges.push_back({dpi, suggested});
        return true;
    }

    bool OnCommand(UINT id, UINT code, HWND control) override
    {
        commands.emplace_back(id, code, control);
        if (failCommand)
            throw std::runtime_error("command fails");
        return id == kOwnCommand;
    }

    std::optional<LRESULT> OnNotify(NMHDR& header) override
    {
        if (header.code != kOwnNotification)
            return std::nullopt;
        return 1234;
    }

    void OnFinalMessage(HWND window) noexcept override
    {
        finalWindow = window;
        boundAtFinal = get();
    }

    using Command = std::tuple<UINT, UINT, HWND>;
    static constexpr UINT kOwnCommand = 4000;
    static constexpr UINT kOwnNotification = 0x7ff0;

    std::vector<UINT> seen;
    std::vector<bool> handleWindows;
    std::vector<Command> commands;
    bool failCommand = false;
    bool failCreate = false;
    bool refuseCreate = false;
    std::wstring createdWith;
    struct Size {
        UINT type;
        SIZE client;
    };
    std::vector<Size> sizes;
    struct DpiChange {
        UINT dpi;
        RECT suggested;
    };
    std::vector<DpiChange> dpiChanges;
    bool failTextLength = false;
    HWND finalWindow = nullptr;
    HWND boundAtFinal = reinterpret_cast<HWND>(1);
};

// An edit control that refuses digits: the system's edit procedure does everything else.
class LettersOnlyEdit : public CWindowImpl<LettersOnlyEdit> {
public:
    static WindowClassInfo GetWndClassInfo()
    {
        WindowClassInfo info;
        info.superclass = L"EDIT";
        return info;
    }

    bool ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM, LRESULT& result) override
    {
        if (message == WM_CHAR && wParam >= L'0' && wParam <= L'9') {
            result = 0;
            return true;
        }
        return false;
    }
};

std::wstring TextOf(HWND window)
{
    wchar_t text[256] = L"";
    ::GetWindowTextW(window, text, 256);
    return text;
}

} // namespace

TEST(WindowImpl, ObjectIsBoundFromNcCreateAndSeesMessagesBeforeDefaultProcessing)
{
    TestWindow parent;
    RecordingWindow window;
    const RECT rect = {0, 0, 100, 50};
    ASSERT_NE(window.Create(parent.get(), &rect, L"first"), nullptr);

    ASSERT_FALSE(window.seen.empty());
    EXPECT_EQ(window.seen.front(), static_cast<UINT>(WM_NCCREATE));
    for (bool sameWindow : window.handleWindows)
        EXPECT_TRUE(sameWindow) << "the wrapper holds the window's handle from the first message on";
    EXPECT_EQ(window.Send(kAnswerMessage), 42);

    // WM_SETTEXT is left to DefWindowProc, which stores the text.
    window.SetText(L"second");
    EXPECT_EQ(TextOf(window), L"second");

    wchar_t className[64] = L"";
    ::GetClassNameW(window, className, 64);
    EXPECT_EQ(std::wstring(className).rfind(L"Tarnwick:", 0), 0u) << "generated class name";
    EXPECT_EQ(::GetClassLongPtrW(window, GCL_STYLE), static_cast<ULONG_PTR>(CS_DBLCLKS));
    EXPECT_EQ(window.GetStyle() & (WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS),
              static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS))
        << "the control styles are the default";
}

TEST(WindowImpl, ExceptionInCreateFailsTheCreationAndNeverEscapes)
{
    TestWindow parent;
    RecordingWindow window;
    window.failCreate = true;
    const RECT rect = {0, 0, 10, 10};
    EXPECT_EQ(window.Create(parent.get(), &rect), nullptr);
    EXPECT_EQ(window.get(), nullptr) << "unbound again after WM_NCDESTROY";
}

TEST(WindowImpl, CreateSizeAndDpiChangesArriveDecodedAndNeverReachTheMessageMap)
{
    TestWindow parent;
    RecordingWindow window;
    const RECT rect = {0, 0, 120, 40};
    ASSERT_NE(window.Create(parent.get(), &rect, L"made"), nullptr);
    EXPECT_EQ(window.createdWith, L"made");
    ASSERT_FALSE(window.sizes.empty()) << "the first size comes with the creation";
    EXPECT_EQ(window.sizes.back().client.cx, 120);
    EXPECT_EQ(window.sizes.back().client.cy, 40);

    window.seen.clear();
    window.sizes.clear();
    window.Send(WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(300, 200));
    ASSERT_EQ(window.sizes.size(), 1u);
    EXPECT_EQ(window.sizes[0].type, static_cast<UINT>(SIZE_MAXIMIZED));
    EXPECT_EQ(window.sizes[0].client.cx, 300);
    EXPECT_EQ(window.sizes[0].client.cy, 200);

    RECT suggested = {10, 20, 310, 220};
    EXPECT_EQ(window.Send(WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested)), 0);
    ASSERT_EQ(window.dpiChanges.size(), 1u);
    EXPECT_EQ(window.dpiChanges[0].dpi, 144u);
    EXPECT_EQ(window.dpiChanges[0].suggested.right, 310);
    window.Send(WM_DPICHANGED, 0, reinterpret_cast<LPARAM>(&suggested));
    window.Send(WM_DPICHANGED, MAKEWPARAM(120, 120), 0);
    EXPECT_EQ(window.dpiChanges.size(), 1u) << "no DPI or no rectangle is no change";
    EXPECT_TRUE(window.seen.empty()) << "decoded messages go to the typed calls only";

    RecordingWindow refused;
    refused.refuseCreate = true;
    EXPECT_EQ(refused.Create(parent.get(), &rect), nullptr) << "-1 from OnCreate stops the creation";
}

TEST(WindowImpl, ExceptionInAHandlerFallsBackToDefaultProcessing)
{
    TestWindow parent;
    RecordingWindow window;
    const RECT rect = {0, 0, 10, 10};
    ASSERT_NE(window.Create(parent.get(), &rect, L"title"), nullptr);
    window.failTextLength = true;
    window.seen.clear();
    EXPECT_EQ(window.Send(WM_GETTEXTLENGTH), 5) << "DefWindowProc's answer, not the failed handler's result";
    EXPECT_EQ(window.seen, std::vector<UINT>{WM_GETTEXTLENGTH}) << "the handler did see the message";
    EXPECT_TRUE(window.IsWindow());
}

TEST(WindowImpl, CommandsAndNotificationsArriveDecodedAndNeverReachTheMessageMap)
{
    TestWindow parent;
    RecordingWindow window;
    const RECT rect = {0, 0, 10, 10};
    ASSERT_NE(window.Create(parent.get(), &rect), nullptr);
    window.seen.clear();
    const HWND control = parent.get();
    EXPECT_EQ(window.Send(WM_COMMAND, MAKEWPARAM(RecordingWindow::kOwnCommand, BN_CLICKED),
                          reinterpret_cast<LPARAM>(control)), 0);
    window.Send(WM_COMMAND, MAKEWPARAM(17, 1));
    const HWND none = nullptr;
    EXPECT_EQ(window.commands, (std::vector<RecordingWindow::Command>{
                                   {RecordingWindow::kOwnCommand, BN_CLICKED, control}, {17u, 1u, none}}))
        << "a button's command, then an accelerator's";

    NMHDR own = {control, 5, RecordingWindow::kOwnNotification};
    EXPECT_EQ(window.Send(WM_NOTIFY, 5, reinterpret_cast<LPARAM>(&own)), 1234) << "the handler's result";
    NMHDR other = {control, 5, 0x7ff1};
    EXPECT_EQ(window.Send(WM_NOTIFY, 5, reinterpret_cast<LPARAM>(&other)), 0) << "left to DefWindowProc";
    EXPECT_TRUE(window.seen.empty()) << "decoded messages go to the typed calls only";

    window.failCommand = true;
    EXPECT_EQ(window.Send(WM_COMMAND, RecordingWindow::kOwnCommand), 0) << "stopped at the window procedure";
    EXPECT_EQ(window.commands.size(), 3u);
    EXPECT_TRUE(window.IsWindow());
}

TEST(WindowImpl, FinalMessageComesAfterTheWindowIsGone)
{
    TestWindow parent;
    RecordingWindow window;
    const RECT rect = {0, 0, 10, 10};
    const HWND handle = window.Create(parent.get(), &rect);
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(window.Destroy());
    EXPECT_EQ(window.finalWindow, handle);
    EXPECT_EQ(window.boundAtFinal, nullptr);
    EXPECT_EQ(window.get(), nullptr);
}

TEST(WindowImpl, DestroyingTheObjectDestroysItsWindowWithoutCallingIntoIt)
{
    TestWindow parent;
    HWND handle = nullptr;
    {
        RecordingWindow window;
        const RECT rect = {0, 0, 10, 10};
        handle = window.Create(parent.get(), &rect);
        ASSERT_NE(handle, nullptr);
    }
    EXPECT_FALSE(::IsWindow(handle));
}

TEST(WindowImpl, SuperclassGivesUnhandledMessagesToTheSystemProcedure)
{
    TestWindow parent;
    LettersOnlyEdit edit;
    const RECT rect = {0, 0, 200, 24};
    ASSERT_NE(edit.Create(parent.get(), &rect, L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL), nullptr);
    for (wchar_t c : std::wstring(L"a1b2"))
        edit.Send(WM_CHAR, c, 1);
    EXPECT_EQ(TextOf(edit), L"ab") << "digits stopped by the map, letters typed by the system's edit control";
    EXPECT_EQ(edit.Send(EM_GETLINECOUNT), 1) << "an edit-only message reaches the system procedure";

    WNDCLASSEXW system = {};
    system.cbSize = sizeof(system);
    ASSERT_TRUE(::GetClassInfoExW(nullptr, L"EDIT", &system));
    EXPECT_EQ(::GetClassLongPtrW(edit, GCL_CBWNDEXTRA), static_cast<ULONG_PTR>(system.cbWndExtra) + sizeof(LONG_PTR))
        << "the system class keeps its own extra bytes";
}

namespace {

// A "system" class of the test's own, whose procedure counts the destructions it sees.
int g_baseDestructions = 0;

LRESULT CALLBACK CountingBaseProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCDESTROY)
        ++g_baseDestructions;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

class OverCountingBase : public CWindowImpl<OverCountingBase> {
public:
    static WindowClassInfo GetWndClassInfo()
    {
        static const ATOM base = [] {
            WNDCLASSEXW windowClass = {};
            windowClass.cbSize = sizeof(windowClass);
            windowClass.lpfnWndProc = CountingBaseProc;
            windowClass.hInstance = ::GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"TarnwickCountingBase";
            return ::RegisterClassExW(&windowClass);
        }();
        (void)base;
        WindowClassInfo info;
        info.superclass = L"TarnwickCountingBase";
        return info;
    }
    bool ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) override { return false; }
};

} // namespace

TEST(WindowImpl, ASuperclassWindowOutlivingItsObjectIsDestroyedByItsOwnProcedure)
{
    TestWindow parent;
    HWND handle = nullptr;
    g_baseDestructions = 0;
    {
        OverCountingBase window;
        const RECT rect = {0, 0, 20, 20};
        handle = window.Create(parent.get(), &rect);
        ASSERT_NE(handle, nullptr);
    }
    EXPECT_FALSE(::IsWindow(handle));
    EXPECT_EQ(g_baseDestructions, 1) << "the superclassed procedure frees what it keeps for the window";
}

namespace {

wchar_t g_frameworkClassName[64] = L"";

class OverFrameworkClass : public CWindowImpl<OverFrameworkClass> {
public:
    static WindowClassInfo GetWndClassInfo()
    {
        WindowClassInfo info;
        info.superclass = g_frameworkClassName;
        return info;
    }
    bool ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) override
    {
        ++calls;
        return false;
    }
    int calls = 0;
};

} // namespace

TEST(WindowImpl, AClassOfTheFrameworkCannotBeSuperclassed)
{
    TestWindow parent;
    RecordingWindow base;
    const RECT rect = {0, 0, 20, 20};
    ASSERT_NE(base.Create(parent.get(), &rect), nullptr);
    ASSERT_GT(::GetClassNameW(base, g_frameworkClassName, 64), 0);
    OverFrameworkClass window;
    EXPECT_EQ(window.Create(parent.get(), &rect), nullptr);
    EXPECT_EQ(window.calls, 0) << "refused before any message could pass itself on without end";
}

TEST(WindowGeometry, CentredPositionStaysInsideTheWorkArea)
{
    const RECT work = {0, 0, 1280, 1000};
    const POINT centred = CentredPosition({200, 100}, {100, 100, 500, 300}, work);
    EXPECT_EQ(centred.x, 200);
    EXPECT_EQ(centred.y, 150);
    const POINT nearEdge = CentredPosition({400, 300}, {1100, 900, 1280, 1000}, work);
    EXPECT_EQ(nearEdge.x, 880);
    EXPECT_EQ(nearEdge.y, 700);
    const POINT nearOrigin = CentredPosition({400, 300}, {-50, -20, 50, 20}, work);
    EXPECT_EQ(nearOrigin.x, 0);
    EXPECT_EQ(nearOrigin.y, 0);
    const POINT tooLarge = CentredPosition({1400, 1100}, {0, 0, 1280, 1000}, work);
    EXPECT_EQ(tooLarge.x, 0) << "the left and top edges stay visible";
    EXPECT_EQ(tooLarge.y, 0);
}

TEST(WindowGeometry, CenterWindowWithoutOwnerUsesTheWorkArea)
{
    TestWindow window(WS_OVERLAPPEDWINDOW, 300, 200);
    CWindow(window.get()).CenterWindow(nullptr);
    RECT work = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const RECT rect = CWindow(window.get()).WindowRect();
    EXPECT_EQ(rect.left, work.left + (work.right - work.left - 300) / 2);
    EXPECT_EQ(rect.top, work.top + (work.bottom - work.top - 200) / 2);
}

TEST(ListViewInfoTip, TextIsCutToTheOfferedBufferAndAlwaysTerminated)
{
    struct Case {
        int capacity;
        std::wstring text;
        std::wstring expected;
    };
    const Case cases[] = {
        {16, L"C:\\Backup\\Net", L"C:\\Backup\\Net"},
        {6, L"C:\\Backup", L"C:\\Ba"},
        {1, L"C:\\Backup", L""},
        {4, L"", L""},
    };
    for (const Case& c : cases) {
        std::vector<wchar_t> buffer(static_cast<size_t>(c.capacity) + 1, L'#');
        NMLVGETINFOTIPW tip{};
        tip.pszText = buffer.data();
        tip.cchTextMax = c.capacity;
        CListViewCtrl::SetInfoTipText(tip, c.text);
        EXPECT_EQ(std::wstring(buffer.data()), c.expected) << c.capacity;
        EXPECT_EQ(buffer[static_cast<size_t>(c.capacity)], L'#') << "wrote past the buffer, capacity " << c.capacity;
    }
    NMLVGETINFOTIPW none{};
    CListViewCtrl::SetInfoTipText(none, L"text");  // no buffer offered: nothing written
    EXPECT_EQ(none.pszText, nullptr);
}
