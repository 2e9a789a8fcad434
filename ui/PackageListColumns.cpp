#include "ui/PackageListColumns.h"

#include "framework/ResourceText.h"
#include "platform/ShellPath.h"
#include "resources/resource.h"
#include "backup/OutcomeText.h"

namespace {

std::wstring Joined(const std::vector<std::wstring>& parts, const wchar_t* separator)
{
    std::wstring text;
    for (const std::wstring& part : parts)
        text += (text.empty() ? L"" : separator) + part;
    return text;
}

std::wstring WithReason(const std::wstring& what, const std::wstring& reason)
{
    return reason.empty() ? what : FormatResourceString(IDS_PACKAGES_REASON, {what, reason});
}

std::wstring FolderCell(const DriverPackage& package)
{
    const std::wstring folder = WithoutFileName(package.displayName);
    return folder == package.displayName ? std::wstring() : FileNamePart(folder);
}

std::wstring InfCell(const DriverPackage& package)
{
    return FileNamePart(package.displayName);
}

std::wstring VersionCell(const DriverPackage& package)
{
    return package.version;
}

std::wstring ProviderCell(const DriverPackage& package)
{
    return package.provider;
}

std::wstring DevicesCell(const DriverPackage& package)
{
    std::vector<std::wstring> names;
    for (const MatchedDevice& device : package.devices)
        names.push_back(device.name);
    const std::wstring joined = Joined(names, L", ");
    return joined.empty() ? FormatResourceString(IDS_RESTORE_NO_DEVICE) : joined;
}

std::wstring VerdictCell(const DriverPackage& package)
{
    const ListedOutcome verdict = ListedVerdictOf(package);
    return WithReason(verdict.words, verdict.reason);
}

std::wstring FilesAtFaultCell(const DriverPackage& package)
{
    std::vector<std::wstring> files;
    for (const BadFile& file : package.verification.badFiles)
        files.push_back(FormatResourceString(IDS_PACKAGES_REASON, {file.path, file.reason}));
    return Joined(files, L"; ");
}

const PackageColumn kFolder = {IDS_PACKAGES_COLUMN_FOLDER, 150, FolderCell};
const PackageColumn kInf = {IDS_PACKAGES_COLUMN_INF, 85, InfCell};

} // namespace

const PackageColumns& RestoreColumns()
{
    static const PackageColumns columns = {kFolder,
                                           kInf,
                                           {IDS_RESTORE_COLUMN_VERSION, 70, VersionCell},
                                           {IDS_RESTORE_COLUMN_PROVIDER, 95, ProviderCell},
                                           {IDS_RESTORE_COLUMN_DEVICES, 120, DevicesCell},
                                           {IDS_RESTORE_COLUMN_STATUS, 220, PackageStatusCell}};
    return columns;
}

const PackageColumns& VerifyColumns()
{
    static const PackageColumns columns = {kFolder,
                                           kInf,
                                           {IDS_VERIFY_COLUMN_VERDICT, 90, VerdictCell},
                                           {IDS_VERIFY_COLUMN_FILES, 300, FilesAtFaultCell}};
    return columns;
}

std::vector<std::wstring> PackageCells(const PackageColumns& columns, const DriverPackage& package)
{
    std::vector<std::wstring> cells;
    for (const PackageColumn& column : columns)
        cells.push_back(column.cell(package));
    return cells;
}

std::wstring PackageStatusCell(const DriverPackage& package)
{
    const ListedOutcome outcome = ListedOutcomeOf(package);
    return WithReason(outcome.words, outcome.reason);
}

std::wstring PackageCountText(size_t found, size_t ticked)
{
    if (found == 0)
        return FormatResourceString(IDS_PACKAGES_NONE_FOUND);
    return FormatResourceString(IDS_RESTORE_COUNT, {std::to_wstring(found), std::to_wstring(ticked)});
}
