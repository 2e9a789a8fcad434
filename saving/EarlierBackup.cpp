#include <windows.h>

#include "saving/EarlierBackup.h"

#include "saving/ReportTime.h"
#include "saving/ReportWriter.h"

namespace {

// The size and last-write time of the file at path, as the file system lists them (the file
// is not opened); false when there is no file there.
bool FileFacts(const std::wstring& path, uint64_t& size, FILETIME& lastWrite)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!::GetFileAttributesExW(OpenablePath(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    lastWrite = data.ftLastWriteTime;
    return true;
}

bool SameTime(const FILETIME& left, const FILETIME& right)
{
    return left.dwLowDateTime == right.dwLowDateTime && left.dwHighDateTime == right.dwHighDateTime;
}

// Whether the earlier report says the device's folder holds its whole driver: saved (or kept
// from a run before) without an error. A failed device's folder lacks files.
bool HoldsWholeDriver(const ReportDevice& earlier)
{
    return (earlier.status == L"saved" || earlier.status == L"kept") && !earlier.error && earlier.folder &&
           !earlier.folder->empty();
}

bool SameDriver(const ReportDevice& earlier, const DeviceInfo& device)
{
    // A record without an instance ID cannot be told from another device of the same driver.
    return !device.instanceId.empty() && earlier.instanceId == device.instanceId && earlier.inf == device.infPath &&
           earlier.infSection == device.infSection && earlier.provider == device.providerName &&
           earlier.driverVersion == device.driverVersion;
}

} // namespace

std::optional<EarlierBackup> EarlierBackup::Read(const FolderPath& target)
{
    const PathResult<PathInside> file = target.Inside(kBackupReportName, kAnyLength);
    if (!file)
        return std::nullopt;
    std::optional<DeviceReport> report = ReadReportFile(file->Openable());
    if (!report)
        return std::nullopt;
    return EarlierBackup(target, std::move(*report));
}

EarlierBackup::EarlierBackup(FolderPath target, DeviceReport report)
    : target(std::move(target)), report(std::move(report)), taken(this->report.devices.size(), false)
{
}

std::optional<UnchangedDevice> EarlierBackup::TakeUnchanged(const DeviceInfo& device)
{
    const std::optional<size_t> found = FindUnchanged(device);
    if (!found)
        return std::nullopt;
    taken[*found] = true;
    const ReportDevice& earlier = report.devices[*found];
    // A folder kept unchanged run after run dates from the run that copied its files.
    return UnchangedDevice{*earlier.folder, earlier.files, SavedTime(earlier), earlier.originalInf};
}

std::wstring EarlierBackup::SavedTime(const ReportDevice& earlier) const
{
    return earlier.unchangedSince.value_or(report.createdUtc);
}

bool EarlierBackup::HasUnchanged(const DeviceInfo& device) const
{
    return FindUnchanged(device).has_value();
}

std::optional<size_t> EarlierBackup::FindUnchanged(const DeviceInfo& device) const
{
    for (size_t i = 0; i < report.devices.size(); ++i) {
        const ReportDevice& earlier = report.devices[i];
        if (taken[i] || !HoldsWholeDriver(earlier) || !SameDriver(earlier, device))
            continue;
        // The log says since when: a time that cannot be read is no earlier backup to trust.
        if (!ParseReportTime(SavedTime(earlier)))
            continue;
        if (FilesUnchanged(earlier))
            return i;
    }
    return std::nullopt;
}

bool EarlierBackup::FilesUnchanged(const ReportDevice& earlier) const
{
    // The report is read from the target, which anyone may have written: a folder or a file
    // name that leads out of it is no copy of this backup's.
    const PathResult<FolderPath> folder = target.Folder(*earlier.folder, kAnyLength);
    if (!folder || earlier.files.empty())
        return false;
    for (const ReportFile& file : earlier.files) {
        uint64_t size = 0;
        FILETIME lastWrite = {};
        if (file.source.empty() || !file.sourceTime || !FileFacts(file.source, size, lastWrite) ||
            size != file.size || !SameTime(lastWrite, *file.sourceTime))
            return false;
        const PathResult<PathInside> copy = folder->Inside(file.path, kAnyLength);
        if (!copy || !FileFacts(copy->full, size, lastWrite) || size != file.size)
            return false;
    }
    return true;
}

std::vector<ReportDevice> EarlierBackup::Kept() const
{
    std::vector<ReportDevice> kept;
    for (size_t i = 0; i < report.devices.size(); ++i) {
        const ReportDevice& earlier = report.devices[i];
        if (taken[i] || !HoldsWholeDriver(earlier))
            continue;
        const PathResult<FolderPath> folder = target.Folder(*earlier.folder, kAnyLength);
        const DWORD attributes = folder ? ::GetFileAttributesW(folder->Openable().c_str()) : INVALID_FILE_ATTRIBUTES;
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            continue;
        ReportDevice entry = earlier;
        entry.status = L"kept";
        // Its folder too is unchanged since the run that copied its files.
        entry.unchangedSince = SavedTime(earlier);
        kept.push_back(std::move(entry));
    }
    return kept;
}
