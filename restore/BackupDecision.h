// The decisions a restore makes over the whole backup, once each package is checked: a
// package that lies in several device folders byte for byte is one package, and packages for
// the same devices are decided together, so that the order of the folders never decides which
// driver a device ends with.
#pragma once

#include <vector>

#include "backup/DriverPackage.h"

// Packages with the same INF bytes and the same catalog bytes (or no catalog) that the check
// found usable become the first of them, which lists the others' folders in sameIn.
void MergeIdenticalPackages(std::vector<DriverPackage>& packages);

// Among the usable packages that match a device in common, the highest version wins (a
// readable version beats one that cannot be read; then the later date; then the first in path
// order). Each other one is skipped with the status NewerInBackup and the winner's name.
void DecideTogether(std::vector<DriverPackage>& packages);

// Whether `left` wins over `right` for devices they share.
bool IsPreferredPackage(const DriverPackage& left, const DriverPackage& right);
