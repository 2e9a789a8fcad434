// A Windows installation that is not running: a folder (a drive root such as D:\, the old
// disk in a USB case or seen from a recovery environment) that holds the registry hive
// Windows\System32\config\SYSTEM. Its devices and their drivers are read from that hive,
// loaded for the read and unloaded right after: the records are plain data, and the files
// come from the folder.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "model/DeviceInfo.h"
#include "model/IProgressReporter.h"
#include "platform/FolderPath.h"

// Why an image's devices could not be read.
enum class ImageProblem {
    None,
    NotWindowsFolder,   // the folder holds no Windows folder
    HiveMissing,        // Windows\System32\config\SYSTEM does not exist
    HiveUnreadable,     // the hive is in use (the running system's own), damaged, or has no control set
    NotAdministrator,   // loading a hive needs the backup and restore privileges
};

class WindowsImage {
public:
    // root: the folder that holds the Windows folder.
    explicit WindowsImage(FolderPath root) : root_(std::move(root)) {}

    const FolderPath& Root() const noexcept { return root_; }
    std::wstring WindowsFolder() const;
    std::wstring HiveFile() const;

    // The name of the image's Windows ("Windows 10 x64", see WindowsName), from its SOFTWARE
    // hive (product and build) and its SYSTEM hive (processors), each loaded for the read;
    // what a hive that cannot be loaded would say is left out.
    std::wstring ReadWindowsName() const;

    // The problems that the folder itself shows, without loading anything.
    ImageProblem CheckFolder() const;

    // Loads the hive, reads every device whose driver came from an INF (only third-party
    // INFs unless includeAll) into records, in the order the hive lists them, and unloads the
    // hive. The reporter sees (i + 1) / n before each device is read. No record is present
    // now, and none has a device information set behind it. Each record's INF full path is
    // the INF in the image's INF folder; an INF path that leads out of the image (or names a
    // device) is refused in the record instead, and nothing of it is looked at.
    ImageProblem ReadDevices(bool includeAll, IProgressReporter& reporter,
                             std::vector<std::unique_ptr<DeviceInfo>>& records);

    // Of the last ReadDevices: the processor architecture the image's Windows is for, as
    // Windows names it ("AMD64", "x86", "ARM64"); empty when the hive does not say.
    const std::wstring& Architecture() const noexcept { return architecture_; }
    // Of the last ReadDevices: the computer's name as that Windows stored it; empty when the
    // hive does not say.
    const std::wstring& ComputerName() const noexcept { return computerName_; }
    // Of the last ReadDevices: the error the system gave for a hive it could not load.
    LSTATUS LoadError() const noexcept { return loadError_; }

private:
    FolderPath root_;
    std::wstring architecture_;
    std::wstring computerName_;
    LSTATUS loadError_ = ERROR_SUCCESS;
};

// The architecture this program's own build runs on, named as Windows names it.
const wchar_t* ProgramArchitecture() noexcept;

// A name or description as the hive stores it. A driver's INF may have it stored indirectly,
// "@oem3.inf,%desc%;Contoso Port": the text after the first ";" is the text as installed.
// Any other text is taken as it stands.
std::wstring DirectText(const std::wstring& stored);
