#include "ui/CAboutDlg.h"

#include <commctrl.h>

#include "ui/ShellActions.h"

bool CAboutDlg::OnCommand(UINT id, UINT, HWND)
{
    if (id != IDOK && id != IDCANCEL)
        return false;
    EndDialog(id);
    return true;
}

std::optional<LRESULT> CAboutDlg::OnNotify(NMHDR& header)
{
    // A link opens on a click, and on Enter for those who reach it with the keyboard.
    if (header.code != NM_CLICK && header.code != NM_RETURN)
        return std::nullopt;
    OnLinkClicked(static_cast<int>(header.idFrom));
    return 0;
}

bool CAboutDlg::OnInitDialog()
{
    CenterWindow(GetParent());
    // The dialog's own font stays the dialog's: the product line gets a bold copy of it.
    LOGFONTW font = {};
    ::GetObjectW(GetFont(), sizeof(font), &font);
    font.lfWeight = FW_BOLD;
    boldFont.reset(::CreateFontIndirectW(&font));
    GetItem(IDC_PRODUCT_LINE).SetFont(boldFont.get(), true);
    // Enter and Space close the box, as its default button promises; the links come after it.
    ::SetFocus(GetItem(IDOK));
    return false;
}

void CAboutDlg::OnLinkClicked(int controlId)
{
    if (controlId == IDC_EMAIL_LINK)
        shell.Open(kSupportEmailUrl);
    else if (controlId == IDC_HOMEPAGE_LINK)
        shell.Open(kHomePageUrl);
}
