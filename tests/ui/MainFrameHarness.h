// Runs a CMainFrame inside a test: the thread's message loop with the frame's accelerator
// filter, a scan of the system's devices with the flags recorded, the dialog actions
// replaced by recorders, and fixture drivers installed once for the whole program: two
// third-party devices and one whose driver is a system INF.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "framework/CMessageLoop.h"
#include "ui/CMainFrame.h"
#include "tests/support/TestShellServices.h"
#include "ui/MainFrameActions.h"

// What the replaced dialog actions were asked to do.
struct RecordedActions {
    std::vector<std::vector<DeviceInfo*>> saves;
    std::vector<DeviceInfo*> driverFiles;
    std::vector<std::wstring> driverFilesInfPaths;
    std::vector<const DeviceInfo*> deviceProperties;
    int about = 0, help = 0, homePage = 0, deviceManager = 0;
    std::vector<std::wstring> restores;  // the folder each restore started at
    std::vector<std::wstring> verifications;  // the folder each verification started at
    // The system each hand-over of folders named: an offline Windows' root, or empty for this PC.
    std::vector<std::wstring> shownSystems;
    std::vector<DeviceReport> exports;
    std::vector<std::vector<DeviceInfo*>> zipSaves;
    // Whether each save, of either kind, was to be verified after it, in order.
    std::vector<bool> verifiedSaves;
    HWND lastOwner = nullptr;
};
RecordedActions& Recorded();

// Records the commands' hand-overs; the real dialogs open for those asked for.
class RecordingActions final : public IMainFrameActions {
public:
    explicit RecordingActions(const ShellServices& services) : real(services) {}

    void ShowDriverFiles(HWND owner, DeviceInfo& device, PlacementRecord& placement,
                         std::wstring& browsePath) override;
    void SaveDevices(HWND owner, const std::vector<DeviceInfo*>& devices, std::wstring& browsePath,
                     bool verifyAfter) override;
    void SaveDevicesToZip(HWND owner, const std::vector<DeviceInfo*>& devices, bool verifyAfter) override;
    void ShowDeviceProperties(HWND owner, const DeviceInfo& device) override;
    void ShowAbout(HWND owner) override;
    void ShowHelp(HWND owner) override;
    void OpenHomePage() override;
    void OpenDeviceManager(HWND owner) override;
    bool RestoreDrivers(HWND owner, const std::wstring& browsePath) override;
    void ExportDevices(HWND owner, const DeviceReport& report) override;
    void VerifyBackup(HWND owner, const std::wstring& browsePath) override;
    bool PickOfflineWindows(HWND owner, std::wstring& folder) override;
    void UseSystemFolders(const SystemFolders* imageFolders) override;

    bool realDriverFiles = false;
    // The folder the offline Windows picker chooses; the choice is cancelled when empty.
    std::wstring chosenImage;
    bool realAbout = false;
    // The folder a save's picker chooses, when not empty.
    std::wstring chosenFolder;

private:
    MainFrameActions real;
};

// Handles what arrives for this thread for a while: input comes through the system's queue.
void PumpFor(DWORD milliseconds);
// Keys pressed in order and let go in reverse, as the keyboard sends them: to whichever window
// has the focus (or the menu that is open).
void PressKeys(std::initializer_list<WORD> keys);
void PressKey(WORD key);

// The installed fixture devices.
extern const wchar_t kThirdPartyClassDescription[];
const std::vector<std::wstring>& ThirdPartyDeviceNames();
const std::wstring& InboxDeviceName();

struct MainFrameHarness : ::testing::Test {
    void SetUp() override;
    void TearDown() override;

    // Constructs and creates the frame; its first scan has started, and waits for this thread
    // to serve its messages.
    void Create();
    // Create, then show the frame and wait for its first scan.
    void Start(int showCommand = SW_SHOWNORMAL);
    // Handles the waiting messages as the program's loop would (filters first); remembers
    // WM_QUIT's code.
    void Pump();
    void WaitForScan();
    // Pumps until the frame's window is gone; false after the timeout.
    bool WaitForDestruction();
    // Sends a key with Ctrl held through the accelerator filter, as the loop would.
    bool PressCtrlKey(WORD key);
    // A save of the third-party devices in which the user chose `folder`, which the frame
    // then keeps as the folder to start at.
    void ChooseFolderInSave(const std::wstring& folder);

    HTREEITEM FindNode(HTREEITEM parent, const std::wstring& text) const;
    HTREEITEM ThirdPartyClassNode() const;
    std::vector<HTREEITEM> Children(HTREEITEM parent) const;
    bool MenuChecked(UINT id) const;
    bool ButtonPressed(UINT id) const;

    CMessageLoop loop;
    TestShellServices services;
    RecordingActions actions{services.Services()};
    std::unique_ptr<CMainFrame> frame;
    CTreeViewCtrlEx tree;
    std::vector<DWORD> scanFlags;
    // The tree's rows when a rescan had freed the records of the scan before.
    std::vector<UINT> rowsWhenRecordsGone;
    int quitCode = -1;
};
