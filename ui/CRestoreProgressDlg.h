// The small modal dialog shown while the ticked driver packages are restored: like the save
// progress dialog, it runs the restore on a worker thread as soon as it is shown, shows the
// fraction done, lets the user ask for a stop (taken between packages, or while an install
// call is waited for) and closes itself when the run returns.
#pragma once

#include <atomic>

#include "model/IProgressReporter.h"
#include "framework/CDialogImpl.h"
#include "resources/resource.h"
#include "restore/CDriverRestorer.h"

class CRestoreProgressDlg : public CDialogImpl<CRestoreProgressDlg>, public IProgressReporter {
public:
    enum { IDD = IDD_RESTORE_PROGRESS };

    // restorer: checked and with its packages selected; it must outlive the dialog.
    explicit CRestoreProgressDlg(CDriverRestorer& restorer);

    bool Progress(double fraction) override;
    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnInitDialog();
    static DWORD WINAPI RestoreWorker(void* parameter);

    CWindow progressBar;
    CWindow percentLabel;
    std::atomic<bool> abortRequested{false};
    CDriverRestorer& restorer;
};
