// The progress dialog of a restore: it restores the packages ticked in its restorer. A stop is
// taken between packages, or while an install call is waited for.
#pragma once

#include "restore/CDriverRestorer.h"
#include "ui/CProgressDlgImpl.h"

class CRestoreProgressDlg : public CProgressDlgImpl<CRestoreProgressDlg> {
public:
    enum { IDD = IDD_RESTORE_PROGRESS };

    // restorer: checked and with its packages selected; it must outlive the dialog.
    explicit CRestoreProgressDlg(CDriverRestorer& restorer) : restorer(restorer) {}

    // The restore itself, on the dialog's worker thread.
    void RunTask();

private:
    CDriverRestorer& restorer;
};
