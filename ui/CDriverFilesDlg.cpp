#include "ui/CDriverFilesDlg.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>

#include "discovery/DriverFileFinder.h"
#include "framework/Dpi.h"
#include "platform/Handles.h"
#include "platform/ProcAddress.h"
#include "platform/ScopedCom.h"
#include "saving/CDeviceSaver.h"
#include "saving/RestoreKit.h"
#include "ui/DateText.h"
#include "ui/OfflineWindows.h"
#include "ui/ProgressBar.h"
#include "ui/SaveTarget.h"
#include "ui/ShellActions.h"
#include "ui/WorkerMessages.h"

namespace {

// Pixel sizes at 96 DPI.
const int kStatusFirstPartWidth = 340;
// The shell's file property sheet, exported by ordinal only.
const WORD kObjectPropertiesOrdinal = 178;
const DWORD kObjectTypeFilePath = 2;

const std::vector<CListViewCtrl::Column> kColumns = {
    {L"Source file name", 200}, {L"Size", 85, LVCFMT_RIGHT}, {L"Date", 95, LVCFMT_RIGHT}};

void ShowFileProperties(HWND owner, const std::wstring& path)
{
    using ObjectPropertiesFunction = BOOL(WINAPI*)(HWND, DWORD, PCWSTR, PCWSTR);
    const auto objectProperties = GetProcAddressAs<ObjectPropertiesFunction>(
        ::GetModuleHandleW(L"shell32.dll"), MAKEINTRESOURCEA(kObjectPropertiesOrdinal));
    if (objectProperties)
        objectProperties(owner, kObjectTypeFilePath, path.c_str(), nullptr);
}

} // namespace

std::wstring FileStatusText(int fileCount, uint64_t totalSize)
{
    return L"Files: " + std::to_wstring(fileCount) + L", Total size: " + std::to_wstring(totalSize / 1000) + L" KB";
}

CDriverFilesDlg::CDriverFilesDlg(PlacementRecord& placement, DeviceInfo* device, std::wstring& targetFolder,
                                 const ShellServices& services)
    : CResizableDialog(IDD_DRIVER_FILES,
                       {{IDC_FILE_LIST, DLSZ_SIZE_X | DLSZ_SIZE_Y},
                        {IDC_DEVICE_PROPERTIES, DLSZ_MOVE_Y},
                        {IDOK, DLSZ_MOVE_X | DLSZ_MOVE_Y},
                        {IDC_SAVE, DLSZ_MOVE_X | DLSZ_MOVE_Y},
                        {IDC_STATUS_BAR, DLSZ_SIZE_X | DLSZ_MOVE_Y}})
    , device(device)
    , targetFolder(targetFolder)
    , placement(placement)
    , services(services)
{ }

bool CDriverFilesDlg::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (CResizableDialog::ProcessWindowMessage(window, message, wParam, lParam, result))
        return true;
    switch (message) {
    case WM_CLOSE:
        // Recorded here, so the close box records it too; default processing then turns the
        // message into IDCANCEL.
        CapturePlacement(placement, window);
        return false;
    case WM_WORKER_FINISHED:
        OnWorkerFinished(static_cast<WorkerKind>(wParam));
        return true;
    default:
        return false;
    }
}

bool CDriverFilesDlg::OnCommand(UINT id, UINT, HWND)
{
    switch (id) {
    case IDOK:
        // Enter in the list opens the selected file; the Close button and Enter elsewhere close.
        if (::GetFocus() == fileList.get() && ShowSelectedFileProperties())
            return true;
        OnCloseRequest(static_cast<int>(id));
        return true;
    case IDCANCEL:
        OnCloseRequest(static_cast<int>(id));
        return true;
    case IDC_SAVE:
        OnSave();
        return true;
    case IDC_DEVICE_PROPERTIES:
        if (device)
            ShowShownDeviceProperties(device->instanceId, get(), services);
        return true;
    default:
        return false;
    }
}

std::optional<LRESULT> CDriverFilesDlg::OnNotify(NMHDR& header)
{
    if (header.code == NM_DBLCLK && header.idFrom == IDC_FILE_LIST) {
        ShowSelectedFileProperties();
        return 0;
    }
    if (header.code == LVN_COLUMNCLICK) {
        order = AfterColumnClick(order, reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        Sort();
        return 0;
    }
    return std::nullopt;
}

bool CDriverFilesDlg::OnInitDialog()
{
    SetText(device ? device->name.c_str() : L"");
    statusBar = GetItem(IDC_STATUS_BAR);
    progressBar = CreateStatusProgressBar(statusBar, ScaleForDpi(kStatusFirstPartWidth, Dpi()),
                                          ScaleForDpi(kStatusBarInset, Dpi()), WS_VISIBLE);
    SetStatusParts();

    fileList = CListViewCtrl(GetItem(IDC_FILE_LIST));
    fileList.AddColumns(kColumns, Dpi());
    SHFILEINFOW info = {};
    const auto systemImages = reinterpret_cast<HIMAGELIST>(
        ::SHGetFileInfoW(L"", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    fileList.Send(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(systemImages));
    const DWORD extended = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT;
    fileList.Send(LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);

    SetBusy(false);
    if (!ApplyPlacement(placement, get(), false))
        CenterWindow(GetParent());
    StartBusyWorker([this] { Discover(); }, kDiscovery);
    // The keyboard starts in the list, where the arrows pick a file and Enter opens it.
    ::SetFocus(fileList);
    return false;
}

void CDriverFilesDlg::SetStatusParts()
{
    const int parts[] = {ScaleForDpi(kStatusFirstPartWidth, Dpi()), -1};
    statusBar.Send(SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    PlaceStatusProgressBar(progressBar, parts[0], ScaleForDpi(kStatusBarInset, Dpi()));
}

void CDriverFilesDlg::OnDpiScaled(UINT, UINT)
{
    SetStatusParts();
}

void CDriverFilesDlg::SetBusy(bool flag)
{
    busy = flag;
    progressBar.Send(PBM_SETPOS, 0);
    progressBar.Show(flag ? SW_SHOW : SW_HIDE);
    GetItem(IDC_DEVICE_PROPERTIES).Enable(!flag);
    GetItem(IDC_SAVE).Enable(!flag);
    GetItem(IDOK).SetText(flag ? L"&Cancel" : L"&Close");
    const std::wstring status = flag ? std::wstring() : FileStatusText(fileCount, totalSize);
    statusBar.Send(SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(status.c_str()));
}

void CDriverFilesDlg::OnCloseRequest(int command)
{
    // A running worker is asked to stop; it reports back, and the dialog then ends itself.
    if (busy) {
        worker.RequestStop();
        return;
    }
    Send(WM_CLOSE);
    EndDialog(command);
}

void CDriverFilesDlg::OnSave()
{
    if (busy)
        return;
    saveTarget = PickSaveTarget(services, targetFolder, get());
    if (!saveTarget)
        return;
    StartBusyWorker([this] { SaveDevice(); }, kSave);
}

bool CDriverFilesDlg::StartBusyWorker(std::function<void()> task, WorkerKind kind)
{
    // Busy from before the thread exists, so that no second worker can be started meanwhile.
    SetBusy(true);
    const bool started =
        worker.Start([task = std::move(task)](const std::atomic<bool>&) { task(); }, get(), WM_WORKER_FINISHED, kind);
    if (!started)
        SetBusy(false);
    return started;
}

// On the worker thread; the list shows what was found before a failure.
void CDriverFilesDlg::Discover()
{
    // The shell looks up the files' icons through COM.
    const ScopedCom com(COINIT_MULTITHREADED);
    if (device) {
        DriverFileFinder finder(*device, *this, services.systemFolders);
        finder.Run();
    }
}

// On the worker thread; what the run did is in its log.
void CDriverFilesDlg::SaveDevice()
{
    // The log is opened with the shell when the saver goes, on this thread.
    const ScopedCom com(COINIT_MULTITHREADED);
    // The saver finishes its log, and opens it for the user, when it goes at the end of this
    // function.
    CDeviceSaver saver(*this, services.shell, services.systemFolders);
    saver.IncludeRestoreKit(RunningProgramPath());
    saver.AddDevice(device);
    saver.SaveAll(*saveTarget, nullptr);
}

void CDriverFilesDlg::OnWorkerFinished(WorkerKind kind)
{
    if (worker.StopRequested()) {
        EndDialog(0);
        return;
    }
    if (kind == kDiscovery)
        Sort();
    SetBusy(false);
}

bool CDriverFilesDlg::Progress(double fraction)
{
    progressBar.Send(PBM_SETPOS, static_cast<WPARAM>(ProgressBarPosition(fraction)));
    return !worker.StopRequested();
}

void CDriverFilesDlg::OnFile(const DriverFile& found)
{
    listedFiles.push_back(found);
    const DriverFile& file = listedFiles.back();
    SHFILEINFOW info = {};
    ::SHGetFileInfoW(file.path.c_str(), 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES);

    // Sizes are unsigned: a file of 2 GB or more must not show as a negative number.
    fileList.AddRow({file.name, std::to_wstring(file.size), ShortDateText(file.time)},
                    reinterpret_cast<LPARAM>(&file), info.iIcon);

    ++fileCount;
    totalSize += file.size;
}

void CDriverFilesDlg::Sort()
{
    fileList.Send(LVM_SORTITEMS, reinterpret_cast<WPARAM>(this), reinterpret_cast<LPARAM>(CompareItems));
}

int CALLBACK CDriverFilesDlg::CompareItems(LPARAM left, LPARAM right, LPARAM context) noexcept
{
    const auto* dialog = reinterpret_cast<const CDriverFilesDlg*>(context);
    return CompareDriverFiles(
        reinterpret_cast<const DriverFile*>(left), reinterpret_cast<const DriverFile*>(right), dialog->order);
}

bool CDriverFilesDlg::ShowSelectedFileProperties()
{
    const int selected = fileList.SelectedItem();
    if (selected < 0)
        return false;
    if (const auto* file = reinterpret_cast<const DriverFile*>(fileList.ItemData(selected)))
        ShowFileProperties(get(), file->path);
    return true;
}
