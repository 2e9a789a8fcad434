// The small modal dialog shown while a long run goes on (a save, a restore): it starts T's
// RunTask on a worker thread as soon as it is shown, shows the fraction done, lets the user
// ask for a stop, and closes itself when the run returns. What happened is in the run's log.
//
// T derives from CProgressDlgImpl<T>, names its dialog resource as T::IDD (a progress bar
// IDC_SAVE_PROGRESS and a label IDC_SAVE_PERCENT) and provides `void RunTask()`, called on the
// worker with the dialog as the run's progress reporter.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/CDialogImpl.h"
#include "model/IProgressReporter.h"
#include "platform/BackgroundTask.h"
#include "resources/resource.h"
#include "ui/ProgressBar.h"
#include "ui/WorkerMessages.h"

// The percentage text for a fraction done, truncated.
std::wstring PercentText(double fraction);

template <typename T>
class CProgressDlgImpl : public CDialogImpl<T>, public IProgressReporter {
public:
    // Called on the worker thread; the answer carries a stop request to the run.
    bool Progress(double fraction) override
    {
        progressBar.Send(PBM_SETPOS, static_cast<WPARAM>(ProgressBarPosition(fraction)));
        percentLabel.SetText(PercentText(fraction).c_str());
        return !worker.StopRequested();
    }
    // Whether the user asked the run to stop (once it has ended: whether it was stopped).
    bool StopRequested() const { return worker.StopRequested(); }

    bool ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT&) override
    {
        if (message != WM_WORKER_FINISHED)
            return false;
        this->EndDialog(0);
        return true;
    }

private:
    // Cancel, Esc and the close box only ask the run to stop; it ends the dialog itself.
    bool OnCommand(UINT id, UINT, HWND) override
    {
        if (id != IDCANCEL)
            return false;
        worker.RequestStop();
        return true;
    }

    bool OnInitDialog() override
    {
        progressBar = this->GetItem(IDC_SAVE_PROGRESS);
        progressBar.Send(PBM_SETRANGE32, 0, kProgressRange);
        percentLabel = this->GetItem(IDC_SAVE_PERCENT);
        percentLabel.SetText(L"0%");
        this->CenterWindow(this->GetParent());

        // Without a worker nothing would ever end the dialog, and Cancel only asks for a stop.
        if (!worker.Start([this](const std::atomic<bool>&) { static_cast<T*>(this)->RunTask(); }, this->get(),
                          WM_WORKER_FINISHED))
            this->EndDialog(0);
        return true;
    }

    CWindow progressBar;
    CWindow percentLabel;
    BackgroundTask worker;
};
