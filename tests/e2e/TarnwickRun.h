// Runs tarnwick.exe as a user's script would, with its output redirected to a file, and
// describes what a backup of a fixture device is expected to hold.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/fixtures/DriverFixture.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/OpenVerbRecorder.h"

// Runs tarnwick.exe with the arguments and waits for it to end.
ProgramRun RunTarnwick(const std::wstring& arguments);

// The "/path:" argument for a folder, quoted.
std::wstring PathArgument(const std::wstring& folder);

// One file of a saved device: its name in the set, and the file the backup copies.
struct ExpectedFile {
    std::wstring name;
    std::wstring origin;
};

// One device of a fixture package as the backup should show it.
struct ExpectedDevice {
    std::wstring name;
    std::wstring className;
    std::wstring classDescription;
    std::wstring provider;
    std::wstring version;
    std::wstring infPath;     // the published INF's name, for the list order
    std::wstring infSection;
    std::vector<ExpectedFile> files;  // in set order
};

// The device of a package made by fixture::MakePackage: queued .sys, .dll and co-installer
// found in the package folder, then the catalog's installed copy and the published INF.
ExpectedDevice SimpleDevice(const fixture::SimpleDriver& driver, const fixture::InstallResult& installed,
                            const std::wstring& name);

// The device of a package made by fixture::MakePackage and installed through the driver store:
// every file named by its path in the store folder, whose copy there is what it must hold.
ExpectedDevice StoreDevice(const fixture::SimpleDriver& driver, const fixture::InstallResult& installed);

// The devices in the order the device list keeps them.
std::vector<ExpectedDevice> InListOrder(std::vector<ExpectedDevice> devices);

// The log messages of a device saved without error into folder.
std::wstring SavedDeviceLog(const ExpectedDevice& device, const std::wstring& folder);

// A run with its output redirected, as a script runs it: its one log in folder holds the
// messages, its output holds them after "Scanning devices..." and ends with the log's path, and
// no viewer was opened.
void ExpectScriptedRunLog(const ProgramRun& run, const OpenVerbRecorder& recorder, const std::wstring& folder,
                          const std::wstring& messages);

// The messages that open and close a run into target.
std::wstring RunStartLog(const std::wstring& target);
std::wstring RunSummaryLog(int saved, int total);
