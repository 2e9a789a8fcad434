// What checking a finished backup ("/path:" with "/verify") says of each device of the save's
// report: the verdict of the driver package in the device's folder.
#pragma once

#include <vector>

#include "backup/DriverPackage.h"
#include "saving/DeviceReport.h"

// Gives each device whose folder holds a package that was verified its "verified" value:
// "intact", "unsigned" (the INF names no catalog, every file there), or "damaged" for every
// other verdict (a file changed or missing, a catalog unusable, the INF refused). A device
// with no folder, or whose folder holds no package found, stays unverified (none).
void MarkVerified(DeviceReport& report, const std::vector<DriverPackage>& packages);
