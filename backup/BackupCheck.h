// The one chain that reads a backup before anything is done with it, run alike by the
// verification and by the restore's check: the packages that FindDriverPackages found in the
// folder, each checked (PackageChecker) and verified against its catalogs (PackageVerifier)
// in turn, with the progress reported after each package.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model/IProgressReporter.h"
#include "backup/DriverPackage.h"

// Checks and verifies each package found; a package whose files do not match its catalogs is
// FilesDamaged. force lets the check send each package over newer drivers. checked, when
// given, hears each package once it is done. A package whose INF lies deeper than the setup
// services take is read from a copy in tempFolder (PackageChecker). False when the reporter
// asked to stop: the packages after the one then done stay unchecked.
bool CheckPackages(std::vector<DriverPackage>& packages, bool force, const std::wstring& tempFolder,
                   IProgressReporter& reporter, const std::function<void(const DriverPackage&)>& checked = nullptr);
