// The verify command's dialog: the driver packages of a backup folder verified against their
// catalogs on a worker thread while the dialog is on screen (nothing is changed), then listed
// with their device folder (its own name; the full path as the row's tooltip), INF, verdict
// and the files at fault, and the count of intact ones under the list. The log opens when the
// dialog object goes. Resizable; its columns follow the window's DPI.
#pragma once

#include <string>
#include <vector>

#include "framework/CDialogImpl.h"
#include "framework/CDialogResize.h"
#include "framework/CListViewCtrl.h"
#include "model/IProgressReporter.h"
#include "platform/BackgroundTask.h"
#include "resources/resource.h"
#include "backup/CBackupVerifier.h"
#include "ui/ShellServices.h"

class CVerifyDlg : public CDialogImpl<CVerifyDlg>, public CDialogResize<CVerifyDlg>, public IProgressReporter {
public:
    enum { IDD = IDD_VERIFY };

    // folder: the backup folder to verify. The services open the verification's log.
    CVerifyDlg(const std::wstring& folder, const ShellServices& services);

    // The verification's progress; false once the user asked to close the dialog.
    bool Progress(double fraction) override;
    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    static const DialogResizeEntry* GetDlgResizeMap(size_t& count);

    // The packages with their verdicts; valid once the dialog has listed them.
    const std::vector<DriverPackage>& Packages() const { return verifier.Packages(); }

private:
    bool OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    std::optional<LRESULT> OnNotify(NMHDR& header) override;
    bool OnSize(UINT type, SIZE client) override;
    bool OnDpiChanged(UINT newDpi, const RECT& suggested) override;
    void OnVerified();

    CListViewCtrl packageList;
    std::wstring folder;
    UINT dpi = 96;
    bool verifying = false;
    BackgroundTask worker;
    CBackupVerifier verifier;
};

// The list's columns for one verified package: device folder (its last part), INF, verdict
// (with why the INF was refused) and the files at fault with their reasons.
std::vector<std::wstring> VerifiedColumns(const DriverPackage& package);

// The line under the list: "Verified: N of M driver package(s) intact.", or that none were
// found.
std::wstring VerifiedCountText(const std::vector<DriverPackage>& packages);
