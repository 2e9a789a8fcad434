#include "ui/PackageListRows.h"

#include <algorithm>

#include "backup/OutcomeText.h"
#include "framework/ResourceText.h"
#include "resources/resource.h"

PackageMark RestoreMarkOf(const DriverPackage& package)
{
    if (IsRefused(package.outcome) || package.outcome == PackageOutcome::InstallFailed)
        return PackageMark::Error;
    return PackageMark::None;
}

PackageMark VerifyMarkOf(const DriverPackage& package)
{
    if (!IsSound(package.outcome))
        return PackageMark::Error;
    return IsIntact(package) ? PackageMark::None : PackageMark::Warning;
}

std::vector<size_t> RowOrder(const std::vector<PackageMark>& marks)
{
    std::vector<size_t> order(marks.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    // Errors, then warnings, then the rest; the finder's order within each.
    const auto rank = [&marks](size_t i) {
        return marks[i] == PackageMark::Error ? 0 : marks[i] == PackageMark::Warning ? 1 : 2;
    };
    std::stable_sort(order.begin(), order.end(), [&rank](size_t a, size_t b) { return rank(a) < rank(b); });
    return order;
}

bool CannotBeTicked(const DriverPackage& package)
{
    return IsRefused(package.outcome);
}

std::wstring DamageSummaryText(const std::vector<DriverPackage>& packages)
{
    if (packages.empty())
        return FormatResourceString(IDS_PACKAGES_NONE_FOUND);
    size_t damaged = 0;
    size_t unsigned_ = 0;
    for (const DriverPackage& package : packages) {
        damaged += IsSound(package.outcome) ? 0 : 1;
        unsigned_ += IsSound(package.outcome) && !IsIntact(package) ? 1 : 0;
    }
    const std::wstring found = std::to_wstring(packages.size());
    if (unsigned_ == 0)
        return FormatResourceString(IDS_VERIFY_SUMMARY, {std::to_wstring(damaged), found});
    return FormatResourceString(IDS_VERIFY_SUMMARY_UNSIGNED,
                                {std::to_wstring(damaged), found, std::to_wstring(unsigned_)});
}

std::wstring RestoreSummaryText(const std::vector<DriverPackage>& packages)
{
    size_t ticked = 0;
    size_t restored = 0;
    size_t failed = 0;
    for (const DriverPackage& package : packages) {
        // As the log counts them: a package that a newer one of the backup stands in for is
        // not the run's to restore.
        if (!package.selected || package.outcome == PackageOutcome::NewerInBackup)
            continue;
        ++ticked;
        restored += IsRestored(package.outcome) ? 1 : 0;
        failed += LeavesNothingToFix(package.outcome) ? 0 : 1;
    }
    return FormatResourceString(IDS_RESTORE_DONE,
                                {std::to_wstring(restored), std::to_wstring(ticked), std::to_wstring(failed)});
}

std::wstring RowTipText(const std::wstring& folder, const std::vector<CutCell>& cut)
{
    std::wstring tip = folder;
    for (const CutCell& cell : cut)
        tip += (tip.empty() ? L"" : L"\r\n") + FormatResourceString(IDS_PACKAGES_REASON, {cell.title, cell.text});
    return tip;
}
