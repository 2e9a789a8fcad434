// Finding the INF of a device's installed driver, and its catalog.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <string>
#include <vector>

#include "discovery/DriverStore.h"
#include "discovery/SystemFolders.h"
#include "model/DeviceInfo.h"

// The device's INF: its full path (as the scan found it) when that exists, else the first of the INF folders that
// holds a file of its name.
std::wstring FindInfInFolders(const DeviceInfo& device, const std::vector<std::wstring>& infFolders);
// The driver store's copy of the device's INF, asked by the record's full path when it has
// one, else by the INF's name; empty when the store does not know it.
std::wstring FindInfInDriverStore(const DeviceInfo& device, const DriverStore& store = DriverStore::System());

struct InfChoice {
    std::wstring chosenInf;  // the INF to read: the driver store copy, else the INF-folder copy
    std::wstring folderInf;  // the copy found in the INF folders (may be empty)
};
// False when no INF was found.
bool ChooseInf(const DeviceInfo& device, const SystemFolders& folders, InfChoice& choice,
               const DriverStore& store = DriverStore::System());

struct CatalogLocation {
    std::wstring name;           // as written in the INF; empty when the driver has none
    std::wstring besideInf;      // expected path beside the chosen INF
    std::wstring installedCopy;  // the system's copy, named after the installed INF
};
// catalogFolder: where the system keeps the catalogs of installed drivers.
CatalogLocation LocateCatalog(HINF inf, const DeviceInfo& device, const std::wstring& chosenInf,
                              const std::wstring& catalogFolder);
