// What a restore does with one checked package, and why, before anything is installed:
//   install                                  the package goes on its matched devices
//   skip: installed driver is newer          every matched device keeps a newer driver
//   skip: a newer package in this backup     another package of the backup serves its devices
//   skip: not for this architecture          its models are all for other processors
//   stage: no device present                 published for Windows to use when a device appears
//   refuse: <reason>                         never handed to the system
// The window's list, the log and the plan of a restore all show this one decision.
#pragma once

#include <string>

#include "backup/DriverPackage.h"

enum class RestoreAction {
    Install,
    SkipInstalledNewer,
    SkipNewerInBackup,
    SkipNotForArchitecture,
    Stage,
    Refuse,
};

struct RestoreDecision {
    RestoreAction action = RestoreAction::Refuse;
    std::wstring reason;          // Refuse: why ("files missing", "no device models", ...)
    std::wstring newerPackage;    // SkipNewerInBackup: the package that serves the devices instead
    bool forceInstaller = false;  // Install: the installer is forced past its own ranking
    bool replacesNewer = false;   // Install: /force puts the package over a newer or unknown driver
};

// The decision for a package as its check (and the joint decision of its backup) left it.
RestoreDecision DecisionOf(const DriverPackage& package);

// "install", "skip: installed driver is newer", "refuse: files missing", ...
std::wstring DecisionText(const RestoreDecision& decision);

// Whether the device's installed driver is newer than the package, or the package's version
// cannot be read while the driver's can: only /force puts the package on such a device.
bool KeepsNewerDriver(const MatchedDevice& device, const std::wstring& packageVersion);

// Whether a device of the package replaces an installed driver that the installer would rank
// at least as high (an equal, newer or unreadable version): the decision to install it over
// that driver is the program's, so the installer is forced.
bool ReplacesInstalledDriver(const MatchedDevice& device, const std::wstring& packageVersion);
