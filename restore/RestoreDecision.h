// How a restore installs a package that its check decided to install: which calls of the
// installer it makes, one per hardware ID of the devices that are to get the package, and
// whether each is forced past the installer's own ranking. The plan announces these calls
// and the installer makes exactly them. What a restore does with a package, and why, is the
// package's outcome (backup/PackageOutcome.h), worded by backup/OutcomeText.h.
#pragma once

#include <string>
#include <vector>

#include "backup/DriverPackage.h"

// One call of the installer for a package.
struct PlannedCall {
    std::wstring hardwareId;  // the devices' ID that the installer is given
    bool force = false;       // INSTALLFLAG_FORCE: the decision goes against the installer's ranking
};

// The calls for the package's devices that are to get it, in the order of its devices. The
// installer is forced only for a hardware ID whose devices are all to get the package and
// one of which has a driver it would rank at least as high (ReplacesInstalledDriver); when a
// device of the same ID keeps its newer driver, the call is never forced, so that the
// installer does not downgrade that device.
std::vector<PlannedCall> PlannedCalls(const DriverPackage& package);

// Whether the device's installed driver is newer than the package, or the package's version
// cannot be read while the driver's can: only /force puts the package on such a device.
bool KeepsNewerDriver(const MatchedDevice& device, const std::wstring& packageVersion);

// Whether a device of the package replaces an installed driver that the installer would rank
// at least as high (an equal, newer or unreadable version): the decision to install it over
// that driver is the program's, so the installer is forced.
bool ReplacesInstalledDriver(const MatchedDevice& device, const std::wstring& packageVersion);

// Whether /force puts the package over a newer or unknown driver of a device (the log says so).
bool ReplacesNewerDriver(const DriverPackage& package, const MatchedDevice& device);
