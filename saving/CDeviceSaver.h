// The save engine: copies the driver file sets of chosen devices into one folder per device
// under a target folder, with progress, abort and a log.
#pragma once

#include <atomic>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/DeviceInfo.h"
#include "model/IProgressReporter.h"
#include "model/IFileReporter.h"
#include "discovery/SystemFolders.h"
#include "platform/FileNameCompare.h"
#include "platform/FolderPath.h"
#include "saving/IBackupWriter.h"
#include "saving/DeviceReport.h"
#include "saving/EarlierBackup.h"
#include "saving/ISaveObserver.h"
#include "log/SaveLog.h"

class FileSearchIndex;
class FileSetLookahead;
class WorkerThread;

class CDeviceSaver : public IFileReporter {
public:
    // shell opens the log at the end; folders are the system's, where files are looked for
    // and the log is written first.
    CDeviceSaver(IProgressReporter& reporter, IShellOpen& shell, const SystemFolders& folders);
    // Finishes the log: moved into the target folder and opened for the user.
    ~CDeviceSaver();
    CDeviceSaver(const CDeviceSaver&) = delete;
    CDeviceSaver& operator=(const CDeviceSaver&) = delete;

    // When the log is finished its path goes to output as a line, instead of opening it.
    void ReportLogPathTo(FILE* output);
    // Adds a device to save, described for the report now, while set (the scan's device set,
    // for the device's IDs) is open; without one the record's own hardware ID is described.
    void AddDevice(DeviceInfo* device, HDEVINFO set = nullptr);
    // The target as the user gave it, names and all, for the report; by default the target's
    // own text.
    void GiveTargetAs(const std::wstring& text) { targetAsGiven = text; }
    // Every backup of this saver restores itself: the restore's script, a copy of program
    // (the one running) and its help file go to its top (saving/RestoreKit.h).
    void IncludeRestoreKit(std::wstring program) { kitProgram = std::move(program); }
    // Copies every device again, also those unchanged since a backup the target holds already
    // ("/full"): each gets a new folder, and the earlier folders stay, listed as kept.
    void CopyEverything() { copyEverything = true; }
    int GetDeviceCount() const;
    // True only when every device was saved without error. The device folders, the log and
    // the backup's report ("report.json") go into target, as it was made at the edge. console
    // may be null.
    bool SaveAll(const FolderPath& target, FILE* console);
    // Finishes the log now rather than when the saver goes (moved into the target folder and
    // opened); false when the log could not be written whole, which the console is told.
    bool FinishLog();
    // The report of the run: each device the log lists, in its order, with its outcome; the
    // log where it stays once it is finished.
    const DeviceReport& Report() const { return report.Report(); }

    bool Progress(double fraction) override;
    void OnFile(const DriverFile& file) override;

private:
    void PrintDevice(const DeviceInfo& device);
    // Searches the device's file set, or reports the search made ahead for it; prints why
    // when it failed.
    bool FindFiles(DeviceInfo& device, std::unique_ptr<FileSetLookahead> ahead, FileSearchIndex& index);
    // The search for next's file set, started while current is copied; none when next's set
    // is known already or next is current again.
    std::unique_ptr<FileSetLookahead> LookAhead(
        DeviceInfo& next, const DeviceInfo& current, FileSearchIndex& index, WorkerThread& worker);
    bool SaveDevice(const DeviceInfo& device);
    // Keeps the device's folder of the backup the target holds already when the device is
    // unchanged since, and says so; false when the device is to be saved.
    bool KeepUnchanged(const DeviceInfo& device);
    // Whether needed bytes fit the free space of folder's volume; prints why not.
    bool HasRoomFor(const FolderPath& folder, uint64_t needed);
    // Prints the error (indented by indent) and keeps it when it is the device's first.
    void Fail(const wchar_t* indent, SaveFailure reason, const std::wstring& subject = std::wstring());

    struct SavedName {
        std::wstring name;
        std::wstring source;
    };
    // What one device's save has written so far.
    struct DeviceFolder {
        explicit DeviceFolder(FolderPath made) : path(std::move(made)) {}
        FolderPath path;
        // The files written: their full target paths, compared as the file system compares
        // names, and each one's name in the set and where it was read.
        std::map<std::wstring, SavedName, FileNameLess> savedNames;
    };
    // Writes one file into the device folder, or prints why it failed.
    bool SaveFile(const DriverFile& file, DeviceFolder& folder);
    // False with the system's error in GetLastError, or with refusal set when a file of an
    // offline Windows cannot be opened inside it.
    bool CopyDriverFile(const DriverFile& file, const PathInside& target, PathRefusal& refusal, Sha256Hash& digest);
    // Renames the folder of a device whose copy was stopped or failed part way (in parent),
    // and says so in the log. The folder as renamed; none when it keeps its name.
    PathResult<FolderPath> MarkIncomplete(const FolderPath& deviceFolder, const FolderPath& parent);
    // Tells the report how the device's save ended.
    void TellOutcome(const DeviceInfo& device, bool saved);
    // Puts the run's report into the backup, beside the log; false, said in the log, when it
    // cannot be written.
    bool PutReport();

    std::vector<DeviceInfo*> devicesToSave;
    // Where the backup is written: made from the target when the run starts.
    std::unique_ptr<IBackupWriter> writer;
    std::wstring kitProgram;
    double share = 1.0;
    double base = 0.0;
    SystemFolders folders;
    SaveLog log;
    IProgressReporter* reporter;
    bool aborted = false;
    // The target's free space as last asked, less what the run has written since.
    std::optional<uint64_t> freeEstimate;
    // The target volume's allocation unit: every file takes whole units of it.
    uint64_t allocationUnit = 1;
    // Set with aborted, for the search running ahead on its own thread.
    std::atomic<bool> stopLookahead{false};
    SaveReportBuilder report;
    std::optional<std::wstring> targetAsGiven;
    bool copyEverything = false;
    // The backup the target holds already (by its report), while the run is not done with it.
    std::optional<EarlierBackup> earlier;
    // The folder of the device being saved, by its name inside the target, once it is known.
    std::wstring currentFolder;
    // The first failure of the device being saved.
    DeviceFailure currentFailure;
    // The files written for the device being saved, for the report.
    std::vector<ReportFile> currentFiles;
    // When the files of the device's folder were copied, and its INF's original name, when it
    // was kept unchanged.
    std::optional<std::wstring> currentUnchangedSince;
    std::optional<std::wstring> currentOriginalInf;
};
