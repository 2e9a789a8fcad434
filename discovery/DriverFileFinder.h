// One discovery run for one device: the driver's file set, worked out from its INF through a
// setup file queue, each file located on disk, and cached in the device record.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <map>
#include <string>

#include "devices/DeviceInfo.h"
#include "discovery/IFileReporter.h"

class DriverFileFinder {
public:
    DriverFileFinder(DeviceInfo& device, IFileReporter& reporter);
    DriverFileFinder(const DriverFileFinder&) = delete;
    DriverFileFinder& operator=(const DriverFileFinder&) = delete;

    // True when the set is complete and the reporter did not ask to stop. A cached set is
    // replayed instead of being built again.
    bool Run();

private:
    bool Build();
    static UINT CALLBACK ScanQueueCallback(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR param2);
    bool AddFile(DriverFile file, bool queued);
    void NameFromSource(DriverFile& file);

    std::map<UINT, std::wstring> sourcePaths;
    IFileReporter* reporter;
    int total = 0;
    int count = 0;
    HINF inf = INVALID_HANDLE_VALUE;
    DeviceInfo* device;
};
