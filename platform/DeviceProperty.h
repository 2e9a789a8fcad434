// A device's text properties from the setup services (SetupDiGetDeviceRegistryPropertyW),
// read whole however long they are.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <string>
#include <vector>

// Every string of a property (a hardware ID list, a compatible ID list, or one text); empty
// when the device has none or it cannot be read.
std::vector<std::wstring> ReadDeviceTexts(HDEVINFO set, const SP_DEVINFO_DATA& element, DWORD property);

// The property's first string; empty text when the device has none or it cannot be read.
std::wstring ReadDeviceProperty(HDEVINFO set, const SP_DEVINFO_DATA& element, DWORD property);
