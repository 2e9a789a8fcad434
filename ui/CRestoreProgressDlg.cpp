#include "ui/CRestoreProgressDlg.h"

void CRestoreProgressDlg::RunTask()
{
    restorer.SetReporter(*this);
    restorer.RestoreAll(nullptr);
}
