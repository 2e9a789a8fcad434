// One driver package found in a backup folder: an INF that the setup services take for a
// device INF, with the folder it sits in as its installation media, what the check before
// installing found out about it, and what the restore did with it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/FolderPath.h"
#include "backup/PackageOutcome.h"
#include "backup/PackageVerification.h"

// A present device that one of the package's models matches.
struct MatchedDevice {
    std::wstring instanceId;
    std::wstring name;              // friendly name, else description, else the instance ID
    std::wstring hardwareId;        // the device's ID that the model matched; the installer's key
    std::wstring section;           // the model's install section, undecorated
    std::wstring installedVersion;  // DriverVersion of the device's driver key now; empty when none
    DeviceAction action = DeviceAction::Install;
    bool installed = false;         // the driver key read back after the install names the package
    std::wstring error;             // why the install on this device failed
};

// A file the package's installation copies: where it comes from in the package folder, where
// the installer puts it, and its size at the check, which the installed copy must have.
struct PackageFile {
    std::wstring source;  // full path, inside the package folder
    std::wstring target;  // full path
    unsigned long long size = 0;
    bool compressed = false;  // the source is the compressed form ("file.dl_"): its size differs
};

class PackageCopy;

struct DriverPackage {
    std::wstring infPath;       // full path, inside folder
    // The folder the INF sits in, made from the backup folder it was found in; none for a
    // record that was not found in a folder (the check refuses it).
    std::optional<FolderPath> folder;
    std::wstring displayName;   // the INF's path relative to the restored folder
    std::wstring className;     // the setup class the INF names
    std::wstring provider;      // the INF's Provider, its %strings% resolved
    std::wstring version;       // DriverVer's version
    std::wstring date;          // DriverVer's date
    std::vector<MatchedDevice> devices;
    std::vector<std::wstring> missingFiles;  // relative to folder
    std::vector<PackageFile> files;          // what the devices' sections copy, as checked
    // Every catalog the INF names, full paths inside folder, the one this machine's installer
    // reads first; empty when it names none.
    std::vector<std::wstring> catalogs;
    std::vector<std::wstring> sameIn;  // other folders of the backup holding this very package
    std::wstring newerPackage;  // NewerInBackup: the package of the backup that serves the devices
    std::wstring error;         // why the INF was refused or the package failed
    std::wstring publishedInf;  // the name the system published the INF under, once staged
    PackageOutcome outcome = PackageOutcome::Unchecked;
    PackageVerification verification;  // its files against its catalogs
    bool selected = true;       // part of the restore run
    bool force = false;         // install also over newer drivers
    bool restartNeeded = false; // an install call said Windows must restart to finish it
    // The copy that folder and infPath name when the INF lay deeper than the setup services
    // take (PackageCopy); none otherwise.
    std::shared_ptr<const PackageCopy> copy;
};

// The package's folder as it is shown: its full path; empty when it has none.
inline std::wstring FolderOf(const DriverPackage& package)
{
    return package.folder ? package.folder->Full() : std::wstring();
}
