// One discovery run for one device: the driver's file set, worked out from its INF through a
// setup file queue, each file located on disk, and cached in the device record.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <map>
#include <memory>
#include <string>

#include "model/DeviceInfo.h"
#include "discovery/FileSearchIndex.h"
#include "model/IFileReporter.h"
#include "platform/Handles.h"

class DriverFileFinder {
public:
    // searchIndex, when given, is the last-resort search shared by the runs of one save; it
    // must search the system folder. Without it the run keeps its own.
    DriverFileFinder(DeviceInfo& device, IFileReporter& reporter, FileSearchIndex* searchIndex = nullptr);
    DriverFileFinder(const DriverFileFinder&) = delete;
    DriverFileFinder& operator=(const DriverFileFinder&) = delete;

    // True when the set is complete and the reporter did not ask to stop. A cached set is
    // replayed instead of being built again.
    bool Run();

private:
    bool Build();
    bool CollectQueuedFiles(const std::wstring& section);
    static UINT CALLBACK ScanQueueCallback(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR param2);
    bool AddFile(DriverFile file, bool queued);
    void NameFromSource(DriverFile& file);
    void LocateFile(DriverFile& file);
    bool SearchTree(const std::wstring& fileName, DriverFile& file);

    std::map<UINT, std::wstring> sourcePaths;
    IFileReporter* reporter;
    int total = 0;
    int count = 0;
    UniqueInfHandle inf;
    DeviceInfo* device;
    FileSearchIndex* searchIndex;
    std::unique_ptr<FileSearchIndex> ownSearchIndex;
};

// The name of a queued file inside the driver's folder: its source media's path, its
// subdirectory and its file name joined, without leading backslashes. The bare file name
// when the joined name would not fit the path limit.
std::wstring JoinSourceName(const std::wstring& sourcePath, const std::wstring& subdirectory,
                            const std::wstring& fileName);
