// The frame window: toolbar from the TOOLBAR resource, status bar, menu prompts and
// tooltips from the string table, WM_QUIT on destruction.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>

#include "framework/CFrameWindowImpl.h"
#include "framework/ResourceText.h"
#include "framework/ToolbarResource.h"
#include "resources/resource.h"
#include "tests/support/TestWindow.h"

namespace {

class TestFrame : public CFrameWindowImpl<TestFrame> {
public:
    static WindowClassInfo GetWndClassInfo()
    {
        WindowClassInfo info;
        info.background = COLOR_BTNFACE + 1;
        info.defaultStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
        return info;
    }
};

struct FrameFixture : ::testing::Test {
    void SetUp() override
    {
        const RECT rect = {0, 0, 600, 400};
        ASSERT_NE(frame.CreateFrame(nullptr, L"frame", nullptr, &rect), nullptr);
        ASSERT_NE(frame.CreateSimpleToolBarCtrl(IDR_MAINFRAME, WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT,
                                                IDW_TOOLBAR),
                  nullptr);
        ASSERT_NE(frame.CreateSimpleStatusBar(IDS_IDLE_MESSAGE, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, IDW_STATUS_BAR),
                  nullptr);
    }
    void TearDown() override
    {
        if (frame.IsWindow())
            frame.Destroy();
        MSG quit;
        while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    std::wstring StatusText(int part) const
    {
        wchar_t text[256] = L"";
        frame.StatusBarWindow().Send(SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text));
        return text;
    }
    // In simple mode the status bar answers for its simple text as part 0 (Wine returns
    // nothing for SB_SIMPLEID itself).
    std::wstring SimpleText() const { return StatusIsSimple() ? StatusText(0) : L"<not simple>"; }
    bool StatusIsSimple() const { return frame.StatusBarWindow().Send(SB_ISSIMPLE) != 0; }

    TestFrame frame;
};

} // namespace

TEST(ResourceText, PromptAndTooltipAreSplitAtTheFirstLineFeed)
{
    EXPECT_EQ(PromptPart(L"Refresh device list\nRefresh"), L"Refresh device list");
    EXPECT_EQ(TooltipPart(L"Refresh device list\nRefresh", 79), L"Refresh");
    EXPECT_EQ(PromptPart(L"Ready"), L"Ready");
    EXPECT_EQ(TooltipPart(L"Ready", 79), L"") << "no line feed, no tooltip";
    EXPECT_EQ(TooltipPart(L"a\nb\nc", 79), L"b\nc");
    EXPECT_EQ(TooltipPart(L"p\n" + std::wstring(100, L'x'), 79).size(), 79u);
    EXPECT_EQ(LoadResourceString(ID_DEVICE_SAVE), L"Save device drver\nSave device drver");
    EXPECT_EQ(LoadResourceString(IDS_IDLE_MESSAGE), L"Ready");
    EXPECT_EQ(LoadResourceString(12345), L"");
}

TEST(ResourceText, PlaceholdersTakeTheArgumentsByNumberAndLongTextsComeWhole)
{
    EXPECT_EQ(FillPlaceholders(L"%1 found, %2 ticked.", {L"4", L"2"}), L"4 found, 2 ticked.");
    EXPECT_EQ(FillPlaceholders(L"%2 of %1", {L"4", L"2"}), L"2 of 4") << "a translation may swap them";
    EXPECT_EQ(FillPlaceholders(L"100% %3 %", {L"a"}), L"100% %3 %") << "no argument, the text stays";
    EXPECT_EQ(FormatResourceString(IDS_RESTORE_COUNT, {L"4", L"1"}), L"4 driver package(s) found, 1 ticked.");
    EXPECT_EQ(FormatResourceString(IDS_RESTORE_NOTHING_TICKED),
              L"No driver packages selected.\nPlease tick at least one driver package to restore.");
    EXPECT_EQ(FormatResourceString(12345), L"");
}

TEST(ToolbarResourceData, ParsesVersionOneAndRejectsTheRest)
{
    const WORD good[] = {1, 32, 24, 3, 3000, 0, 3002};
    ToolbarResource toolbar;
    ASSERT_TRUE(ParseToolbarResource(good, sizeof(good), toolbar));
    EXPECT_EQ(toolbar.width, 32);
    EXPECT_EQ(toolbar.height, 24);
    EXPECT_EQ(toolbar.items, (std::vector<WORD>{3000, 0, 3002}));

    const DWORD windres[] = {16, 15, 2, 3001, 0};
    ToolbarResource fromWindres;
    ASSERT_TRUE(ParseToolbarResource(windres, sizeof(windres), fromWindres));
    EXPECT_EQ(fromWindres.width, 16);
    EXPECT_EQ(fromWindres.height, 15);
    EXPECT_EQ(fromWindres.items, (std::vector<WORD>{3001, 0}));

    const WORD versionTwo[] = {2, 32, 32, 0};
    EXPECT_FALSE(ParseToolbarResource(versionTwo, sizeof(versionTwo), toolbar));
    EXPECT_FALSE(ParseToolbarResource(good, sizeof(good) - sizeof(WORD), toolbar)) << "cut short";
    EXPECT_FALSE(ParseToolbarResource(good, 6, toolbar));
    EXPECT_FALSE(ParseToolbarResource(windres, sizeof(windres) - sizeof(DWORD), toolbar));
    EXPECT_FALSE(ParseToolbarResource(nullptr, 0, toolbar));

    ASSERT_TRUE(LoadToolbarResource(IDR_MAINFRAME, toolbar));
    EXPECT_EQ(toolbar.items, (std::vector<WORD>{ID_DEVICE_REFRESH, 0, ID_VIEW_PRESENT_ONLY, ID_VIEW_MICROSOFT_DRIVERS, 0,
                                                ID_DEVICE_DRIVER_FILES, ID_DEVICE_SAVE, ID_DEVICE_RESTORE, 0,
                                                ID_TOOLS_DEVICE_MANAGER}));
}

TEST_F(FrameFixture, ToolbarHasOneButtonPerCommandAndSeparatorsForZeros)
{
    const CWindow& toolbar = frame.ToolBarWindow();
    // The restore command's button follows the save button.
    ASSERT_EQ(toolbar.Send(TB_BUTTONCOUNT), 10);
    const int expectedCommands[] = {3000, 0, 3002, 3003, 0, 3001, 3004, 3011, 0, 3005};
    int image = 0;
    for (int i = 0; i < 10; ++i) {
        TBBUTTON button = {};
        ASSERT_TRUE(toolbar.Send(TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button)));
        if (expectedCommands[i] == 0) {
            EXPECT_TRUE(button.fsStyle & BTNS_SEP) << i;
            continue;
        }
        EXPECT_EQ(button.idCommand, expectedCommands[i]);
        EXPECT_EQ(button.iBitmap, image++) << "buttons take the images in order";
        EXPECT_EQ(button.fsStyle & BTNS_SEP, 0);
        EXPECT_TRUE(button.fsState & TBSTATE_ENABLED);
    }
    const LRESULT size = toolbar.Send(TB_GETBUTTONSIZE);
    EXPECT_EQ(LOWORD(size), 39) << "32-pixel images and a 7-pixel margin";
    EXPECT_EQ(HIWORD(size), 39);
    EXPECT_EQ(toolbar.GetId(), IDW_TOOLBAR);
    EXPECT_EQ(frame.StatusBarWindow().GetId(), IDW_STATUS_BAR);
    EXPECT_EQ(StatusText(0), L"Ready");
}

TEST_F(FrameFixture, MenuSelectShowsThePromptAndClosingTheMenuBringsBackReady)
{
    const HMENU menu = ::CreateMenu();
    frame.Send(WM_MENUSELECT, MAKEWPARAM(ID_DEVICE_REFRESH, MF_HILITE), reinterpret_cast<LPARAM>(menu));
    EXPECT_TRUE(StatusIsSimple());
    EXPECT_EQ(SimpleText(), L"Refresh device list");

    frame.Send(WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP | MF_HILITE), reinterpret_cast<LPARAM>(menu));
    EXPECT_EQ(SimpleText(), L"") << "a pop-up item has no prompt";
    frame.Send(WM_MENUSELECT, MAKEWPARAM(4321, MF_HILITE), reinterpret_cast<LPARAM>(menu));
    EXPECT_EQ(SimpleText(), L"") << "an id without a string";

    frame.Send(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_FALSE(StatusIsSimple());
    EXPECT_EQ(StatusText(0), L"Ready");
    ::DestroyMenu(menu);
}

TEST_F(FrameFixture, TooltipsComeFromTheStringTableInBothCharacterSets)
{
    NMTTDISPINFOW wide = {};
    wide.hdr.hwndFrom = frame.ToolBarWindow();
    wide.hdr.idFrom = ID_DEVICE_SAVE;
    wide.hdr.code = TTN_GETDISPINFOW;
    EXPECT_EQ(frame.Send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&wide)), 0);
    EXPECT_STREQ(wide.lpszText, L"Save device drver");
    EXPECT_TRUE(wide.uFlags & TTF_DI_SETITEM);

    NMTTDISPINFOA narrow = {};
    narrow.hdr.idFrom = ID_APP_EXIT;
    narrow.hdr.code = TTN_GETDISPINFOA;
    frame.Send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&narrow));
    EXPECT_STREQ(narrow.lpszText, "Exit");
    EXPECT_TRUE(narrow.uFlags & TTF_DI_SETITEM);

    NMTTDISPINFOW byWindow = {};
    byWindow.hdr.idFrom = ID_DEVICE_SAVE;
    byWindow.hdr.code = TTN_GETDISPINFOW;
    byWindow.uFlags = TTF_IDISHWND;
    frame.Send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&byWindow));
    EXPECT_EQ(byWindow.lpszText, nullptr) << "a tool named by its window gets nothing";

    NMTTDISPINFOW noId = {};
    noId.hdr.code = TTN_GETDISPINFOW;
    frame.Send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&noId));
    EXPECT_EQ(noId.lpszText, nullptr);
}

TEST_F(FrameFixture, DestroyingATopLevelFramePostsQuitWithOne)
{
    frame.Destroy();
    MSG quit = {};
    ASSERT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 1u);
}

TEST_F(FrameFixture, SizingLetsTheBarsFollowTheWidth)
{
    ::SetWindowPos(frame, nullptr, 0, 0, 800, 500, SWP_NOZORDER | SWP_NOMOVE);
    const RECT client = frame.ClientRect();
    const RECT toolbar = frame.ToolBarWindow().RectInParent();
    const RECT status = frame.StatusBarWindow().RectInParent();
    EXPECT_EQ(toolbar.right - toolbar.left, client.right);
    EXPECT_EQ(toolbar.top, 0);
    EXPECT_EQ(status.right - status.left, client.right);
    EXPECT_EQ(status.bottom, client.bottom);
}
