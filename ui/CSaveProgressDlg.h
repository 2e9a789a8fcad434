// The progress dialog of a save from the main window: it saves the devices added to its saver
// into the target folder. The save log opens when the dialog object goes.
#pragma once

#include <string>

#include "platform/FolderPath.h"
#include "saving/CDeviceSaver.h"
#include "ui/CProgressDlgImpl.h"

class CSaveProgressDlg : public CProgressDlgImpl<CSaveProgressDlg> {
public:
    enum { IDD = IDD_SAVE_PROGRESS };

    // target: the save target. shell opens the save's log; folders are the system's.
    CSaveProgressDlg(FolderPath target, IShellOpen& shell, const SystemFolders& folders);

    // The devices to save are added to the saver before the dialog is shown.
    CDeviceSaver& Saver() { return saver; }

    // The save itself, on the dialog's worker thread.
    void RunTask();

private:
    FolderPath target;
    CDeviceSaver saver;
};
