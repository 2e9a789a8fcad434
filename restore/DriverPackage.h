// One driver package found in a backup folder: an INF that the setup services take for a
// device INF, with the folder it sits in as its installation media, what the check before
// installing found out about it, and what the restore did with it.
#pragma once

#include <string>
#include <vector>

#include "restore/PackageVerdict.h"
#include "restore/RestoreStatus.h"

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

struct DriverPackage {
    std::wstring infPath;       // full path
    std::wstring sourceRoot;    // the folder the INF sits in
    std::wstring displayName;   // the INF's path relative to the restored folder
    std::wstring className;     // the setup class the INF names
    std::wstring provider;      // the INF's Provider, its %strings% resolved
    std::wstring version;       // DriverVer's version
    std::wstring date;          // DriverVer's date
    std::vector<MatchedDevice> devices;
    std::vector<std::wstring> missingFiles;  // relative to sourceRoot
    std::vector<std::wstring> presentFiles;  // the files the installation needs that are there, likewise
    std::wstring catalogFile;   // the catalog the INF names, relative to sourceRoot; empty when none
    std::wstring error;         // why the INF was refused or the package failed
    std::wstring publishedInf;  // the name the system published the INF under, once staged
    PackageStatus status = PackageStatus::Unchecked;
    PackageVerification verification;  // its files against its catalog
    bool selected = true;       // part of the restore run
    bool force = false;         // install also over newer drivers
};
