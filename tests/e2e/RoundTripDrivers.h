// The drivers that the round-trip test installs, backs up and reinstalls from the backup, and
// that the command-line tests of drivers installed through the driver store back up.
#pragma once

#include <vector>

#include "tests/fixtures/DriverFixture.h"

// The four kinds of package that Windows 10 and 11 install through the driver store: flat; on
// an x64 disk with a library in a res subfolder; a driver that runs from the store
// (destination id 13); one with a co-installer. One device each, of the fixture's class.
std::vector<fixture::SimpleDriver> StoreDrivers();

// Every package of the round trip: two installed from their own folder, then the store kinds.
std::vector<fixture::Package> RoundTripPackages();
