// The plan of a restore: what a restore of the checked packages would do with each, told
// before anything is installed or staged.
#pragma once

#include <string>
#include <vector>

#include "backup/DriverPackage.h"

// The lines of one package: its INF in the backup, its saved version, the present devices it
// would bind to (name, instance ID, installed version) and the decision.
std::wstring PlanText(const DriverPackage& package);

// Whether a restore of the selected packages would succeed as far as the check can tell: at
// least one package, and none of them refused.
bool PlanSucceeds(const std::vector<DriverPackage>& packages);
