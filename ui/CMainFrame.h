// The main window: menu, accelerator keys, toolbar and status bar around the device tree
// view. It scans the devices on a background thread (at creation, on Refresh and when a view
// toggle changes) with the window disabled and the progress in the status bar, fills the tree
// from the scan a batch of rows at a time on its own thread, tracks the
// selected device, hands Properties and the save command to the dialogs, and keeps the
// settings: loaded at creation, saved when the window closes. The keyboard focus lives in the
// tree (or the child that last had it) whenever the window is active; Enter on a device row
// lists its driver files, and a device row's context menu (right-click, Shift+F10, the Menu
// key) offers driver files, save and the device's properties. Its pixel sizes follow the
// window's DPI, also when it moves to a screen of another DPI; it opens no larger than the
// work area of its screen.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/PlacementRecord.h"
#include "devices/DeviceList.h"
#include "devices/TreeFill.h"
#include "model/IProgressReporter.h"
#include "framework/CDialogResize.h"
#include "framework/CFrameWindowImpl.h"
#include "framework/CIdleHandler.h"
#include "framework/CMenuHandle.h"
#include "framework/CMessageFilter.h"
#include "framework/Dpi.h"
#include "platform/BackgroundTask.h"
#include "platform/Handles.h"
#include "ui/CDeviceTreeView.h"
#include "ui/IMainFrameActions.h"
#include "ui/OfflineWindows.h"
#include "ui/TreePlace.h"
#include "framework/IMessageBox.h"

class CMainFrame : public CFrameWindowImpl<CMainFrame>,
                   public CMessageFilter,
                   public CIdleHandler,
                   public IProgressReporter,
                   public CDialogResize<CMainFrame> {
public:
    // source: the device set to scan (the system's in the program). The commands hand their
    // dialogs and shell actions to `actions` and show their message boxes through `messages`;
    // both must outlive the frame.
    CMainFrame(DeviceSetSource source, IMainFrameActions& actions, IMessageBox& messages);

    static WindowClassInfo GetWndClassInfo();
    static const DialogResizeEntry* GetDlgResizeMap(size_t& count);

    // Creates the window at the system's default place, titled from the string table, with
    // its menu and accelerator keys. Null when it cannot be created.
    HWND CreateMainWindow();

    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // Translates the accelerator keys.
    bool PreTranslateMessage(MSG& message) override;
    bool OnIdle() override;
    // The scan's progress; called on the scan thread.
    bool Progress(double fraction) override;

    // The toolbar button's pressed look and the menu item's check mark.
    void CheckCommand(int id, bool checked);
    // The toolbar button and the menu item (disabled, not grayed).
    void EnableCommand(int id, bool enable);
    void StartScan();

    // From StartScan until the window has heard that the scan thread is done with it.
    bool IsScanning() const noexcept { return scanning; }
    UINT Dpi() const noexcept { return dpi; }
    // Runs the restore command when the next scan is done (the program was started again
    // with administrator rights for it).
    void RestoreWhenScanned() noexcept { restoreWhenScanned = true; }
    bool RestorePending() const noexcept { return restoreWhenScanned; }

    CDeviceTreeView& View() noexcept { return view; }
    const CWindow& StatusBar() const noexcept { return StatusBarWindow(); }
    DeviceInfo* SelectedDevice() const noexcept { return selectedDevice; }
    const DeviceList& Devices() const noexcept { return deviceList; }
    // The folder the last save or restore started at; a setting kept between runs.
    const std::wstring& BrowsePath() const noexcept { return browsePath; }
    const CWindow& ProgressBar() const noexcept { return progressBar; }
    const CWindow& ToolBar() const noexcept { return ToolBarWindow(); }
    const CMenuHandle& Menu() const noexcept { return menu; }

    // The smallest size the user can give the window at its DPI, within its screen.
    POINT MinimumTrackSize() const;

private:
    std::optional<LRESULT> OnCreate(const CREATESTRUCTW& create) override;
    bool OnSize(UINT type, SIZE client) override;
    void CreateToolbarImages();
    void SizeToolbar();
    void PlaceView();
    bool OnDpiChanged(UINT newDpi, const RECT& suggested) override;
    // A context menu asked for at `screen` (-1, -1 from the keyboard) over `source`; false
    // when it is not the tree's.
    bool OnContextMenu(HWND source, LPARAM screen);
    // The device row's menu at `point` on screen; the chosen command runs at once.
    void ShowDeviceMenu(POINT point);
    void SaveSelectedDevice();
    void ShowSelectedDeviceProperties();
    void OnActivate(WPARAM wParam);
    void FocusChild();
    bool OnClose();
    void OnDestroy();
    // What a command needs before it may run, as WTL's update UI keeps it for a frame: the
    // commands that use the records of the device list (which a running scan replaces) or
    // start a scan of their own wait for the scan to finish, and those on the selected device
    // need one, and are enabled on the menus and the toolbar only while there is one.
    // Those that act on this PC itself (its installer, its Device Manager, a device's property
    // sheet, its present devices) are off while an offline Windows is shown.
    enum CommandNeeds : unsigned { kNeedsNothing = 0, kFinishedScan = 1, kSelectedDevice = 2, kThisPc = 4 };
    struct FrameCommand {
        UINT id;
        unsigned needs;
        void (*run)(CMainFrame& frame);
    };
    // Every command of the window, one row each.
    static const std::vector<FrameCommand>& Commands();
    // Runs the command when what it needs is there; false for an id that is no command.
    bool RunCommand(UINT id);
    // Whether what the command needs, apart from a finished scan, is there.
    bool Available(const FrameCommand& command) const noexcept;
    // The commands on the selected device or on this PC, enabled as they are available.
    void UpdateCommandStates();
    // What the last command did, in the status bar until the next one; empty text brings back
    // the idle text (which says why this PC's commands are off while an offline Windows is shown).
    void ShowCommandStatus(const std::wstring& text);
    std::wstring IdleStatus() const;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    std::optional<LRESULT> OnNotify(NMHDR& header) override;
    void OnScanFinished();
    // The tree filled from the scan's records in batches (devices/TreeFill.h), the window
    // enabled again and OnScanFinished once every row is in.
    void StartTreeFill();
    void FillTreeBatch();
    void ToggleCommand(UINT id);
    void ShowDriverFiles();
    // Saves the ticked devices into a folder, or one zip file.
    void SaveCommand(bool toZip);
    void RestoreCommand();
    // Writes the ticked devices (all listed ones when none is ticked) to a report file.
    void ExportCommand();
    // "Open offline Windows...": the tree shows the devices of a Windows that is not running.
    void OpenOfflineWindows();
    // "Show this PC": back to this PC's own devices.
    void ShowThisPc();
    // After a scan: the title, the tree's root, the commands on this PC and the dialogs'
    // folders follow what the tree shows, or a Windows that could not be read is refused and
    // the window goes back to this PC.
    void FollowShownSystem();

    void RunScan();

    CDeviceTreeView view;
    DeviceInfo* selectedDevice;
    DeviceList deviceList;
    OfflineWindows offline;
    // Where the user was in the tree before the scan that runs, given back to the new tree.
    std::optional<TreePlace> placeAfterScan;
    // This PC's place and "Show only present devices" while an offline Windows is shown.
    TreePlace thisPcPlace;
    bool presentOnlyOnThisPc = true;
    std::wstring browsePath;
    CWindow progressBar;
    PlacementRecord devicePlacement;
    PlacementRecord mainPlacement;
    CMenuHandle menu;
    bool restoreWhenScanned = false;
    IMainFrameActions& actions;
    IMessageBox& messages;

    UniqueImageList toolbarImages;
    UniqueImageList disabledToolbarImages;
    UINT dpi = kDefaultDpi;
    // The child that had the focus when the window was last deactivated.
    HWND focusChild = nullptr;
    // True from the start of a scan until its tree is filled.
    bool scanning = false;
    BackgroundTask scanTask;
    std::unique_ptr<TreeFill> treeFill;
    static const UINT_PTR kTreeFillTimer = 1;
    // Devices per batch: a few milliseconds of the tree's work under Wine.
    static const size_t kTreeFillBatch = 200;
    // A close asked for while a scan runs happens once the scan is over.
    bool closeRequested = false;
};
