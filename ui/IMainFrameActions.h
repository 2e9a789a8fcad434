// What the main window's commands hand over to the dialogs and shell actions: the driver
// files dialog, the folder choice and save progress dialog, the about box, help, the home
// page, Device Manager, the restore dialog and the verify dialog. The main window decides when each runs (and
// with which device, owner and folder text); these say how. Tests give recorders, so that no
// dialog or shell action blocks them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "discovery/SystemFolders.h"
#include "model/DeviceInfo.h"
#include "saving/DeviceReport.h"
#include "ui/PlacementRecord.h"

class IMainFrameActions {
public:
    // The driver files dialog for `device`, modal over `owner`; the device's INF full path is
    // resolved already.
    virtual void ShowDriverFiles(HWND owner, DeviceInfo& device, PlacementRecord& placement,
                                 std::wstring& browsePath) = 0;
    // Asks for the target folder (a choice replaces browsePath) and saves `devices` under the
    // progress dialog; nothing when the choice is cancelled. `devices` is never empty. With
    // verifyAfter ("Verify after saving") the finished backup is then verified under the
    // verify dialog.
    virtual void SaveDevices(HWND owner, const std::vector<DeviceInfo*>& devices, std::wstring& browsePath,
                             bool verifyAfter) = 0;
    // Asks for a zip file in the system's save dialog and saves `devices` into it under the
    // progress dialog; nothing when the choice is cancelled. `devices` is never empty.
    // verifyAfter as above.
    virtual void SaveDevicesToZip(HWND owner, const std::vector<DeviceInfo*>& devices, bool verifyAfter) = 0;
    // The device's property sheet (the system's, as in Device Manager).
    virtual void ShowDeviceProperties(HWND owner, const DeviceInfo& device) = 0;
    virtual void ShowAbout(HWND owner) = 0;
    virtual void ShowHelp(HWND owner) = 0;
    virtual void OpenHomePage() = 0;
    virtual void OpenDeviceManager(HWND owner) = 0;
    // Asks for a backup folder (starting at browsePath) and restores from it under the
    // restore dialog; true when a restore ran, so the devices are to be scanned again.
    virtual bool RestoreDrivers(HWND owner, const std::wstring& browsePath) = 0;
    // Asks for a report file (JSON or CSV) and writes the report there; says so when it
    // cannot be written. Nothing when the choice is cancelled.
    virtual void ExportDevices(HWND owner, const DeviceReport& report) = 0;
    // Asks for a backup folder (starting at browsePath) and verifies it against its catalogs
    // under the verify dialog.
    virtual void VerifyBackup(HWND owner, const std::wstring& browsePath) = 0;
    // Asks for the folder that holds an offline Windows (a choice replaces folder); false
    // when the choice is cancelled.
    virtual bool PickOfflineWindows(HWND owner, std::wstring& folder) = 0;
    // The folders that the driver files dialog and the save use from now on: an offline
    // Windows' (copied), or this PC's again when null. A restore always installs onto this PC.
    virtual void UseSystemFolders(const SystemFolders* imageFolders) = 0;

protected:
    ~IMainFrameActions() = default;
};
