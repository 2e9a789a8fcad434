// The package lists' rules without a window: which rows stand out and come first, the summary
// lines and how small a package list dialog may be made.
#include <gtest/gtest.h>

#include "ui/PackageListLayout.h"
#include "ui/PackageListRows.h"

namespace {

DriverPackage Package(PackageOutcome outcome, bool signedByCatalog = true, bool selected = true)
{
    DriverPackage package;
    package.outcome = outcome;
    if (signedByCatalog)
        package.catalogs = {L"C:\\Backup\\x\\x.cat"};
    package.selected = selected;
    return package;
}

} // namespace

TEST(PackageListRows, DamagedAndRefusedPackagesStandOutAndComeFirst)
{
    struct Case {
        const char* what;
        std::vector<DriverPackage> packages;
        PackageMark (*markOf)(const DriverPackage&);
        std::vector<size_t> order;
    };
    const Case cases[] = {
        {"verify: damaged, then unsigned, then intact",
         {Package(PackageOutcome::ToInstall), Package(PackageOutcome::ToInstall, false),
          Package(PackageOutcome::FilesDamaged), Package(PackageOutcome::ToStage)}, VerifyMarkOf, {2, 1, 0, 3}},
        {"verify: missing and refused are as bad as damaged, kept in their order",
         {Package(PackageOutcome::InfRefused), Package(PackageOutcome::ToInstall),
          Package(PackageOutcome::FilesMissing)}, VerifyMarkOf, {0, 2, 1}},
        {"restore: refused first, an unsigned one is no reason",
         {Package(PackageOutcome::ToInstall, false), Package(PackageOutcome::Newer),
          Package(PackageOutcome::FilesMissing)}, RestoreMarkOf, {2, 0, 1}},
        {"restore: a failed install stands out after the run",
         {Package(PackageOutcome::Installed), Package(PackageOutcome::InstallFailed)}, RestoreMarkOf, {1, 0}},
        {"nothing found", {}, VerifyMarkOf, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<PackageMark> marks;
        for (const DriverPackage& package : c.packages)
            marks.push_back(c.markOf(package));
        EXPECT_EQ(RowOrder(marks), c.order);
    }
}

TEST(PackageListRows, SummariesCountWhatMatters)
{
    struct Case {
        const char* what;
        std::vector<DriverPackage> packages;
        std::wstring verified;
        std::wstring restored;
    };
    const Case cases[] = {
        {"one damaged of four, one unsigned",
         {Package(PackageOutcome::FilesDamaged), Package(PackageOutcome::ToInstall),
          Package(PackageOutcome::ToInstall, false), Package(PackageOutcome::ToStage)},
         L"1 of 4 packages damaged, 1 unsigned.",
         L"Restored 0 of 4 ticked driver package(s); 4 failed."},
        {"after a run: installed, failed, not ticked",
         {Package(PackageOutcome::Installed), Package(PackageOutcome::InstallFailed),
          Package(PackageOutcome::Staged, true, false)},
         L"0 of 3 packages damaged.",
         L"Restored 1 of 2 ticked driver package(s); 1 failed."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DamageSummaryText(c.packages), c.verified);
        EXPECT_EQ(RestoreSummaryText(c.packages), c.restored);
    }
}

TEST(PackageListLayout, TheDialogShrinksToItsLeastListOrStatusLine)
{
    struct Case {
        const char* what;
        PackageDialogParts parts;
        SIZE smallest;
    };
    const Case cases[] = {
        {"the status line has less to give up", {{700, 330}, {680, 260}, 500, 120, 60, 90}, {290, 130}},
        {"the list has less to give up", {{700, 330}, {400, 260}, 500, 120, 60, 90}, {420, 130}},
        {"already at its least", {{300, 200}, {120, 60}, 90, 120, 60, 90}, {300, 200}},
        {"controls laid out smaller than their least", {{300, 200}, {100, 50}, 80, 120, 60, 90}, {300, 200}},
    };
    for (const Case& c : cases) {
        const SIZE smallest = SmallestClient(c.parts);
        EXPECT_EQ(std::make_pair(smallest.cx, smallest.cy), std::make_pair(c.smallest.cx, c.smallest.cy)) << c.what;
    }
}
