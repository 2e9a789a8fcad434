// The devices ticked in the device tree, for saving.
#pragma once

#include <windows.h>

#include <vector>

#include "model/DeviceInfo.h"

// The device nodes (third level: under the computer and its classes) whose box is checked,
// in tree order. The boxes of the computer and the classes do not count by themselves:
// ticking a class has ticked its devices.
std::vector<DeviceInfo*> CollectTickedDevices(HWND tree);
