// The drivers that the round-trip test installs, backs up and reinstalls from the backup.
// Their files lie at the root of their media: under Wine a file in a subfolder of the media
// gets a saved name that Wine's own installer does not look for (see the known Wine
// difference of SetupGetSourceFileLocationW), so only these can make the trip there.
#pragma once

#include <vector>

#include "tests/fixtures/DriverFixture.h"

std::vector<fixture::Package> RoundTripPackages();
