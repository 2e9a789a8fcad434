// The check of a driver package before anything is installed: the version and provider its
// INF states, that it has device models at all, the present devices that its models match
// (each device's compatible driver list built from this one INF), whether every file its
// installation needs lies in its folder (PackageSources), and from all that the planned status.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <string>
#include <vector>

#include "platform/Handles.h"
#include "backup/DriverPackage.h"

class PackageChecker {
public:
    // Fills in what the check finds and sets the package's status to its verdict. A package
    // whose INF lies deeper than the setup services take is checked from a copy of its folder
    // in tempFolder (PackageCopy), which it keeps; without tempFolder, or when no copy can be
    // made, it is refused.
    static void Check(DriverPackage& package, const std::wstring& tempFolder = std::wstring());

private:
    static void Refuse(DriverPackage& package, const std::wstring& reason);
    static void MatchDevices(DriverPackage& package);
    static bool MatchDevice(HDEVINFO devices, const std::wstring& infPath, SP_DEVINFO_DATA& element,
                            MatchedDevice& device);
};

// Whether every manufacturer line of the INF names decorations and none of them serves this
// machine's processor (nor every processor, as "NT" and "NT.6.1" do).
bool ForOtherMachinesOnly(HINF inf);

// The undecorated install sections of every model of the INF for this platform.
std::vector<std::wstring> ModelSections(HINF inf);

