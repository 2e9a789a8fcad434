// Finding the INF of a device's installed driver, and its catalog.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <string>

#include "model/DeviceInfo.h"

// Sets device.infFullPath from the setup services' installed driver when it is empty.
void ResolveInfFullPath(HDEVINFO set, DeviceInfo& device);

// How the installed driver is told among the drivers the setup services list for a device:
// the same manufacturer and provider, then the same install section and description. Every
// comparison is exact (case-sensitive, code unit by code unit).
bool IsFromDriverSource(const DeviceInfo& device, const SP_DRVINFO_DATA_V2_W& driver);
bool IsInstalledDriver(const DeviceInfo& device, const SP_DRVINFO_DETAIL_DATA_W& details);

std::wstring FindInfInFolders(const DeviceInfo& device);
std::wstring FindInfInDriverStore(const DeviceInfo& device);

struct InfChoice {
    std::wstring chosenInf;  // the INF to read: the driver store copy, else the INF-folder copy
    std::wstring folderInf;  // the copy found in the INF folders (may be empty)
};
// False when no INF was found.
bool ChooseInf(const DeviceInfo& device, InfChoice& choice);

struct CatalogLocation {
    std::wstring name;           // as written in the INF; empty when the driver has none
    std::wstring besideInf;      // expected path beside the chosen INF
    std::wstring installedCopy;  // the system's copy, named after the installed INF
};
CatalogLocation LocateCatalog(HINF inf, const DeviceInfo& device, const std::wstring& chosenInf);
