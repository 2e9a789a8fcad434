// The save engine: copies the driver file sets of chosen devices into one folder per device
// under a target folder, with progress, abort and a log.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "model/DeviceInfo.h"
#include "model/IProgressReporter.h"
#include "model/IFileReporter.h"
#include "saving/SaveLog.h"

class CDeviceSaver : public IFileReporter {
public:
    explicit CDeviceSaver(IProgressReporter& reporter);
    // Finishes the log: moved into the target folder and opened for the user.
    ~CDeviceSaver();
    CDeviceSaver(const CDeviceSaver&) = delete;
    CDeviceSaver& operator=(const CDeviceSaver&) = delete;

    void AddDevice(DeviceInfo* device);
    int GetDeviceCount() const;
    // True only when every device was saved without error. console may be null.
    bool SaveAll(const std::wstring& targetFolder, FILE* console);

    bool Progress(double fraction) override;
    void OnFile(const DriverFile& file) override;

private:
    // The target folder exists as a folder afterwards; false, with the error printed, when
    // it is a file or cannot be created.
    bool PrepareTarget(const std::wstring& targetFolder);
    void PrintDevice(const DeviceInfo& device);
    bool SaveDevice(const DeviceInfo& device, const std::wstring& targetFolder);
    bool CopyDriverFile(const DriverFile& file, const std::wstring& deviceFolder);

    std::vector<DeviceInfo*> devicesToSave;
    double share = 1.0;
    double base = 0.0;
    SaveLog log;
    IProgressReporter* reporter;
    bool aborted = false;
};
