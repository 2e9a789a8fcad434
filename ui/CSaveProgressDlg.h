// The small modal dialog shown while the ticked devices are saved: it runs the save on a
// worker thread as soon as it is shown, shows the fraction done, lets the user ask for a
// stop, and closes itself when the run returns. What happened is in the save log, which
// opens when the dialog object goes.
#pragma once

#include <atomic>
#include <string>

#include "model/IProgressReporter.h"
#include "framework/CDialogImpl.h"
#include "resources/resource.h"
#include "saving/CDeviceSaver.h"

class CSaveProgressDlg : public CDialogImpl<CSaveProgressDlg>, public IProgressReporter {
public:
    enum { IDD = IDD_SAVE_PROGRESS };

    // targetFolder: the save target, read by the run; it must outlive the dialog.
    explicit CSaveProgressDlg(const std::wstring& targetFolder);

    // The devices to save are added to the saver before the dialog is shown.
    CDeviceSaver& Saver() { return saver; }

    bool Progress(double fraction) override;
    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnInitDialog();
    static DWORD WINAPI SaveWorker(void* parameter);

    CWindow progressBar;
    CWindow percentLabel;
    std::atomic<bool> abortRequested{false};
    const std::wstring& targetFolder;
    CDeviceSaver saver;
};

// The percentage text for a fraction done, truncated.
std::wstring PercentText(double fraction);
