// The backup a save finds in its target already, by the report.json it left there: a nightly
// run into the same folder keeps the folder of each device whose driver and files are as that
// backup saved them, instead of copying them again, and its report carries over the folders
// it does not take. Whether a device is unchanged is told from sizes and last-write times
// alone: no file's contents are read.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/DeviceInfo.h"
#include "platform/FolderPath.h"
#include "saving/DeviceReport.h"

// What a device saved unchanged keeps of the earlier backup.
struct UnchangedDevice {
    std::wstring folder;            // relative to the target, as the earlier report gave it
    std::vector<ReportFile> files;  // as the earlier report listed them
    std::wstring since;             // when the folder's files were saved (a report time)
    std::wstring originalInf;       // the INF's original name, as the earlier report gave it
};

class EarlierBackup {
public:
    // The backup described by target's report.json; none when there is none, or it is no
    // report of this program.
    static std::optional<EarlierBackup> Read(const FolderPath& target);
    EarlierBackup(FolderPath target, DeviceReport report);

    // The earlier backup's folder of device when the device is unchanged since: the same
    // device (instance ID), the same driver (INF, section, provider and version), every file
    // the backup read still of the size and last-write time it had, and every copy saved of it
    // still in its folder with its size. The folder is then taken: no other device gets it
    // and it is not carried over. None when the device must be saved.
    std::optional<UnchangedDevice> TakeUnchanged(const DeviceInfo& device);
    // Whether TakeUnchanged would give the device a folder now (takes nothing).
    bool HasUnchanged(const DeviceInfo& device) const;

    // The earlier devices whose folders no device took and are still there, marked "kept"
    // with the time their files were copied: the backup holds them all the same.
    std::vector<ReportDevice> Kept() const;

private:
    // The index of the earlier device that device is unchanged from; none when there is none.
    std::optional<size_t> FindUnchanged(const DeviceInfo& device) const;
    bool FilesUnchanged(const ReportDevice& earlier) const;
    // When the files of an earlier device's folder were copied: the time of the run that
    // copied them, which a folder kept since carries along.
    std::wstring SavedTime(const ReportDevice& earlier) const;

    FolderPath target;
    DeviceReport report;
    // Per earlier device: whether its folder was taken by a device of this run.
    std::vector<bool> taken;
};
