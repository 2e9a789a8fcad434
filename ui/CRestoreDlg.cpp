#include "ui/CRestoreDlg.h"

#include <commctrl.h>

#include "platform/Handles.h"
#include "platform/ShellPath.h"
#include "ui/CRestoreProgressDlg.h"
#include "ui/WorkerMessages.h"

namespace {

struct Column {
    const wchar_t* title;
    int width;
};

const Column kColumns[] = {{L"Device folder", 200}, {L"INF", 85},      {L"Version", 60},
                           {L"Provider", 95},       {L"Devices", 120}, {L"Status", 190}};

const UINT kChecked = INDEXTOSTATEIMAGEMASK(2);
const UINT kCleared = INDEXTOSTATEIMAGEMASK(1);

void SetSubItemText(const CWindow& list, int item, int subItem, const std::wstring& text)
{
    LVITEMW column = {};
    column.iSubItem = subItem;
    column.pszText = const_cast<wchar_t*>(text.c_str());
    list.Send(LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&column));
}

bool IsTicked(const CWindow& list, int item)
{
    return (list.Send(LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) ==
           kChecked;
}

} // namespace

std::vector<std::wstring> PackageColumns(const DriverPackage& package)
{
    std::wstring devices;
    for (const MatchedDevice& device : package.devices)
        devices += (devices.empty() ? L"" : L", ") + device.name;
    const std::wstring folder = WithoutFileName(package.displayName);
    return {folder == package.displayName ? std::wstring() : folder, FileNamePart(package.displayName),
            package.version, package.provider, devices.empty() ? std::wstring(L"none present") : devices,
            StatusText(package.status)};
}

std::wstring PackageCountText(size_t found, size_t ticked)
{
    if (found == 0)
        return L"No driver packages found in this folder.";
    return std::to_wstring(found) + L" driver package(s) found, " + std::to_wstring(ticked) + L" ticked.";
}

CRestoreDlg::CRestoreDlg(const std::wstring& folder, const ShellServices& services)
    : folder(folder), messages(services.messages), restorer(*this, services.shell, services.systemFolders)
{
}

bool CRestoreDlg::ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT&)
{
    if (message != WM_WORKER_FINISHED)
        return false;
    OnChecked();
    return true;
}

bool CRestoreDlg::OnCommand(UINT id, UINT, HWND)
{
    if (id == IDOK)
        OnRestore();
    else if (id == IDCANCEL)
        OnCancel();
    else
        return false;
    return true;
}

bool CRestoreDlg::OnInitDialog()
{
    GetItem(IDC_RESTORE_SOURCE).SetText((L"Backup folder: " + folder).c_str());
    statusLabel = GetItem(IDC_RESTORE_STATUS);
    packageList = GetItem(IDC_PACKAGE_LIST);
    packageList.Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    AddColumns();
    CenterWindow(GetParent());

    checking = true;
    // What was found before a failure is listed.
    if (!worker.Start([this](const std::atomic<bool>&) { restorer.FindPackages(folder, false); }, get(),
                      WM_WORKER_FINISHED)) {
        checking = false;
        statusLabel.SetText(L"The driver packages could not be checked.");
    }
    return true;
}

void CRestoreDlg::AddColumns()
{
    int index = 0;
    for (const Column& column : kColumns) {
        LVCOLUMNW entry = {};
        entry.mask = LVCF_TEXT | LVCF_WIDTH;
        entry.pszText = const_cast<wchar_t*>(column.title);
        entry.cx = column.width;
        packageList.Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&entry));
    }
}

bool CRestoreDlg::Progress(double)
{
    return !worker.StopRequested();
}

void CRestoreDlg::OnChecked()
{
    checking = false;
    if (closeRequested) {
        EndDialog(IDCANCEL);
        return;
    }
    size_t ticked = 0;
    int item = 0;
    for (const DriverPackage& package : restorer.Packages()) {
        const std::vector<std::wstring> columns = PackageColumns(package);
        LVITEMW row = {};
        row.mask = LVIF_TEXT;
        row.iItem = item;
        row.pszText = const_cast<wchar_t*>(columns[0].c_str());
        const int index = static_cast<int>(packageList.Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row)));
        for (size_t i = 1; i < columns.size(); ++i)
            SetSubItemText(packageList, index, static_cast<int>(i), columns[i]);
        const bool tick = IsInstallable(package.status, false);
        LVITEMW state = {};
        state.stateMask = LVIS_STATEIMAGEMASK;
        state.state = tick ? kChecked : kCleared;
        packageList.Send(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&state));
        ticked += tick ? 1 : 0;
        ++item;
    }
    statusLabel.SetText(PackageCountText(restorer.Packages().size(), ticked).c_str());
    GetItem(IDOK).Enable(!restorer.Packages().empty());
}

void CRestoreDlg::OnRestore()
{
    if (checking)
        return;
    std::vector<DriverPackage>& packages = restorer.Packages();
    size_t ticked = 0;
    for (size_t i = 0; i < packages.size(); ++i) {
        packages[i].selected = IsTicked(packageList, static_cast<int>(i));
        // Ticking a package whose devices have newer drivers asks for it to go over them.
        if (packages[i].selected && packages[i].status == PackageStatus::Newer)
            ForceOverNewer(packages[i]);
        ticked += packages[i].selected ? 1 : 0;
    }
    if (ticked == 0) {
        messages.Show(get(), L"No driver packages selected.\nPlease tick at least one driver package to restore.",
                      L"Restore drivers", MB_OK);
        return;
    }
    CRestoreProgressDlg progress(restorer);
    progress.DoModal(get());
    EndDialog(IDOK);
}

void CRestoreDlg::OnCancel()
{
    // The check still uses the restorer: the dialog ends once the worker is done with it.
    if (checking) {
        worker.RequestStop();
        closeRequested = true;
        return;
    }
    EndDialog(IDCANCEL);
}
