// The check of a driver package before anything is installed: the version and provider its
// INF states, the present devices that its models match (each device's compatible driver
// list built from this one INF), whether every file its installation needs lies in its
// folder, and from all that the planned status.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <string>
#include <vector>

#include "platform/Handles.h"
#include "restore/DriverPackage.h"

class PackageChecker {
public:
    // Fills in what the check finds and sets the package's status to its verdict.
    static void Check(DriverPackage& package);

private:
    static void MatchDevices(DriverPackage& package);
    static bool MatchDevice(HDEVINFO devices, const std::wstring& infPath, SP_DEVINFO_DATA& element,
                            MatchedDevice& device);
};

// The files that a package's install sections (each with its ".CoInstallers" section) and its
// catalog need and that are not under its folder, as paths relative to the folder (missing),
// and those of the sections that are there (files). sections are undecorated; each is taken
// with the decoration this system installs. False, with the reason in error, when a section
// cannot be queued.
bool FindMissingFiles(HINF inf, const std::wstring& sourceRoot, const std::vector<std::wstring>& sections,
                      std::vector<PackageFile>& files, std::vector<std::wstring>& missing, std::wstring& error);

// The undecorated install sections of every model of the INF for this platform.
std::vector<std::wstring> ModelSections(HINF inf);

// The catalog the INF names for this platform; empty when it names none.
std::wstring CatalogName(HINF inf);
