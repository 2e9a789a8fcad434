#include "ui/CRestoreProgressDlg.h"

#include <commctrl.h>

#include "platform/Handles.h"
#include "ui/CSaveProgressDlg.h"
#include "ui/ProgressBar.h"
#include "ui/WorkerMessages.h"

CRestoreProgressDlg::CRestoreProgressDlg(CDriverRestorer& restorer) : restorer(restorer) {}

bool CRestoreProgressDlg::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        result = TRUE;
        return true;
    case WM_COMMAND:
        // Cancel, Esc and the close box only ask the run to stop; it ends the dialog itself.
        if (LOWORD(wParam) == IDCANCEL) {
            abortRequested = true;
            return true;
        }
        return false;
    case WM_WORKER_FINISHED:
        EndDialog(0);
        return true;
    default:
        return false;
    }
}

void CRestoreProgressDlg::OnInitDialog()
{
    progressBar = GetItem(IDC_SAVE_PROGRESS);
    progressBar.Send(PBM_SETRANGE32, 0, kProgressRange);
    percentLabel = GetItem(IDC_SAVE_PERCENT);
    percentLabel.SetText(L"0%");
    CenterWindow(GetParent());

    UniqueKernelHandle worker(::CreateThread(nullptr, 0, RestoreWorker, this, 0, nullptr));
    // Without a worker nothing would ever end the dialog, and Cancel only asks for a stop.
    if (!worker)
        EndDialog(0);
}

DWORD WINAPI CRestoreProgressDlg::RestoreWorker(void* parameter)
{
    auto* dialog = static_cast<CRestoreProgressDlg*>(parameter);
    const HWND window = dialog->get();
    try {
        dialog->restorer.SetReporter(*dialog);
        dialog->restorer.RestoreAll(nullptr);
    } catch (...) {
        // The run is over either way; what it did is in its log.
    }
    ::PostMessageW(window, WM_WORKER_FINISHED, 0, 0);
    return 0;
}

bool CRestoreProgressDlg::Progress(double fraction)
{
    progressBar.Send(PBM_SETPOS, static_cast<WPARAM>(ProgressBarPosition(fraction)));
    percentLabel.SetText(PercentText(fraction).c_str());
    return !abortRequested;
}
