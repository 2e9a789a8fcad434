// The columns of the package lists that the restore and verify dialogs show, and the lines
// under them: every text those dialogs give a package is worded here, from the restore's and
// the verification's own words. Each list starts with the package's device folder (its last
// part; the class folder reads the same for most packages) and its INF.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "backup/DriverPackage.h"

// One column: its title (a string table id), its width at 96 DPI and its cell for a package.
struct PackageColumn {
    UINT title;
    int width;
    std::wstring (*cell)(const DriverPackage& package);
};
using PackageColumns = std::vector<PackageColumn>;

// Device folder, INF, version, provider, matching present devices, status.
const PackageColumns& RestoreColumns();
// Device folder, INF, verdict (with why the INF was refused), the files at fault with their
// reasons.
const PackageColumns& VerifyColumns();

// The cells of one package's row.
std::vector<std::wstring> PackageCells(const PackageColumns& columns, const DriverPackage& package);

// The restore's status cell: before the run the decision the run will follow (in the words of
// the plan and the log) with the missing files; after it, what the run did and why.
std::wstring PackageStatusCell(const DriverPackage& package);

// Under the restore's list: how many packages were found and how many are ticked.
std::wstring PackageCountText(size_t found, size_t ticked);
