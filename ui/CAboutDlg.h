// The about box: the program's icon, name and version, the copyright line with the build's
// year, the licence's name, and links to the support e-mail address and the home page.
#pragma once

#include "framework/CDialogImpl.h"
#include "platform/Handles.h"
#include "resources/resource.h"
#include "log/IShellOpen.h"

class CAboutDlg : public CDialogImpl<CAboutDlg> {
public:
    enum { IDD = IDD_ABOUT };

    // shell opens the links.
    explicit CAboutDlg(IShellOpen& shell) : shell(shell) {}

private:
    bool OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    std::optional<LRESULT> OnNotify(NMHDR& header) override;
    void OnLinkClicked(int controlId);

    IShellOpen& shell;
    UniqueFont boldFont;
};
