// The driver files of one device: every file of its driver with size and date, found on a
// worker thread while the dialog is on screen. From here the user opens the device's or a
// file's property sheet (a double-click, or Enter in the list, which has the focus when the
// dialog opens), and saves this one device's driver, again on a worker thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "ui/PlacementRecord.h"
#include "model/DeviceInfo.h"
#include "model/IFileReporter.h"
#include "framework/CListViewCtrl.h"
#include "framework/CResizableDialog.h"
#include "platform/BackgroundTask.h"
#include "platform/FolderPath.h"
#include "resources/resource.h"
#include "ui/FileListOrder.h"
#include "ui/ShellServices.h"

class CDriverFilesDlg : public CResizableDialog, public IFileReporter {
public:
    // All three are kept by reference: the device belongs to the device list, the placement
    // record and the target folder to the main window. The services pick the save's target
    // and open its log.
    CDriverFilesDlg(PlacementRecord& placement, DeviceInfo* device, std::wstring& targetFolder,
                    const ShellServices& services);

    bool Progress(double fraction) override;
    void OnFile(const DriverFile& file) override;

    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    enum WorkerKind { kDiscovery = 0, kSave = 1 };

    bool OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    std::optional<LRESULT> OnNotify(NMHDR& header) override;
    void SetStatusParts();
    void OnDpiScaled(UINT from, UINT to) override;
    void OnCloseRequest(int command);
    void OnSave();
    void OnWorkerFinished(WorkerKind kind);
    // The selected file's property sheet; false when no file is selected.
    bool ShowSelectedFileProperties();
    void SetBusy(bool flag);
    void Sort();
    bool StartBusyWorker(std::function<void()> task, WorkerKind kind);
    void Discover();
    void SaveDevice();
    static int CALLBACK CompareItems(LPARAM left, LPARAM right, LPARAM context) noexcept;

    CWindow statusBar;
    CListViewCtrl fileList;
    DeviceInfo* device;
    CWindow progressBar;
    int fileCount = 0;
    uint64_t totalSize = 0;
    FileListOrder order;
    bool busy = false;
    BackgroundTask worker;
    std::wstring& targetFolder;
    // The picked target of the one-device save, made a folder value once.
    std::optional<FolderPath> saveTarget;
    PlacementRecord& placement;
    ShellServices services;
    // The rows' records. The device's cached set is emptied when a discovery fails part way,
    // so rows that pointed into it could be sorted or double-clicked after their records were
    // gone; the dialog keeps copies of its own (a deque: rows keep pointing at them while
    // later files are appended).
    std::deque<DriverFile> listedFiles;
};

// "Files: %d, Total size: %d KB", with sizes in thousands of bytes, rounded down.
std::wstring FileStatusText(int fileCount, uint64_t totalSize);
