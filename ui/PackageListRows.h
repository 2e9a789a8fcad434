// How the package lists put their rows: which packages stand out (the system's error or
// warning image) and come first, the summary line of each list, and the row's tooltip that
// gives the texts its narrow cells cut. Pure rules, tested without a window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "backup/DriverPackage.h"

// How a row stands out.
enum class PackageMark {
    None,
    Warning,  // worth a look: unsigned, or skipped
    Error,    // refused, damaged, incomplete, or its install failed
};

// The restore's mark: refused packages and failed installs are errors.
PackageMark RestoreMarkOf(const DriverPackage& package);
// The verification's mark: a package not found whole is an error, an unsigned one a warning.
PackageMark VerifyMarkOf(const DriverPackage& package);

// The order of the rows (indexes into marks): errors first, then warnings, then the rest,
// each group in the order given.
std::vector<size_t> RowOrder(const std::vector<PackageMark>& marks);

// A row the restore may not tick: the check refused it, so the installer never gets it.
bool CannotBeTicked(const DriverPackage& package);

// Under the verify list: "1 of 4 packages damaged, 2 unsigned." (the unsigned part only when
// there are some), or that none were found.
std::wstring DamageSummaryText(const std::vector<DriverPackage>& packages);

// Under the restore's list once it has run: how many of the ticked packages were restored
// and how many failed.
std::wstring RestoreSummaryText(const std::vector<DriverPackage>& packages);

// A row's tooltip: the package's whole folder, then each cell that its column cuts, as
// "<title>: <text>", one a line.
struct CutCell {
    std::wstring title;
    std::wstring text;
};
std::wstring RowTipText(const std::wstring& folder, const std::vector<CutCell>& cut);
