#include <windows.h>
#include <shlwapi.h>

#include "saving/CDeviceSaver.h"

#include "discovery/DriverFileFinder.h"
#include "discovery/FileSearchIndex.h"
#include "discovery/SystemFolders.h"
#include "platform/Handles.h"
#include "platform/ShellPath.h"
#include "saving/SavePaths.h"

namespace {

// target\class\name. False when the path does not fit the path limit; folder then holds the
// whole path joined as text, for the message that reports it.
bool BuildDeviceFolder(const DeviceInfo& device, const std::wstring& targetFolder, std::wstring& folder)
{
    const std::wstring className = FolderNameOf({device.classDescription, device.className});
    const std::wstring deviceName = FolderNameOf({device.name, device.description});
    folder.clear();
    if (AppendPath(folder, targetFolder) && AppendPath(folder, className) && AppendPath(folder, deviceName))
        return true;
    folder = WithBackslash(targetFolder) + className + L"\\" + deviceName;
    return false;
}

} // namespace

CDeviceSaver::CDeviceSaver(IProgressReporter& progressReporter) : reporter(&progressReporter) {}

CDeviceSaver::~CDeviceSaver()
{
    log.Finish();
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
    if (!log.Open(targetFolder, console))
        return false;
    const int n = GetDeviceCount();
    if (n == 0) {
        log.Print(L"ERROR: No devices selected.\n");
        return false;
    }
    log.Print(L"Saving devices...\n");
    log.Print(L"  Target path is %s\n\n", targetFolder.c_str());
    if (!PrepareTarget(targetFolder))
        return false;

    // One last-resort file search serves every device of the run. A target inside the
    // searched tree changes it with every device saved, so the search then starts afresh.
    FileSearchIndex searchIndex(SystemFolders::Current().systemDir);
    const bool targetIsSearched = IsWithinFolder(FullPathOf(targetFolder), FullPathOf(searchIndex.root()));

    const double step = 1.0 / n;
    double done = 0.0;
    int saved = 0;
    for (DeviceInfo* device : devicesToSave) {
        // A known file set is only replayed, so its search takes no share of the step.
        share = device->files.empty() ? step * 0.5 : 0.0;
        base = done;
        PrintDevice(*device);

        DriverFileFinder finder(*device, *this, &searchIndex);
        if (finder.Run()) {
            base += share;
            share = step - share;
            if (SaveDevice(*device, targetFolder)) {
                ++saved;
                log.Print(L"  Done.\n\n");
            }
            if (targetIsSearched)
                searchIndex.Invalidate();
        } else {
            log.Print(L"  ERROR: Failed to find driver files.\n");
        }
        done += step;
        if (aborted) {
            log.Print(L"  Operation aborted by the user.\n");
            return false;
        }
    }
    log.Print(L"\nDone: %d of %d device driver(s) succesefully saved.\n", saved, n);
    return saved == n;
}

bool CDeviceSaver::PrepareTarget(const std::wstring& targetFolder)
{
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
    log.Print(L"  Searching for driver files...\n");
}

bool CDeviceSaver::Progress(double fraction)
{
    if (!reporter->Progress(base + share * fraction))
        aborted = true;
    return !aborted;
}

void CDeviceSaver::OnFile(const DriverFile& file)
{
    log.Print(L"    %s\n", file.name.c_str());
}

bool CDeviceSaver::SaveDevice(const DeviceInfo& device, const std::wstring& targetFolder)
{
    std::wstring deviceFolder;
    const bool fits = BuildDeviceFolder(device, targetFolder, deviceFolder);
    if (fits)
        deviceFolder = MakeUniquePath(deviceFolder);
    log.Print(L"  Saving to %s...\n", deviceFolder.c_str());
    if (!fits || !CreateFolderPath(deviceFolder)) {
        log.Print(L"  ERROR: Failed to create folder '%s'.\n", deviceFolder.c_str());
        return false;
    }

    // 64 bits: the sizes of a large set may add up past 4 GiB.
    uint64_t total = TotalSize(device.files);
    if (total == 0)
        total = 1;
    if (GetFreeSpace(deviceFolder) < total) {
        log.Print(L"  ERROR: Not enough space on target.\n");
        return false;
    }

    uint64_t copied = 0;
    bool failed = false;
    for (const DriverFile& file : device.files) {
        if (CopyDriverFile(file, deviceFolder)) {
            copied += file.size;
        } else {
            log.Print(L"    ERROR: Failed to save file %s\n", file.name.c_str());
            failed = true;
        }
        if (!Progress(static_cast<double>(copied) / static_cast<double>(total))) {
            log.Print(L"  Operation aborted by the user.\n");
            return false;
        }
    }
    if (failed)
        log.Print(L"  Completed with errors.\n\n");
    return !failed;
}

bool CDeviceSaver::CopyDriverFile(const DriverFile& file, const std::wstring& deviceFolder)
{
    // The name comes from the driver's INF: one that would land outside the device folder,
    // or that does not fit the path limit, is not written anywhere.
    std::wstring target;
    if (!ResolveInFolder(deviceFolder, file.name, target))
        return false;
    if (!CreateFolderPath(WithoutFileName(target)))
        return false;
    if (!::CopyFileW(file.path.c_str(), target.c_str(), FALSE))
        return false;
    UniqueFileHandle copy(::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (copy)
        ::SetFileTime(copy.get(), &file.time, nullptr, &file.time);
    return true;
}
