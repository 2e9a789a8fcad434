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
#include "saving/FileSetLookahead.h"
#include "saving/SavePaths.h"

namespace {

const wchar_t kIncompleteMark[] = L" (incomplete)";

// target\class\name, target being resolved already. False when the path does not fit the path
// limit, or when it would not name exactly that folder inside the target (a part that climbs
// out or names a device); folder then holds the whole path joined as text, for the message
// that reports it.
bool BuildDeviceFolder(const DeviceInfo& device, const std::wstring& target, std::wstring& folder)
{
    const std::wstring className = FolderNameOf({device.classDescription, device.className});
    const std::wstring deviceName = FolderNameOf({device.name, device.description});
    // Joined as text: the shell's path joining reads a target folder named "..Backups" as a
    // step up and would put the devices somewhere else.
    folder = WithBackslash(target) + className + L"\\" + deviceName;
    // What the file system will create, compared with what was meant.
    return folder.size() < MAX_PATH && !target.empty() && FullPathOf(folder) == folder;
}

// True when the device's driver key no longer names the driver the scan read (another driver
// was installed meanwhile, perhaps under the same published INF name, or the device is gone):
// its files would be saved under the first driver's device. A record without an instance ID
// (made up) has no key to read again.
bool DriverChangedSinceScan(const DeviceInfo& device)
{
    if (device.instanceId.empty())
        return false;
    const DriverKeyValues now = ReadDriverKey(device.instanceId);
    // A key that can no longer be read at all is a driver gone; a device that had no driver
    // at the scan has none to lose.
    if (!now.found)
        return !device.infPath.empty();
    return now.infPath != device.infPath || now.infSection != device.infSection ||
           now.providerName != device.providerName || now.driverVersion != device.driverVersion;
}

bool Exists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

CDeviceSaver::CDeviceSaver(IProgressReporter& progressReporter, IShellOpen& shell, const SystemFolders& folders)
    : folders(folders), log(shell, folders.tempDir), reporter(&progressReporter)
{
}

CDeviceSaver::~CDeviceSaver()
{
    log.Finish();
    if (observer && !log.FinishedPath().empty())
        observer->OnLogFinished(log.FinishedPath());
}

bool CDeviceSaver::FinishLog()
{
    return log.Finish();
}

void CDeviceSaver::ReportLogPathTo(FILE* output)
{
    log.ReportPathInsteadOfOpening(output);
}

void CDeviceSaver::AddDevice(DeviceInfo* device)
{
    if (device)
        devicesToSave.push_back(device);
}

int CDeviceSaver::GetDeviceCount() const
{
    return static_cast<int>(devicesToSave.size());
}

bool CDeviceSaver::SaveAll(const std::wstring& targetFolder, FILE* console)
{
    // Resolved once, as the file system resolves it (blanks and dots at the end dropped, a
    // drive-relative or rooted path completed), and the device folders and the log are joined
    // to that: joined to the raw text they would name other folders than the one created.
    const std::wstring target = FullPathOf(targetFolder);
    if (!log.Open(target, console))
        return false;
    const int n = GetDeviceCount();
    if (n == 0) {
        log.Print(L"ERROR: No devices selected.\n");
        return false;
    }
    log.Print(L"Saving devices...\n");
    log.Print(L"  Target path is %s\n\n", targetFolder.c_str());
    // A backup of an offline Windows says whose drivers it holds, and for which processors.
    if (!folders.imageRoot.empty())
        log.Print(L"  Windows image is %s (%s)\n\n", folders.imageRoot.c_str(), folders.imageArchitecture.c_str());
    if (!PrepareTarget(target))
        return false;
    if (!GetAllocationUnit(target, allocationUnit))
        allocationUnit = 1;

    // One last-resort file search serves every device of the run. A target inside the
    // searched tree changes it with every device saved, so the search then starts afresh.
    FileSearchIndex searchIndex(folders.systemDir);
    const bool targetIsSearched = IsWithinFolder(target, FullPathOf(searchIndex.root()));

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
        log.ForgetError();
        PrintDevice(device);

        bool deviceSaved = false;
        // Records of an offline Windows have no live driver key to read again.
        if (folders.imageRoot.empty() && DriverChangedSinceScan(device)) {
            log.Print(L"  ERROR: The device's driver changed since the scan.\n");
            // A set searched ahead for it belongs to the driver as the scan read it.
            ahead.reset();
        } else if (FindFiles(device, std::move(ahead), searchIndex)) {
            base += share;
            share = step - share;
            // A target inside the searched tree changes it with every copy: the next search
            // then waits for this copy, and starts afresh.
            if (!targetIsSearched && i + 1 < devicesToSave.size())
                ahead = LookAhead(*devicesToSave[i + 1], device, searchIndex, lookaheadThread);
            deviceSaved = SaveDevice(device, target);
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
            return false;
        }
    }
    log.Print(L"\nDone: %d of %d device driver(s) succesefully saved.\n", saved, n);
    return saved == n;
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
        log.Print(L"  ERROR: Failed to find driver files.\n");
        log.Print(L"    %s\n", reason.c_str());
    }
    return found;
}

std::unique_ptr<FileSetLookahead> CDeviceSaver::LookAhead(
    DeviceInfo& next, const DeviceInfo& current, FileSearchIndex& index, WorkerThread& worker)
{
    if (&next == &current || !next.files.empty())
        return nullptr;
    return std::make_unique<FileSetLookahead>(next, folders, &index, stopLookahead, worker);
}

bool CDeviceSaver::PrepareTarget(const std::wstring& targetFolder)
{
    // No folder at all (a folder browser that gave no file-system path): the device folders
    // would land in the current folder or at the root of its drive.
    if (targetFolder.empty()) {
        log.Print(L"ERROR: Could not create target folder.\n");
        return false;
    }
    // An existing folder is used as it is.
    if (::PathFileExistsW(targetFolder.c_str())) {
        if (::PathIsDirectoryW(targetFolder.c_str()))
            return true;
        log.Print(L"ERROR: Target path is an existing file.\n");
        return false;
    }
    if (CreateFolderPath(targetFolder))
        return true;
    log.Print(L"ERROR: Could not create target folder.\n");
    return false;
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
}

bool CDeviceSaver::SaveDevice(const DeviceInfo& device, const std::wstring& targetFolder)
{
    DeviceFolder folder;
    std::wstring wanted;
    const bool fits = BuildDeviceFolder(device, targetFolder, wanted);
    const bool classFolderExisted = Exists(WithoutFileName(wanted));
    const bool made = fits && CreateUniqueFolder(wanted, folder.path);
    if (folder.path.empty())
        folder.path = wanted;
    currentFolder = folder.path;
    log.Print(L"  Saving to %s...\n", folder.path.c_str());
    if (!made) {
        log.Print(L"  ERROR: Failed to create folder '%s'.\n", folder.path.c_str());
        return false;
    }
    folder.madeFolders.insert(folder.path);

    if (!HasRoomFor(folder.path, SpaceTaken(device.files, allocationUnit))) {
        // Nothing was written: an empty folder would pass for a device with no files, and the
        // next run would number its folder around it.
        ::RemoveDirectoryW(folder.path.c_str());
        if (!classFolderExisted)
            ::RemoveDirectoryW(WithoutFileName(folder.path).c_str());
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
                MarkIncomplete(folder.path);
            return false;
        }
    }
    *freeEstimate -= std::min(taken, *freeEstimate);
    if (failed) {
        // A folder that lacks a file of its driver must not pass for installation media.
        MarkIncomplete(folder.path);
        log.Print(L"  Completed with errors.\n\n");
    }
    return !failed;
}

bool CDeviceSaver::HasRoomFor(const std::wstring& folder, uint64_t needed)
{
    // Asked once, then counted down by what the run writes. Asked again whenever the count
    // says a device does not fit, so a device is only ever refused on the system's answer.
    if (freeEstimate && *freeEstimate >= needed)
        return true;
    uint64_t freeBytes = 0;
    if (!GetFreeSpace(folder, freeBytes)) {
        freeEstimate.reset();
        log.Print(L"  ERROR: Could not read the free space on target.\n");
        return false;
    }
    freeEstimate = freeBytes;
    if (freeBytes < needed) {
        log.Print(L"  ERROR: Not enough space on target.\n");
        return false;
    }
    return true;
}

bool CDeviceSaver::SaveFile(const DriverFile& file, DeviceFolder& folder)
{
    // The name comes from the driver's INF: one that would land outside the device folder,
    // or that does not fit the path limit, is not written anywhere.
    std::wstring target;
    const bool resolved = ResolveInFolder(folder.path, file.name, target);
    const auto earlier = resolved ? folder.savedNames.find(target) : folder.savedNames.end();
    if (earlier != folder.savedNames.end()) {
        // Names that the file system takes for one (letters in another case, in any script)
        // name one file on disk: the same content is saved already, other content must not
        // replace it.
        if (!file.path.empty() && SameFileContent(file.path, target))
            return true;
        log.Print(L"    ERROR: Failed to save file %s\n", file.name.c_str());
        if (!file.path.empty())
            log.Print(L"      A different file, %s, is saved under that name.\n", earlier->second.c_str());
        return false;
    }
    if (!resolved) {
        log.Print(L"    ERROR: Failed to save file %s\n", file.name.c_str());
        log.Print(L"      The name does not fit inside the device folder.\n");
        return false;
    }
    if (file.path.empty()) {
        log.Print(L"    ERROR: Failed to save file %s\n", file.name.c_str());
        log.Print(L"      The file was not found on this computer.\n");
        return false;
    }
    if (!CopyDriverFile(file, target, folder)) {
        const DWORD error = ::GetLastError();
        log.Print(L"    ERROR: Failed to save file %s\n", file.name.c_str());
        log.Print(L"      %s\n", SystemErrorText(error).c_str());
        return false;
    }
    folder.savedNames.emplace(target, file.name);
    return true;
}

bool CDeviceSaver::CopyDriverFile(const DriverFile& file, const std::wstring& target, DeviceFolder& folder)
{
    const std::wstring parent = WithoutFileName(target);
    if (folder.madeFolders.count(parent) == 0) {
        if (!CreateFolderPath(parent))
            return false;
        folder.madeFolders.insert(parent);
    }
    // Stamped through the handle that writes it: opening every copy again only to set its
    // times cost as much as a fifth of a small file's copy.
    return CopyFileStamped(file.path, target, file.time);
}

void CDeviceSaver::MarkIncomplete(const std::wstring& deviceFolder)
{
    // A half-copied folder looks like valid installation media: its name says otherwise.
    const std::wstring marked = MakeUniquePath(deviceFolder + kIncompleteMark);
    const bool renamed = !marked.empty() && ::MoveFileW(deviceFolder.c_str(), marked.c_str());
    if (renamed)
        currentFolder = marked;
    log.Print(L"  The folder '%s' is incomplete.\n", renamed ? marked.c_str() : deviceFolder.c_str());
}

void CDeviceSaver::TellOutcome(const DeviceInfo& device, bool saved)
{
    if (!observer)
        return;
    SaveOutcome outcome;
    outcome.saved = saved;
    outcome.folder = currentFolder;
    outcome.error = log.FirstError();
    // A stop is no error of the device's, but it was not saved all the same.
    if (!saved && outcome.error.empty() && aborted)
        outcome.error = L"Operation aborted by the user.";
    observer->OnDeviceDone(device, outcome);
}
