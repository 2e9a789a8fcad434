// The dialog that the restore and verify dialogs are made from: the driver packages of a
// backup folder, worked on (checked, verified) on a worker thread while the dialog is on
// screen, then listed by the dialog's columns, those that need a look first with the system's
// error or warning image, and a line under the list. A row's tooltip is the package's whole
// folder and the full text of every cell its column cuts. It opens within the work area, can
// be made as small as its controls allow, and its name column takes the width it gains; its
// columns follow the window's DPI. Cancel, Esc and the close box during the work only ask it
// to stop; the dialog ends once the worker is done with the packages.
#pragma once

#include <string>
#include <vector>

#include "backup/DriverPackage.h"
#include "framework/CListViewCtrl.h"
#include "framework/CResizableDialog.h"
#include "model/IProgressReporter.h"
#include "platform/BackgroundTask.h"
#include "platform/FolderPath.h"
#include "platform/Handles.h"
#include "ui/PackageListColumns.h"
#include "ui/PackageListRows.h"

// The ids of one package list dialog, each dialog with its own.
struct PackageListIds {
    WORD dialog;
    int source;  // the label that names the backup folder
    int list;
    int status;  // the line under the list
};

// What sets one package list apart: its ids, its columns and how a package stands out.
struct PackageListKind {
    PackageListIds ids;
    const PackageColumns& columns;
    PackageMark (*markOf)(const DriverPackage& package);
};

class CPackageListDlg : public CResizableDialog, public IProgressReporter {
public:
    // The work's progress; false once the user asked to close the dialog.
    bool Progress(double fraction) override;
    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // The packages as the work left them, in the order the work found them; valid once the
    // dialog has listed them.
    virtual const std::vector<DriverPackage>& Packages() = 0;
    // The line under the list as it reads now.
    std::wstring StatusText() const;

protected:
    // folder: the backup folder. extendedStyle: the list's extended styles (check boxes).
    // failedText: the line under the list when the work cannot be started.
    CPackageListDlg(const PackageListKind& kind, FolderPath folder, DWORD extendedStyle, UINT failedText);

    // On the worker thread: works out the packages of the backup folder.
    virtual void Work(const FolderPath& folder) = 0;
    // The rows are listed: the dialog ticks them, says what it found and enables its buttons.
    virtual void OnListed() = 0;
    // A row whose tooltip always gives its last cell (the status), cut or not.
    virtual bool ExplainsRow(const DriverPackage&) const { return false; }

    bool OnCommand(UINT id, UINT code, HWND control) override;
    std::optional<LRESULT> OnNotify(NMHDR& header) override;

    bool Working() const noexcept { return working; }
    const CListViewCtrl& List() const noexcept { return packageList; }
    void SetStatus(const std::wstring& text) const;
    // The index in Packages() of the package a row shows; rows.size() when none.
    size_t PackageAt(int row) const noexcept;
    // Every row's cells and image again, from the packages as they are now.
    void RefreshRows();

private:
    bool OnInitDialog() override;
    void OnResized(SIZE client) override;
    void OnDpiScaled(UINT from, UINT to) override;
    void OnWorkerFinished();
    void CreateMarkImages();
    int ImageOf(const DriverPackage& package) const;
    // Opens no larger than the work area and lets the user shrink it to its controls' least.
    void FitToScreen();
    void FillNameColumn() const;
    std::wstring RowTip(int row);

    PackageListKind kind;
    FolderPath folder;
    DWORD extendedStyle;
    UINT failedText;
    CListViewCtrl packageList;
    std::vector<size_t> rows;
    UniqueImageList markImages;
    SIZE minimumSize = {0, 0};
    bool working = false;
    BackgroundTask worker;
};
