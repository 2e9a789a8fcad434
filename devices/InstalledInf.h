// Where the setup services say the INF of a device's installed driver is: asked once, by the
// scan, for every device it keeps, so that every record arrives with its INF's full path.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include "model/DeviceInfo.h"

// Sets device.infFullPath from the setup services' installed driver when it is empty; nothing
// without a set (the records of an offline Windows, whose scan names their INF itself).
void ResolveInfFullPath(HDEVINFO set, DeviceInfo& device);

// How the installed driver is told among the drivers the setup services list for a device:
// the same manufacturer and provider, then the same install section and description. Every
// comparison is exact (case-sensitive, code unit by code unit).
bool IsFromDriverSource(const DeviceInfo& device, const SP_DRVINFO_DATA_V2_W& driver);
bool IsInstalledDriver(const DeviceInfo& device, const SP_DRVINFO_DETAIL_DATA_W& details);
