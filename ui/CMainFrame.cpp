#include "ui/CMainFrame.h"

#include <commctrl.h>

#include <iterator>

#include "ui/Settings.h"
#include "restore/InstallRights.h"
#include "framework/AppModule.h"
#include "framework/CMessageLoop.h"
#include "framework/ResourceText.h"
#include "platform/Trace.h"
#include "resources/resource.h"
#include "ui/ProgressBar.h"
#include "ui/TickedDevices.h"
#include "ui/TreePlace.h"
#include "ui/ToolbarImages.h"
#include "ui/WindowFit.h"
#include "ui/WorkerMessages.h"

namespace {

// Sizes at 96 DPI.
const int kInitialWidth = 760;
const int kInitialHeight = 600;
// Small enough for a 1366 x 768 screen at 150 %, large enough to show the toolbar, a few rows
// and the status bar.
const int kMinimumWidth = 480;
const int kMinimumHeight = 320;
const int kToolbarBand = 42;      // the toolbar's band as the view's place assumes it
const int kToolbarImage = 32;
const int kToolbarButtonMargin = 7;
const int kProgressWidth = 200;
const int kTitleCapacity = 256;

const int kToolbarIcons[] = {IDI_REFRESH, IDI_PRESENT_DEVICES, IDI_MICROSOFT_DRIVERS,
                             IDI_DRIVER_FILES, IDI_SAVE, IDI_RESTORE, IDI_DEVICE_MANAGER};

} // namespace

CMainFrame::CMainFrame(DeviceSetSource source, IMainFrameActions& actions, IMessageBox& messages)
    : selectedDevice(nullptr), deviceList(std::move(source)), actions(actions), messages(messages)
{
}

WindowClassInfo CMainFrame::GetWndClassInfo()
{
    WindowClassInfo info;
    info.style = 0;
    info.background = COLOR_BTNFACE + 1;
    info.icon = IDR_MAINFRAME;
    info.defaultStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    info.defaultExStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    return info;
}

const DialogResizeEntry* CMainFrame::GetDlgResizeMap(size_t& count)
{
    static const DialogResizeEntry map[] = {
        {IDW_TOOLBAR, DLSZ_SIZE_X},
        {IDC_DEVICE_TREE_VIEW, DLSZ_SIZE_X | DLSZ_SIZE_Y},
        {IDW_STATUS_BAR, DLSZ_SIZE_X | DLSZ_MOVE_Y},
    };
    count = sizeof(map) / sizeof(map[0]);
    return map;
}

HWND CMainFrame::CreateMainWindow()
{
    const std::wstring title = LoadResourceString(IDR_MAINFRAME, kTitleCapacity);
    UniqueMenu menuBar(::LoadMenuW(AppModule().GetInstance(), MAKEINTRESOURCEW(IDR_MAINFRAME)));
    const bool created = CreateFrame(nullptr, title.c_str(), menuBar.get()) != nullptr;
    // The window owns its menu from its creation on; one that was made and destroyed again
    // (its creation failed) has destroyed the menu with it.
    if (created || !::IsMenu(menuBar.get()))
        menuBar.release();
    if (!created)
        return nullptr;
    LoadAccelerators(IDR_MAINFRAME);
    return get();
}

bool CMainFrame::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_SHOWWINDOW:
        // Only on the way to being shown: a stored maximized placement must not bring back
        // a window that is being hidden.
        if (wParam)
            ApplyPlacement(mainPlacement, get(), true);
        result = 0;
        return true;
    case WM_DESTROY:
        OnDestroy();
        break;  // the frame's own handler ends the message loop
    case WM_CLOSE:
        if (OnClose()) {
            result = 0;
            return true;
        }
        break;  // default processing destroys the window
    case WM_WORKER_FINISHED:
        StartTreeFill();
        result = 0;
        return true;
    case WM_TIMER:
        if (wParam != kTreeFillTimer)
            break;
        FillTreeBatch();
        result = 0;
        return true;
    case WM_CONTEXTMENU:
        if (OnContextMenu(reinterpret_cast<HWND>(wParam), lParam)) {
            result = 0;
            return true;
        }
        break;
    case WM_ACTIVATE:
        OnActivate(wParam);
        break;  // default processing gives the focus to the frame, which hands it on
    case WM_SETFOCUS:
        FocusChild();
        result = 0;
        return true;
    default:
        break;
    }
    if (CFrameWindowImpl<CMainFrame>::ProcessWindowMessage(window, message, wParam, lParam, result))
        return true;
    return ProcessResizeMessage(window, message, wParam, lParam, result);
}

bool CMainFrame::PreTranslateMessage(MSG& message)
{
    // Alt+F4 on a child (the tree has the focus nearly always) closes the frame as its close
    // box does: the system's default handling of the key does not reach the frame from every
    // control (under Wine the tree keeps it).
    if (message.message == WM_SYSKEYDOWN && message.wParam == VK_F4 && (HIWORD(message.lParam) & KF_ALTDOWN) &&
        ::IsChild(get(), message.hwnd)) {
        Post(WM_SYSCOMMAND, SC_CLOSE);
        return true;
    }
    return Accelerators() && ::TranslateAcceleratorW(get(), Accelerators(), &message) != 0;
}

bool CMainFrame::OnIdle()
{
    return false;
}

bool CMainFrame::Progress(double fraction)
{
    progressBar.Send(PBM_SETPOS, static_cast<WPARAM>(ProgressBarPosition(fraction)));
    return true;
}

void CMainFrame::CheckCommand(int id, bool checked)
{
    ToolBar().Send(TB_PRESSBUTTON, static_cast<WPARAM>(id), MAKELPARAM(checked ? TRUE : FALSE, 0));
    menu.CheckItem(static_cast<UINT>(id), checked);
}

void CMainFrame::EnableCommand(int id, bool enable)
{
    ToolBar().Send(TB_ENABLEBUTTON, static_cast<WPARAM>(id), MAKELPARAM(enable ? TRUE : FALSE, 0));
    menu.EnableItem(static_cast<UINT>(id), enable);
}

POINT CMainFrame::MinimumTrackSize() const
{
    const SIZE minimum = FittedSize({ScaleForDpi(kMinimumWidth, dpi), ScaleForDpi(kMinimumHeight, dpi)},
                                    MonitorWorkArea(get()));
    return {minimum.cx, minimum.cy};
}

std::optional<LRESULT> CMainFrame::OnCreate(const CREATESTRUCTW&)
{
    dpi = WindowDpi(get());
    // The designed size, or the work area where the screen is smaller (a stored placement
    // replaces it when the window is shown).
    const SIZE start = FittedSize({ScaleForDpi(kInitialWidth, dpi), ScaleForDpi(kInitialHeight, dpi)},
                                  MonitorWorkArea(get()));
    ::MoveWindow(get(), 0, 0, start.cx, start.cy, FALSE);
    CenterWindow(nullptr);
    LoadSettings(mainPlacement, devicePlacement, browsePath);
    selectedDevice = nullptr;

    if (!CreateSimpleToolBarCtrl(IDR_MAINFRAME,
                                 WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | TBSTYLE_TOOLTIPS |
                                     TBSTYLE_FLAT,
                                 IDW_TOOLBAR))
        return -1;
    SizeToolbar();
    if (!CreateSimpleStatusBar(IDS_IDLE_MESSAGE,
                               WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | SBARS_SIZEGRIP,
                               IDW_STATUS_BAR))
        return -1;
    menu.Attach(::GetMenu(get()));
    CreateToolbarImages();

    if (!view.Create(get(), nullptr, nullptr, WS_CHILD | WS_VISIBLE, WS_EX_CLIENTEDGE))
        return -1;
    ::SetWindowLongW(view, GWL_ID, IDC_DEVICE_TREE_VIEW);
    ::SetParent(view, get());
    PlaceView();

    // No grip of its own: the status bar has one.
    DlgResize_Init(false, true, WS_CLIPCHILDREN);
    SetMinTrackSize(MinimumTrackSize());
    // Hidden, over the left of the status text, where it stays for the window's life.
    progressBar.Attach(CreateStatusProgressBar(StatusBarWindow(), ScaleForDpi(kProgressWidth, dpi),
                                               ScaleForDpi(kStatusBarInset, dpi), 0));
    CheckCommand(ID_VIEW_PRESENT_ONLY, true);
    CheckCommand(ID_VIEW_MICROSOFT_DRIVERS, true);
    CheckCommand(ID_DEVICE_VERIFY_AFTER_SAVE, LoadVerifyAfterSave());
    deviceList.SetClassImageList(view.ClassImages().Data());

    if (CMessageLoop* loop = AppModule().GetMessageLoop()) {
        loop->AddMessageFilter(*this);
        loop->AddIdleHandler(*this);
    }
    StartScan();
    return 0;
}

bool CMainFrame::OnSize(UINT type, SIZE client)
{
    // The bars size themselves first; the resizer then moves the children.
    CFrameWindowImpl<CMainFrame>::OnSize(type, client);
    OnResize(get(), type, client);
    return true;
}

void CMainFrame::SizeToolbar()
{
    const int image = ScaleForDpi(kToolbarImage, dpi);
    SetToolBarImageSize(image, image, ScaleForDpi(kToolbarButtonMargin, dpi));
}

void CMainFrame::CreateToolbarImages()
{
    // Each icon at the toolbar's size, from the drawing of that size; a disabled button shows
    // its picture greyed.
    const int size = ScaleForDpi(kToolbarImage, dpi);
    const size_t count = sizeof(kToolbarIcons) / sizeof(kToolbarIcons[0]);
    UniqueImageList images = LoadIconImageList(kToolbarIcons, count, size, false);
    UniqueImageList disabled = LoadIconImageList(kToolbarIcons, count, size, true);
    ToolBar().Send(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.get()));
    ToolBar().Send(TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(disabled.get()));
    // The toolbar has let go of the previous lists.
    toolbarImages = std::move(images);
    disabledToolbarImages = std::move(disabled);
}

void CMainFrame::PlaceView()
{
    RECT rect = ClientRect();
    rect.top += ScaleForDpi(kToolbarBand, dpi);
    const RECT status = StatusBarWindow().WindowRect();
    rect.bottom -= status.bottom - status.top;
    view.Move(rect);
}

bool CMainFrame::OnClose()
{
    // The scan thread uses this window and the device list until it has posted
    // WM_WORKER_FINISHED; the window must outlive it.
    if (scanning) {
        closeRequested = true;
        return true;
    }
    SaveSettings(get(), mainPlacement, devicePlacement, browsePath);
    SaveVerifyAfterSave(menu.IsChecked(ID_DEVICE_VERIFY_AFTER_SAVE));
    return false;
}

void CMainFrame::OnDestroy()
{
    if (CMessageLoop* loop = AppModule().GetMessageLoop()) {
        loop->RemoveMessageFilter(*this);
        loop->RemoveIdleHandler(*this);
    }
}

const std::vector<CMainFrame::FrameCommand>& CMainFrame::Commands()
{
    const unsigned none = kNeedsNothing;
    const unsigned scan = kFinishedScan;
    const unsigned device = kFinishedScan | kSelectedDevice;
    const unsigned thisPc = kThisPc;
    static const std::vector<FrameCommand> rows = {
        {ID_APP_EXIT, none, [](CMainFrame& frame) { frame.Post(WM_CLOSE); }},
        {ID_DEVICE_REFRESH, scan, [](CMainFrame& frame) { frame.StartScan(); }},
        {ID_DEVICE_DRIVER_FILES, device, [](CMainFrame& frame) { frame.ShowDriverFiles(); }},
        {ID_DEVICE_SAVE, scan, [](CMainFrame& frame) { frame.SaveCommand(false); }},
        {ID_DEVICE_SAVE_ZIP, scan, [](CMainFrame& frame) { frame.SaveCommand(true); }},
        // A choice for the saves to come: it changes nothing shown, so it needs no scan.
        {ID_DEVICE_VERIFY_AFTER_SAVE, none,
         [](CMainFrame& frame) {
             const UINT id = ID_DEVICE_VERIFY_AFTER_SAVE;
             frame.CheckCommand(static_cast<int>(id), !frame.menu.IsChecked(id));
         }},
        {ID_DEVICE_RESTORE, scan | thisPc, [](CMainFrame& frame) { frame.RestoreCommand(); }},
        {ID_DEVICE_EXPORT, scan, [](CMainFrame& frame) { frame.ExportCommand(); }},
        // Verifying changes nothing: it needs no administrator rights.
        {ID_DEVICE_VERIFY, scan,
         [](CMainFrame& frame) { frame.ShowCommandStatus(frame.actions.VerifyBackup(frame.get(), frame.browsePath)); }},
        {ID_DEVICE_OPEN_OFFLINE, scan, [](CMainFrame& frame) { frame.OpenOfflineWindows(); }},
        {ID_DEVICE_SHOW_THIS_PC, scan, [](CMainFrame& frame) { frame.ShowThisPc(); }},
        // Nothing of an offline Windows is attached here: only this PC has present devices.
        {ID_VIEW_PRESENT_ONLY, scan | thisPc, [](CMainFrame& frame) { frame.ToggleCommand(ID_VIEW_PRESENT_ONLY); }},
        {ID_VIEW_MICROSOFT_DRIVERS, scan, [](CMainFrame& frame) { frame.ToggleCommand(ID_VIEW_MICROSOFT_DRIVERS); }},
        {ID_DEVICE_SAVE_SELECTED, device, [](CMainFrame& frame) { frame.SaveSelectedDevice(); }},
        {ID_DEVICE_PROPERTY_SHEET, device | thisPc, [](CMainFrame& frame) { frame.ShowSelectedDeviceProperties(); }},
        {ID_TOOLS_DEVICE_MANAGER, thisPc, [](CMainFrame& frame) { frame.actions.OpenDeviceManager(frame.get()); }},
        {ID_APP_ABOUT, none, [](CMainFrame& frame) { frame.actions.ShowAbout(::GetActiveWindow()); }},
        {ID_HELP_CONTENTS, none, [](CMainFrame& frame) { frame.actions.ShowHelp(frame.get()); }},
        {ID_HELP_HOMEPAGE, none, [](CMainFrame& frame) { frame.actions.OpenHomePage(); }},
    };
    return rows;
}

bool CMainFrame::RunCommand(UINT id)
{
    for (const FrameCommand& command : Commands()) {
        if (command.id != id)
            continue;
        const bool scanFinished = !scanning || !(command.needs & kFinishedScan);
        if (scanFinished && Available(command)) {
            // What the last command did is said until this one.
            ShowCommandStatus(std::wstring());
            command.run(*this);
        }
        return true;
    }
    return false;
}

bool CMainFrame::Available(const FrameCommand& command) const noexcept
{
    const bool deviceThere = selectedDevice || !(command.needs & kSelectedDevice);
    const bool thisPcShown = !offline.Active() || !(command.needs & kThisPc);
    return deviceThere && thisPcShown;
}

void CMainFrame::UpdateCommandStates()
{
    for (const FrameCommand& command : Commands()) {
        if (command.needs & (kSelectedDevice | kThisPc))
            EnableCommand(static_cast<int>(command.id), Available(command));
    }
}

bool CMainFrame::OnCommand(UINT id, UINT, HWND)
{
    return RunCommand(id);
}

std::optional<LRESULT> CMainFrame::OnNotify(NMHDR& header)
{
    // The frame's own notifications (the toolbar's tooltips) come first.
    if (const std::optional<LRESULT> answer = CFrameWindowImpl<CMainFrame>::OnNotify(header))
        return answer;
    if (header.code == TVN_SELCHANGEDW) {
        const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
        const HTREEITEM item = change.itemNew.hItem;
        selectedDevice = item ? reinterpret_cast<DeviceInfo*>(view.Tree().GetItemData(item)) : nullptr;
        UpdateCommandStates();
        return 0;
    }
    if ((header.code == NM_DBLCLK || header.code == NM_RETURN) && header.hwndFrom == view.Tree().get()) {
        RunCommand(ID_DEVICE_DRIVER_FILES);
        return 0;
    }
    return std::nullopt;
}

void CMainFrame::StartScan()
{
    // One scan at a time: a second thread would rebuild the list under the first.
    if (scanning)
        return;
    placeAfterScan = TakePlace(view.Tree());
    selectedDevice = nullptr;
    UpdateCommandStates();
    scanning = true;
    scanning = scanTask.Start([this](const std::atomic<bool>&) { RunScan(); }, get(), WM_WORKER_FINISHED);
}

void CMainFrame::RunScan()
{
    // Every window call here is a message sent to the user-interface thread, which handles it
    // while this thread waits.
    const HCURSOR previousCursor = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    const bool includeAll = menu.IsChecked(ID_VIEW_MICROSOFT_DRIVERS);
    const bool presentOnly = menu.IsChecked(ID_VIEW_PRESENT_ONLY);
    Enable(false);
    progressBar.Send(PBM_SETPOS, 0);
    progressBar.Show(SW_SHOW);
    // The rows point at the records of the last scan, which the scan frees before it reads
    // anew: the rows go first, so that no repaint in between draws a freed record.
    ::SendMessageW(view.Tree().get(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    try {
        deviceList.Scan(includeAll, presentOnly, *this);
    } catch (...) {
        // Out of memory while reading: the tree shows what it holds, and the window comes
        // back to life all the same.
        TraceFailure(L"scanning the devices");
    }
    ::SetCursor(previousCursor);
    // The tree is filled on this window's own thread once the scan is over (StartTreeFill).
}

void CMainFrame::StartTreeFill()
{
    try {
        treeFill = std::make_unique<TreeFill>(deviceList, view.Tree().get());
    } catch (...) {
        TraceFailure(L"filling the device tree");
        treeFill.reset();
    }
    FillTreeBatch();
}

void CMainFrame::FillTreeBatch()
{
    // A batch at a time, the next one when the timer comes: a timer message is handed out
    // only when no input or paint is waiting, so the window repaints, moves and answers
    // between two batches, however many devices there are.
    bool done = true;
    try {
        done = !treeFill || treeFill->Next(kTreeFillBatch);
    } catch (...) {
        TraceFailure(L"filling the device tree");
    }
    if (!done) {
        ::SetTimer(get(), kTreeFillTimer, USER_TIMER_MINIMUM, nullptr);
        return;
    }
    ::KillTimer(get(), kTreeFillTimer);
    treeFill.reset();
    progressBar.Show(SW_HIDE);
    Enable(true);
    OnScanFinished();
}

bool CMainFrame::OnDpiChanged(UINT newDpi, const RECT& suggested)
{
    dpi = newDpi;
    SizeToolbar();
    CreateToolbarImages();
    view.SetDpi(dpi);
    // The minimum size first: the suggested size may be below the old one.
    SetMinTrackSize(MinimumTrackSize());
    ::SetWindowPos(get(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    CFrameWindow::UpdateLayout();
    PlaceView();
    // The resizer starts again from the new layout.
    DlgResize_Init(false, true, WS_CLIPCHILDREN);
    SetMinTrackSize(MinimumTrackSize());
    PlaceStatusProgressBar(progressBar, ScaleForDpi(kProgressWidth, dpi), ScaleForDpi(kStatusBarInset, dpi));
    Invalidate(true);
    return true;
}

void CMainFrame::OnActivate(WPARAM wParam)
{
    if (LOWORD(wParam) != WA_INACTIVE)
        return;
    const HWND focus = ::GetFocus();
    if (focus && ::IsChild(get(), focus))
        focusChild = focus;
}

void CMainFrame::FocusChild()
{
    // The tree unless another child (the header, the toolbar) had the focus last.
    HWND target =
        focusChild && ::IsWindow(focusChild) && ::IsChild(get(), focusChild) ? focusChild : view.Tree().get();
    if (target && ::IsWindowEnabled(target))
        ::SetFocus(target);
}

void CMainFrame::OnScanFinished()
{
    scanning = false;
    // A new tree starts at the left edge; the disabled window lost the focus, which goes back
    // to the tree when the window is the active one.
    view.ResetScroll();
    const std::optional<TreePlace> place = std::move(placeAfterScan);
    placeAfterScan.reset();
    // A Windows that could not be read sends the window back to this PC with a scan of its own.
    FollowShownSystem();
    if (place && !scanning)
        GiveBackPlace(view.Tree(), *place);
    if (::GetActiveWindow() == get()) {
        FocusChild();
        // The caret starts on the first row, as when the tree gets the focus, so that the
        // arrow keys start from the top.
        if (::GetFocus() == view.Tree().get() && !view.Tree().GetCaretItem())
            view.Tree().SelectItem(view.Tree().GetRootItem());
    }
    if (closeRequested) {
        closeRequested = false;
        Post(WM_CLOSE);
    } else if (restoreWhenScanned) {
        restoreWhenScanned = false;
        Post(WM_COMMAND, ID_DEVICE_RESTORE);
    }
}

void CMainFrame::ToggleCommand(UINT id)
{
    CheckCommand(static_cast<int>(id), !menu.IsChecked(id));
    StartScan();
}

void CMainFrame::ShowDriverFiles()
{
    actions.ShowDriverFiles(::GetActiveWindow(), *selectedDevice, devicePlacement, browsePath);
}

void CMainFrame::SaveCommand(bool toZip)
{
    const std::vector<DeviceInfo*> devices = CollectTickedDevices(view.Tree());
    if (devices.empty()) {
        messages.Show(get(), L"No devices selected.\nPlease select (using checkboxes) at least one device to proceed.",
                      L"Error saving driver files", MB_OK | MB_ICONWARNING);
        return;
    }
    const bool verifyAfter = menu.IsChecked(ID_DEVICE_VERIFY_AFTER_SAVE);
    ShowCommandStatus(toZip ? actions.SaveDevicesToZip(get(), devices, verifyAfter)
                            : actions.SaveDevices(get(), devices, browsePath, verifyAfter));
}

void CMainFrame::ExportCommand()
{
    std::vector<DeviceInfo*> devices = CollectTickedDevices(view.Tree());
    if (devices.empty()) {
        for (const auto& entry : deviceList.Devices())
            if (entry.second)
                devices.push_back(entry.second.get());
    }
    ShowCommandStatus(actions.ExportDevices(get(), ReportOfDevices(deviceList.DeviceInfoSet(), devices)));
}

void CMainFrame::RestoreCommand()
{
    // Installing drivers takes administrator rights, which this program does not ask for at
    // start: it starts again with them, straight into this command, and this window closes.
    if (!ProcessIsElevated()) {
        DWORD error = NO_ERROR;
        if (RelaunchElevated(L"/restore", error))
            Post(WM_CLOSE);
        else
            messages.Show(get(), RelaunchFailedMessage(error).c_str(), FormatResourceString(IDS_RESTORE_CAPTION).c_str(),
                          MB_OK | MB_ICONWARNING);
        return;
    }
    const std::optional<std::wstring> restored = actions.RestoreDrivers(get(), browsePath);
    if (!restored)
        return;
    ShowCommandStatus(*restored);
    StartScan();
}

bool CMainFrame::OnContextMenu(HWND source, LPARAM screen)
{
    // The tree passes the request on to its parents, so it may arrive from the tree or the view.
    if (source != view.Tree().get() && source != view.get())
        return false;
    POINT point = {};
    if (view.ContextMenuPoint(screen, point))
        ShowDeviceMenu(point);
    return true;
}

void CMainFrame::ShowDeviceMenu(POINT point)
{
    UniqueMenu menuResource(::LoadMenuW(AppModule().GetInstance(), MAKEINTRESOURCEW(IDR_DEVICE_CONTEXT)));
    const HMENU popup = menuResource ? ::GetSubMenu(menuResource.get(), 0) : nullptr;
    if (!popup)
        return;
    for (const FrameCommand& command : Commands()) {
        if (command.needs & (kSelectedDevice | kThisPc))
            ::EnableMenuItem(popup, command.id, MF_BYCOMMAND | (Available(command) ? MF_ENABLED : MF_GRAYED));
    }
    ::SetMenuDefaultItem(popup, ID_DEVICE_DRIVER_FILES, FALSE);
    const auto command = static_cast<UINT>(::TrackPopupMenu(
        popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, point.x, point.y, 0, get(), nullptr));
    if (command != 0)
        RunCommand(command);
}

void CMainFrame::SaveSelectedDevice()
{
    ShowCommandStatus(
        actions.SaveDevices(get(), {selectedDevice}, browsePath, menu.IsChecked(ID_DEVICE_VERIFY_AFTER_SAVE)));
}

void CMainFrame::ShowSelectedDeviceProperties()
{
    actions.ShowDeviceProperties(get(), *selectedDevice);
}
