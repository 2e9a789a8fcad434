// One listed device: its names, setup class, driver key values and cached driver file set.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <deque>
#include <optional>
#include <string>

#include "model/DriverFile.h"
#include "platform/FolderPath.h"

struct DeviceInfo {
    SP_DEVINFO_DATA devInfoData = {};  // valid while the scan's device information set is open
    std::wstring providerName;
    std::wstring className;
    std::wstring name;              // friendly name, else the description
    std::wstring description;
    std::wstring classDescription;  // class description, else class name, else "Unknown device"
    std::wstring infPath;           // installed INF name as recorded, e.g. oem12.inf
    std::wstring infFullPath;       // where the scan found the INF; empty when it could not tell
    // Why an offline Windows' INF path was not taken (it leads out of that Windows, names a
    // device, ...): its INF is then never opened.
    PathRefusal infRefusal = PathRefusal::None;
    std::wstring infSection;
    std::wstring infSectionExt;
    std::wstring driverDate;        // as stored, never parsed
    std::optional<FILETIME> driverDateData;  // "DriverDateData", where it holds a date
    std::optional<SYSTEMTIME> driverDay;     // the day of either, where one holds a date (DriverDay)
    std::wstring driverVersion;
    std::wstring hardwareId;        // the first of the list
    std::wstring manufacturer;
    std::wstring instanceId;
    std::wstring driverKey;         // its driver key's name below the classes' key; empty when unknown
    bool isOemInf = false;
    // The driver file set once discovered, in discovery order. A deque, because receivers and
    // list items keep references to entries while later ones are appended.
    std::deque<DriverFile> files;
};
