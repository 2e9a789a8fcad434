// What the setup services say of one device beyond a scan's record: its whole ID lists,
// whether it is attached now, its class as text, and the name its published INF was made with.
#pragma once

#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>

#include <string>
#include <vector>

// The ID lists themselves: ReadDeviceTexts.
#include "platform/DeviceProperty.h"

// False only when the configuration manager says the device is not attached now.
bool DeviceIsPresent(DEVINST device);

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}", as the registry writes a class GUID.
std::wstring GuidText(const GUID& guid);

// The file name an installed INF had before Windows published it (oem12.inf -> fbeth.inf),
// as the setup services record it; empty when they do not say. inf is a full path, or a name
// looked for in the system's INF folders.
std::wstring OriginalInfName(const std::wstring& inf);
