// The main window's choice between this PC and a Windows that is not running: the image it
// shows, the records its scans read from it, its title, and the folders that the driver files
// dialog and the save use for it.
#pragma once

#include <memory>
#include <string>

#include "devices/DeviceList.h"
#include "devices/WindowsImage.h"
#include "discovery/SystemFolders.h"
#include "ui/ShellServices.h"

class OfflineWindows {
public:
    // Chooses the Windows in folder (as the picker gave it: made a folder value here), whose
    // next scans read that Windows. False, with the reason in refusal and the choice unchanged,
    // when the folder cannot be one or is no Windows with a hive.
    bool Choose(const std::wstring& folder, std::wstring& refusal);
    // Back to this PC.
    void Clear() noexcept { image.reset(); }

    bool Active() const noexcept { return image != nullptr; }
    // The chosen folder; empty for this PC.
    std::wstring Root() const { return image ? image->Root().WithSeparator() : std::wstring(); }

    // For the device list: reads the chosen Windows' devices, remembering why that failed.
    // The choice must stay while a scan runs.
    DeviceRecordSource RecordSource();
    // Why the last scan could not read the chosen Windows; empty text when it could.
    std::wstring LastRefusal() const;

    // What the tree's root is called for the chosen Windows, after a scan that read it: its
    // computer name, or its folder when the hive names none.
    std::wstring RootName() const;
    // "Tarnwick - D:\ (offline)" for a base title "Tarnwick"; the base title for this PC.
    std::wstring Title(const std::wstring& baseTitle) const;
    // The chosen Windows' folders, after a scan that read it; only while one is chosen.
    SystemFolders Folders() const;

private:
    std::unique_ptr<WindowsImage> image;
    ImageProblem lastProblem = ImageProblem::None;
};

// The property sheet of a device of the system that the services' folders describe: this
// PC's own sheet, or for a device of an offline Windows, which is not attached here (and whose
// instance ID may name another device of this PC), a box that says so.
void ShowShownDeviceProperties(const std::wstring& instanceId, HWND owner, const ShellServices& services);
