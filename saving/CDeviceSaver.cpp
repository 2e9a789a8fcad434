#include <windows.h>
#include <shlwapi.h>

#include "saving/CDeviceSaver.h"

#include <algorithm>

#include "discovery/DriverFileFinder.h"
#include "discovery/FileSearchIndex.h"
#include "discovery/SystemFolders.h"
#include "platform/DriverKey.h"
#include "platform/FileCopy.h"
#include "platform/ShellPath.h"
#include "platform/Trace.h"
#include "saving/BackupWriters.h"
#include "saving/FileSetLookahead.h"
#include "saving/ReportWriter.h"
#include "saving/ReportTime.h"
#include "saving/RestoreKit.h"
#include "saving/SavePaths.h"

namespace {

const wchar_t kOutsideImage[] = L"      The file lies outside the image: it is not read.\n";
const wchar_t kOutsideSearch[] = L"      The file found leads outside the system folder: it is not read.\n";

// True when the device's driver key no longer names the driver the scan read (another driver
// was installed meanwhile, perhaps under the same published INF name, or the device is gone):
// its files would be saved under the first driver's device. A record without an instance ID
// (made up) has no key to read again. The key is opened by the name the scan read, where
// there is one: finding the device by its ID first made and opened a device set per device,
// a millisecond each under Wine. A device removed since takes its driver key with it.
bool DriverChangedSinceScan(const DeviceInfo& device)
{
    if (device.instanceId.empty())
        return false;
    const DriverKeyValues now =
        device.driverKey.empty() ? ReadDriverKey(device.instanceId) : ReadDriverKeyNamed(device.driverKey);
    // A key that can no longer be read at all is a driver gone; a device that had no driver
    // at the scan has none to lose.
    if (!now.found)
        return !device.infPath.empty();
    return now.infPath != device.infPath || now.infSection != device.infSection ||
           now.providerName != device.providerName || now.driverVersion != device.driverVersion;
}

} // namespace

CDeviceSaver::CDeviceSaver(IProgressReporter& progressReporter, IShellOpen& shell, const SystemFolders& folders)
    : folders(folders), log(shell, folders.tempDir), reporter(&progressReporter)
{
}

CDeviceSaver::~CDeviceSaver()
{
    FinishLog();
}

bool CDeviceSaver::FinishLog()
{
    const bool whole = log.Finish();
    if (!log.FinishedPath().empty())
        report.OnLogFinished(log.FinishedPath());
    return whole && (!writer || writer->Sound());
}

void CDeviceSaver::ReportLogPathTo(FILE* output)
{
    log.ReportPathInsteadOfOpening(output);
}

void CDeviceSaver::AddDevice(DeviceInfo* device, HDEVINFO set)
{
    if (!device)
        return;
    devicesToSave.push_back(device);
    report.Describe(set, *device);
}

int CDeviceSaver::GetDeviceCount() const
{
    return static_cast<int>(devicesToSave.size());
}

bool CDeviceSaver::SaveAll(const FolderPath& target, FILE* console)
{
    writer = MakeBackupWriter(target);
    report.SetTarget(target, targetAsGiven.value_or(target.Text()));
    if (!writer->OpenLog(log, console))
        return false;
    const int n = GetDeviceCount();
    if (n == 0) {
        log.Print(L"ERROR: No devices selected.\n");
        return false;
    }
    log.Print(L"Saving devices...\n");
    log.Print(L"  Target path is %s\n\n", target.Text().c_str());
    // A backup of an offline Windows says whose drivers it holds, and for which processors.
    if (folders.image)
        log.Print(L"  Windows image is %s (%s)\n\n", folders.image->WithSeparator().c_str(),
                  folders.imageArchitecture.c_str());
    // A zip is written whole, in one pass: an earlier zip of the name is replaced, every file
    // copied again.
    const bool zip = IsZipTarget(target);
    if (zip && ::GetFileAttributesW(target.Openable().c_str()) != INVALID_FILE_ATTRIBUTES)
        log.Print(L"  The zip file there is replaced: a zip backup is written whole, every file copied again.\n\n");
    if (!writer->Prepare(log))
        return false;
    allocationUnit = writer->AllocationUnit();
    // A backup made into this folder before: the folders of devices unchanged since are kept.
    if (!zip)
        earlier = EarlierBackup::Read(target);

    // One last-resort file search serves every device of the run. It never looks inside the
    // target: an earlier backup there would fill in for a file that is missing. A target
    // inside the searched tree changes it with every device saved, so the search then starts
    // afresh.
    FileSearchIndex searchIndex(SearchRoot(folders), target);
    const bool targetIsSearched = searchIndex.root() && searchIndex.root()->Contains(target.Full());

    const double step = 1.0 / n;
    double done = 0.0;
    int saved = 0;
    // Declared before the search that uses it, so that it outlives it.
    WorkerThread lookaheadThread;
    std::unique_ptr<FileSetLookahead> ahead;
    for (size_t i = 0; i < devicesToSave.size(); ++i) {
        DeviceInfo& device = *devicesToSave[i];
        // A known file set is only replayed, so its search takes no share of the step. A set
        // searched ahead was not known when the run reached the device before.
        const bool searchedAhead = ahead && &ahead->device() == &device;
        share = searchedAhead || device.files.empty() ? step * 0.5 : 0.0;
        base = done;
        currentFolder.clear();
        currentFailure = DeviceFailure();
        currentFiles.clear();
        currentUnchangedSince.reset();
        currentOriginalInf.reset();
        PrintDevice(device);

        bool deviceSaved = false;
        // Records of an offline Windows have no live driver key to read again.
        if (!folders.image && DriverChangedSinceScan(device)) {
            Fail(L"  ", SaveFailure::DriverChanged);
            // A set searched ahead for it belongs to the driver as the scan read it.
            ahead.reset();
        } else if (KeepUnchanged(device)) {
            ahead.reset();
            deviceSaved = true;
            ++saved;
            // Nothing to search or copy: its whole step is done.
            share = step;
            Progress(1.0);
        } else if (FindFiles(device, std::move(ahead), searchIndex)) {
            base += share;
            share = step - share;
            // A target inside the searched tree changes it with every copy: the next search
            // then waits for this copy, and starts afresh.
            if (!targetIsSearched && i + 1 < devicesToSave.size())
                ahead = LookAhead(*devicesToSave[i + 1], device, searchIndex, lookaheadThread);
            deviceSaved = SaveDevice(device);
            if (deviceSaved) {
                ++saved;
                log.Print(L"  Done.\n\n");
            }
            if (targetIsSearched)
                searchIndex.Invalidate();
        }
        TellOutcome(device, deviceSaved);
        done += step;
        if (aborted) {
            log.Print(L"  Operation aborted by the user.\n");
            // What was saved before the stop is described all the same.
            PutReport();
            writer->Abandon();
            return false;
        }
    }
    // The backup restores itself on a new PC: the script, the program and its help go along.
    bool kitWhole = true;
    if (!kitProgram.empty()) {
        for (const KitFailure& failure : PutRestoreKit(*writer, kitProgram)) {
            log.Print(L"ERROR: Could not put %s into the backup: %s\n", failure.name.c_str(), failure.reason.c_str());
            kitWhole = false;
        }
    }
    const bool reported = PutReport();
    log.Print(L"\nDone: %d of %d device driver(s) succesefully saved.\n", saved, n);
    return saved == n && kitWhole && reported;
}

bool CDeviceSaver::FindFiles(DeviceInfo& device, std::unique_ptr<FileSetLookahead> ahead, FileSearchIndex& index)
{
    log.Print(L"  Searching for driver files...\n");
    bool found = false;
    std::wstring reason;
    if (ahead && &ahead->device() == &device) {
        found = ahead->Report(*this);
        reason = ahead->FailureReason();
    } else {
        DriverFileFinder finder(device, *this, folders, &index);
        found = finder.Run();
        reason = finder.FailureReason();
    }
    if (!found) {
        Fail(L"  ", SaveFailure::FilesNotFound);
        // A reason line, indented as every other: four spaces would read as a file of the set.
        log.Print(L"      %s\n", reason.c_str());
    }
    return found;
}

std::unique_ptr<FileSetLookahead> CDeviceSaver::LookAhead(
    DeviceInfo& next, const DeviceInfo& current, FileSearchIndex& index, WorkerThread& worker)
{
    if (&next == &current || !next.files.empty())
        return nullptr;
    // A device unchanged since the earlier backup is not searched at all: its INF is not read.
    if (earlier && !copyEverything && earlier->HasUnchanged(next))
        return nullptr;
    return std::make_unique<FileSetLookahead>(next, folders, &index, stopLookahead, worker);
}

void CDeviceSaver::PrintDevice(const DeviceInfo& device)
{
    log.Print(L"%s\n", device.name.c_str());
    log.Print(L"Class: %s [%s]\n", device.classDescription.c_str(), device.className.c_str());
    log.Print(L"Provider: %s\n", device.providerName.c_str());
    log.Print(L"Version: %s\n", device.driverVersion.c_str());
}

bool CDeviceSaver::Progress(double fraction)
{
    if (!reporter->Progress(base + share * fraction)) {
        aborted = true;
        stopLookahead = true;
    }
    return !aborted;
}

void CDeviceSaver::OnFile(const DriverFile& file)
{
    log.Print(L"    %s\n", file.name.c_str());
    if (file.catalogCheck == CatalogCheck::Unchecked)
        log.Print(L"      %s: found %s, which could not be checked: %s\n", file.name.c_str(),
                  file.searchFound.c_str(), file.uncheckedReason.c_str());
}

bool CDeviceSaver::SaveDevice(const DeviceInfo& device)
{
    const FolderPath& target = writer->Top();
    const std::wstring className = FolderNameOf({device.classDescription, device.className});
    const std::wstring deviceName = FolderNameOf({device.name, device.description});
    // The whole path as meant, for the messages that name it even when it cannot be made.
    std::wstring tried = target.WithSeparator() + className + L"\\" + deviceName;
    const PathResult<FolderPath> classFolder = target.Folder(className, kAnyLength);
    const PathResult<FolderPath> made =
        classFolder ? writer->MakeDeviceFolder(*classFolder, deviceName, tried) : classFolder.refusal();
    currentFolder = className + L"\\" + FileNamePart(tried);
    log.Print(L"  Saving to %s...\n", tried.c_str());
    if (!made) {
        Fail(L"  ", SaveFailure::FolderNotCreated, tried);
        return false;
    }
    DeviceFolder folder(*made);
    // Said when a copy fails or stops part way: the device folder renamed, its new name told.
    const auto markIncomplete = [&] {
        const PathResult<FolderPath> marked = MarkIncomplete(folder.path, *classFolder);
        if (marked)
            currentFolder = className + L"\\" + FileNamePart(marked->Full());
    };

    if (!HasRoomFor(folder.path, SpaceTaken(device.files, allocationUnit))) {
        // Nothing was written: an empty folder would pass for a device with no files, and the
        // next run would number its folder around it.
        writer->DropDeviceFolder(folder.path, *classFolder);
        return false;
    }

    // 64 bits: the sizes of a large set may add up past 4 GiB.
    uint64_t total = TotalSize(device.files);
    if (total == 0)
        total = 1;
    uint64_t copied = 0;
    uint64_t taken = 0;
    bool failed = false;
    for (size_t i = 0; i < device.files.size(); ++i) {
        const DriverFile& file = device.files[i];
        if (SaveFile(file, folder)) {
            copied += file.size;
            taken += SpaceTaken(file.size, allocationUnit);
        } else {
            failed = true;
        }
        if (!Progress(static_cast<double>(copied) / static_cast<double>(total))) {
            log.Print(L"  Operation aborted by the user.\n");
            if (failed || i + 1 < device.files.size())
                markIncomplete();
            return false;
        }
    }
    *freeEstimate -= std::min(taken, *freeEstimate);
    if (failed) {
        // A folder that lacks a file of its driver must not pass for installation media.
        markIncomplete();
        log.Print(L"  Completed with errors.\n\n");
    }
    return !failed;
}

bool CDeviceSaver::KeepUnchanged(const DeviceInfo& device)
{
    if (!earlier || copyEverything)
        return false;
    std::optional<UnchangedDevice> kept = earlier->TakeUnchanged(device);
    if (!kept)
        return false;
    log.Print(L"  Unchanged since %s.\n\n", LocalDateOf(kept->since).c_str());
    currentFolder = kept->folder;
    currentFiles = std::move(kept->files);
    currentUnchangedSince = kept->since;
    currentOriginalInf = kept->originalInf;
    return true;
}

bool CDeviceSaver::HasRoomFor(const FolderPath& folder, uint64_t needed)
{
    // Asked once, then counted down by what the run writes. Asked again whenever the count
    // says a device does not fit, so a device is only ever refused on the system's answer.
    if (freeEstimate && *freeEstimate >= needed)
        return true;
    uint64_t freeBytes = 0;
    if (!writer->FreeSpace(folder, freeBytes)) {
        freeEstimate.reset();
        Fail(L"  ", SaveFailure::FreeSpaceUnknown);
        return false;
    }
    freeEstimate = freeBytes;
    if (freeBytes < needed) {
        Fail(L"  ", SaveFailure::NoSpace);
        return false;
    }
    return true;
}

void CDeviceSaver::Fail(const wchar_t* indent, SaveFailure reason, const std::wstring& subject)
{
    DeviceFailure failure{reason, subject};
    log.Print(L"%sERROR: %s\n", indent, FailureText(failure).c_str());
    if (!currentFailure)
        currentFailure = std::move(failure);
}

bool CDeviceSaver::SaveFile(const DriverFile& file, DeviceFolder& folder)
{
    // The name comes from the driver's INF: one that would land outside the device folder,
    // or that does not fit the path limit, is not written anywhere.
    const PathResult<PathInside> target = SavedFilePath(folder.path, file);
    const auto earlier = target ? folder.savedNames.find(target->full) : folder.savedNames.end();
    if (earlier != folder.savedNames.end()) {
        // Names that the file system takes for one (letters in another case, in any script)
        // name one file on disk: the same content is saved already, other content must not
        // replace it.
        if (!file.path.empty() && writer->SameContent(*target, earlier->second.source, file.path))
            return true;
        Fail(L"    ", SaveFailure::FileNotSaved, file.name);
        if (!file.path.empty())
            log.Print(L"      A different file, %s, is saved under that name.\n", earlier->second.name.c_str());
        return false;
    }
    if (!target) {
        Fail(L"    ", SaveFailure::FileNotSaved, file.name);
        log.Print(L"      The name does not fit inside the device folder.\n");
        return false;
    }
    if (file.path.empty()) {
        Fail(L"    ", SaveFailure::FileNotSaved, file.name);
        if (file.refusal == PathRefusal::Outside)
            log.Print(folders.image ? kOutsideImage : kOutsideSearch);
        else if (file.catalogCheck == CatalogCheck::Mismatch)
            log.Print(L"      %s: found %s, which does not match the driver's catalog\n", file.name.c_str(),
                      file.searchFound.c_str());
        else
            log.Print(L"      The file was not found on this computer.\n");
        return false;
    }
    PathRefusal refusal = PathRefusal::None;
    Sha256Hash digest;
    if (!CopyDriverFile(file, *target, refusal, digest)) {
        const DWORD error = ::GetLastError();
        Fail(L"    ", SaveFailure::FileNotSaved, file.name);
        if (refusal == PathRefusal::Outside)
            log.Print(kOutsideImage);
        else
            log.Print(L"      %s\n", SystemErrorText(error).c_str());
        return false;
    }
    folder.savedNames.emplace(target->full, SavedName{file.name, file.path});
    const uint64_t size = digest.Size();
    currentFiles.push_back({target->relative, size, digest.Finish(), file.path, KnownFileTime(file.lastWrite)});
    return true;
}

bool CDeviceSaver::CopyDriverFile(const DriverFile& file, const PathInside& target, PathRefusal& refusal,
                                  Sha256Hash& digest)
{
    // A file of an offline Windows is copied from the handle that was judged inside it: a
    // link put in its place since it was found is not followed out of it.
    PathResult<UniqueFileHandle> source = PathRefusal::CannotOpen;
    if (folders.image) {
        source = folders.image->OpenInside(file.path);
    } else if (UniqueFileHandle opened = OpenCopySource(file.path)) {
        source = std::move(opened);
    }
    refusal = source.refusal();
    return source && writer->WriteFile(source->get(), target, file.time, digest);
}

PathResult<FolderPath> CDeviceSaver::MarkIncomplete(const FolderPath& deviceFolder, const FolderPath& parent)
{
    // A half-copied folder looks like valid installation media: its name says otherwise.
    const PathResult<FolderPath> renamed = writer->MarkIncomplete(deviceFolder, parent);
    log.Print(L"  The folder '%s' is incomplete.\n", (renamed ? renamed->Full() : deviceFolder.Full()).c_str());
    return renamed;
}

bool CDeviceSaver::PutReport()
{
    // The log is finished after the report is in the backup (a zip is closed with its log),
    // so the report names the log where it is to be.
    report.OnLogFinished(log.PlannedPath());
    // The folders of earlier runs that no device of this one took stay in the backup.
    if (earlier) {
        report.AddKept(earlier->Kept());
        earlier.reset();
    }
    if (writer->PutTopFile(kBackupReportName, ReportJson(report.Report())))
        return true;
    const DWORD error = ::GetLastError();
    log.Print(L"ERROR: Could not write the report %s\n", (writer->Top().WithSeparator() + kBackupReportName).c_str());
    log.Print(L"      %s\n", SystemErrorText(error).c_str());
    return false;
}

void CDeviceSaver::TellOutcome(const DeviceInfo& device, bool saved)
{
    SaveOutcome outcome;
    outcome.saved = saved;
    outcome.folder = currentFolder;
    outcome.failure = currentFailure;
    outcome.files = currentFiles;
    outcome.unchangedSince = currentUnchangedSince;
    outcome.originalInf = currentOriginalInf;
    // A stop is no error of the device's, but it was not saved all the same.
    if (!saved && !outcome.failure && aborted)
        outcome.failure.reason = SaveFailure::Stopped;
    report.OnDeviceDone(device, outcome);
}
