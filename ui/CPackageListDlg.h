// The dialog that the restore and verify dialogs are made from: the driver packages of a
// backup folder, worked on (checked, verified) on a worker thread while the dialog is on
// screen, then listed by the dialog's columns, with the package's whole folder as the row's
// tooltip and a line under the list. Resizable, and its columns follow the window's DPI.
// Cancel, Esc and the close box during the work only ask it to stop; the dialog ends once the
// worker is done with the packages.
#pragma once

#include <string>
#include <vector>

#include "backup/DriverPackage.h"
#include "framework/CListViewCtrl.h"
#include "framework/CResizableDialog.h"
#include "model/IProgressReporter.h"
#include "platform/BackgroundTask.h"
#include "platform/FolderPath.h"
#include "ui/PackageListColumns.h"

// The ids of one package list dialog, each dialog with its own.
struct PackageListIds {
    WORD dialog;
    int source;  // the label that names the backup folder
    int list;
    int status;  // the line under the list
};

class CPackageListDlg : public CResizableDialog, public IProgressReporter {
public:
    // The work's progress; false once the user asked to close the dialog.
    bool Progress(double fraction) override;
    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // The packages as the work left them, the list's rows in their order; valid once the
    // dialog has listed them.
    virtual const std::vector<DriverPackage>& Packages() = 0;

protected:
    // folder: the backup folder. extendedStyle: the list's extended styles (check boxes).
    // failedText: the line under the list when the work cannot be started.
    CPackageListDlg(const PackageListIds& ids, const PackageColumns& columns, FolderPath folder,
                    DWORD extendedStyle, UINT failedText);

    // On the worker thread: works out the packages of the backup folder.
    virtual void Work(const FolderPath& folder) = 0;
    // The rows are listed: the dialog ticks them, says what it found and enables its buttons.
    virtual void OnListed() = 0;

    bool OnCommand(UINT id, UINT code, HWND control) override;
    std::optional<LRESULT> OnNotify(NMHDR& header) override;

    bool Working() const noexcept { return working; }
    const CListViewCtrl& List() const noexcept { return packageList; }
    void SetStatus(const std::wstring& text) const;

private:
    bool OnInitDialog() override;
    void OnWorkerFinished();

    PackageListIds ids;
    const PackageColumns& columns;
    FolderPath folder;
    DWORD extendedStyle;
    UINT failedText;
    CListViewCtrl packageList;
    bool working = false;
    BackgroundTask worker;
};
