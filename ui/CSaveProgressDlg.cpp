#include "ui/CSaveProgressDlg.h"

#include <commctrl.h>

#include "platform/Handles.h"
#include "ui/ProgressBar.h"
#include "ui/WorkerMessages.h"

std::wstring PercentText(double fraction)
{
    return std::to_wstring(static_cast<int>(fraction * 100)) + L"%";
}

CSaveProgressDlg::CSaveProgressDlg(const std::wstring& targetFolder)
    : targetFolder(targetFolder)
    , saver(*this)
{ }

bool CSaveProgressDlg::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM, LRESULT& result)
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

void CSaveProgressDlg::OnInitDialog()
{
    progressBar = GetItem(IDC_SAVE_PROGRESS);
    progressBar.Send(PBM_SETRANGE32, 0, kProgressRange);
    percentLabel = GetItem(IDC_SAVE_PERCENT);
    percentLabel.SetText(L"0%");
    CenterWindow(GetParent());

    UniqueKernelHandle worker(::CreateThread(nullptr, 0, SaveWorker, this, 0, nullptr));
    // Without a worker nothing would ever end the dialog, and Cancel only asks for a stop.
    if (!worker)
        EndDialog(0);
}

DWORD WINAPI CSaveProgressDlg::SaveWorker(void* parameter)
{
    auto* dialog = static_cast<CSaveProgressDlg*>(parameter);
    const HWND window = dialog->get();
    try {
        dialog->saver.SaveAll(dialog->targetFolder, nullptr);
    } catch (...) {
        // The run is over either way; what it did is in its log.
    }
    ::PostMessageW(window, WM_WORKER_FINISHED, 0, 0);
    return 0;
}

bool CSaveProgressDlg::Progress(double fraction)
{
    progressBar.Send(PBM_SETPOS, static_cast<WPARAM>(ProgressBarPosition(fraction)));
    percentLabel.SetText(PercentText(fraction).c_str());
    return !abortRequested;
}
