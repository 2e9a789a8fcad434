// Finds the driver packages of a backup: every INF under a folder (a whole backup, one class
// folder or one device folder) that the setup services accept as a device INF.
#pragma once

#include <string>
#include <vector>

#include "backup/DriverPackage.h"

// The packages under folder (a full path), ordered by their path relative to it (letters A
// to Z in any case). Links inside the folder are not followed. An INF whose path is too long
// for the setup services is a package too, of no known class. Empty when the folder holds
// none or is not a folder.
std::vector<DriverPackage> FindDriverPackages(const std::wstring& folder);

// The backup folder the user named, resolved as the file system resolves it (".", "sub\folder",
// trailing backslashes): its full path in `full`, or what was given when it cannot be resolved.
// False when no folder is there (a missing folder, a file).
bool ResolveBackupFolder(const std::wstring& given, std::wstring& full);

// True when the file name ends in ".inf", in any case.
bool HasInfExtension(const std::wstring& name);
