// What the main window's commands hand over to the dialogs and shell actions: the driver
// files dialog, the folder choice and save progress dialog, the about box, help, the home
// page, Device Manager and the restore dialog. The main window decides when each runs (and with which device,
// owner and folder text); these say how. Tests put recorders in their place, so that no
// dialog or shell action blocks them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/PlacementRecord.h"
#include "model/DeviceInfo.h"

struct MainFrameActions {
    // The driver files dialog for `device`, modal over `owner`; the device's INF full path is
    // resolved already.
    void (*showDriverFiles)(HWND owner, DeviceInfo& device, PlacementRecord& placement, std::wstring& browsePath);
    // Asks for the target folder (a choice replaces browsePath) and saves `devices` under the
    // progress dialog; nothing when the choice is cancelled. `devices` is never empty.
    void (*saveDevices)(HWND owner, const std::vector<DeviceInfo*>& devices, std::wstring& browsePath);
    void (*showAbout)(HWND owner);
    void (*showHelp)(HWND owner);
    void (*openHomePage)();
    void (*openDeviceManager)(HWND owner);
    // Asks for a backup folder (starting at browsePath) and restores from it under the
    // restore dialog; true when a restore ran, so the devices are to be scanned again.
    bool (*restoreDrivers)(HWND owner, const std::wstring& browsePath);
};

// The actions in use, which the main window calls.
MainFrameActions& CurrentMainFrameActions();
// The actions of the program itself, to restore after a test.
MainFrameActions DefaultMainFrameActions();
