// Finds the driver packages of a backup: every INF under a folder (a whole backup, one class
// folder or one device folder) that the setup services accept as a device INF.
#pragma once

#include <string>
#include <vector>

#include "platform/FolderPath.h"
#include "backup/DriverPackage.h"

// The packages under folder, ordered by their path relative to it (letters A to Z in any
// case), each with its own folder made from this one. Links to folders are not followed. An
// INF whose path is too long for the setup services is a package too, of no known class, and
// so is an INF that is a link leading out of its folder: it is not read, and the check says
// why it cannot be used.
std::vector<DriverPackage> FindDriverPackages(const FolderPath& folder);

// True when the file name ends in ".inf", in any case.
bool HasInfExtension(const std::wstring& name);
