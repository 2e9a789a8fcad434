#include "ui/CAboutDlg.h"

#include <commctrl.h>

#include "ui/ShellActions.h"

bool CAboutDlg::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        result = TRUE;
        return true;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(LOWORD(wParam));
            return true;
        }
        return false;
    case WM_NOTIFY: {
        // A link opens on a click, and on Enter for those who reach it with the keyboard.
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == NM_CLICK || header->code == NM_RETURN) {
            OnLinkClicked(static_cast<int>(header->idFrom));
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

void CAboutDlg::OnInitDialog()
{
    CenterWindow(GetParent());
    // The dialog's own font stays the dialog's: the product line gets a bold copy of it.
    LOGFONTW font = {};
    ::GetObjectW(GetFont(), sizeof(font), &font);
    font.lfWeight = FW_BOLD;
    boldFont.reset(::CreateFontIndirectW(&font));
    GetItem(IDC_PRODUCT_LINE).SetFont(boldFont.get(), true);
}

void CAboutDlg::OnLinkClicked(int controlId)
{
    if (controlId == IDC_EMAIL_LINK)
        ShellOpen(kSupportEmailUrl);
    else if (controlId == IDC_HOMEPAGE_LINK)
        ShellOpen(kHomePageUrl);
}
