// The about box and the shell actions behind it: its texts, the bold product line, the two
// links, and the help library that is looked for once.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>


#include "tests/support/ChildProcess.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestShellServices.h"
#include "ui/MainFrameActions.h"
#include "tests/support/TestWindow.h"
#include "ui/CAboutDlg.h"
#include "ui/HtmlHelpLibrary.h"
#include "ui/ShellActions.h"

namespace {

// The HTML Help control's COM registration, and one that no system has.
const wchar_t kHtmlHelpRegistration[] = L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
const wchar_t kMissingRegistration[] = L"CLSID\\{00000000-0000-0000-0000-00000000beef}\\InprocServer32";

void Click(const CAboutDlg& dialog, int linkId)
{
    NMLINK link = {};
    link.hdr.hwndFrom = dialog.GetItem(linkId).get();
    link.hdr.idFrom = static_cast<UINT_PTR>(linkId);
    link.hdr.code = NM_CLICK;
    dialog.Send(WM_NOTIFY, static_cast<WPARAM>(linkId), reinterpret_cast<LPARAM>(&link));
}

std::set<HWND> VisibleWindowsOfThisProcess()
{
    std::set<HWND> windows;
    EnumWindows(
        [](HWND window, LPARAM found) -> BOOL {
            DWORD process = 0;
            ::GetWindowThreadProcessId(window, &process);
            if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window))
                reinterpret_cast<std::set<HWND>*>(found)->insert(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

int YearOfThisProgram()
{
    wchar_t path[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    SYSTEMTIME time = {};
    if (!::GetFileAttributesExW(path, GetFileExInfoStandard, &data) || !::FileTimeToSystemTime(&data.ftLastWriteTime, &time))
        return 0;
    return time.wYear;
}

} // namespace

TEST(AboutDialog, ShowsTheProductLineInBoldAndEndsWithTheButtonPressed)
{
    TestWindow owner;
    ::ShowWindow(owner.get(), SW_SHOWNORMAL);
    ShellOpenRecorder shell;
    CAboutDlg dialog(shell);
    std::wstring title, productLine, copyright, licence, emailLink, homeLink;
    LONG productWeight = 0, dialogWeight = 0;
    ModalScript script([&] {
        if (!dialog.IsVisible())
            return false;
        title = WindowText(dialog.get());
        productLine = WindowText(dialog.GetItem(IDC_PRODUCT_LINE).get());
        copyright = WindowText(dialog.GetItem(IDC_COPYRIGHT_LINE).get());
        licence = WindowText(dialog.GetItem(IDC_LICENCE_LINE).get());
        emailLink = WindowText(dialog.GetItem(IDC_EMAIL_LINK).get());
        homeLink = WindowText(dialog.GetItem(IDC_HOMEPAGE_LINK).get());
        LOGFONTW font = {};
        ::GetObjectW(dialog.GetItem(IDC_PRODUCT_LINE).GetFont(), sizeof(font), &font);
        productWeight = font.lfWeight;
        ::GetObjectW(dialog.GetFont(), sizeof(font), &font);
        dialogWeight = font.lfWeight;
        SaveScreenshot(dialog.get(), L"about-dialog");
        dialog.Send(WM_COMMAND, IDCANCEL);
        return true;
    });
    EXPECT_EQ(dialog.DoModal(owner.get()), IDCANCEL);
    EXPECT_EQ(title, L"About");
    EXPECT_EQ(productLine, L"Tarnwick 3.1");
    // The year is the build's: that of this test program, built with the program's resources.
    EXPECT_EQ(copyright, L"Copyright \u00a9 " + std::to_wstring(YearOfThisProgram()) + L" Morvane");
    EXPECT_EQ(licence, L"Licence: MIT License");
    EXPECT_EQ(productWeight, FW_BOLD);
    EXPECT_NE(dialogWeight, FW_BOLD) << "the dialog's own font is left as it was";
    EXPECT_NE(emailLink.find(L"E-mail: support@tarnwick.example.com"), std::wstring::npos) << emailLink;
    EXPECT_NE(homeLink.find(L"Tarnwick Homepage"), std::wstring::npos) << homeLink;
}

TEST(AboutDialog, OkEndsTheDialogWithOk)
{
    ShellOpenRecorder shell;
    CAboutDlg dialog(shell);
    ModalScript script([&] {
        dialog.Send(WM_COMMAND, IDOK);
        return true;
    });
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
}

TEST(AboutDialog, LinksOpenTheSupportAddressAndTheHomePage)
{
    ShellOpenRecorder shell;
    CAboutDlg dialog(shell);
    ModalScript script([&] {
        Click(dialog, IDC_EMAIL_LINK);
        Click(dialog, IDC_HOMEPAGE_LINK);
        Click(dialog, IDC_PRODUCT_LINE);
        dialog.EndDialog(IDOK);
        return true;
    });
    dialog.DoModal(nullptr);
    EXPECT_EQ(shell.Opened(),
              (std::vector<std::wstring>{L"mailto:support@tarnwick.example.com", L"https://tarnwick.example.com/"}))
        << "other controls open nothing";
}

TEST(ShellActions, HomePageOpensTheSameAddressAsTheLink)
{
    TestShellServices services;
    MainFrameActions(services.Services()).OpenHomePage();
    EXPECT_EQ(services.shell.Opened(), std::vector<std::wstring>{L"https://tarnwick.example.com/"});
}

TEST(ShellActions, HelpLibraryThatCannotBeLoadedIsNotLookedForAgain)
{
    HtmlHelpLibrary missing(kMissingRegistration, L"no-such-help.ocx");
    EXPECT_EQ(missing.Get(), nullptr);
    EXPECT_EQ(missing.Get(), nullptr);
    EXPECT_EQ(missing.loadAttempts(), 1);
}

// Each way to the library is proved alone: the other one is made to fail.
TEST(ShellActions, HelpLibraryIsFoundThroughItsRegistration)
{
    HtmlHelpLibrary library(kHtmlHelpRegistration, L"no-such-help.ocx");
    EXPECT_NE(library.Get(), nullptr) << "the registered library, with a fallback name that does not load";
    EXPECT_NE(library.Get(), nullptr);
    EXPECT_EQ(library.loadAttempts(), 1);
}

TEST(ShellActions, HelpLibraryWithoutARegistrationIsLoadedByName)
{
    HtmlHelpLibrary library(kMissingRegistration, L"hhctrl.ocx");
    EXPECT_NE(library.Get(), nullptr) << "the fallback name, with no registration to read";
    EXPECT_EQ(library.loadAttempts(), 1);
}

TEST(ShellActions, HelpWithoutAHelpFileShowsNothing)
{
    TestWindow owner;
    ::ShowWindow(owner.get(), SW_SHOWNORMAL);
    const std::set<HWND> before = VisibleWindowsOfThisProcess();
    ShowHelpFile(owner.get());
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 1000) {
        PumpMessages();
        ::Sleep(20);
    }
    EXPECT_EQ(VisibleWindowsOfThisProcess(), before);
    EXPECT_EQ(HtmlHelpLibrary::System().loadAttempts(), 1) << "the help library was asked for all the same";
    EXPECT_NE(HtmlHelpLibrary::System().Get(), nullptr);
}
