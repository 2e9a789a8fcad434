// Receiver of a save run's outcome per device, for a report of the run: told of each device
// the log lists, in the log's order, and of where the log ended up.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/DeviceInfo.h"
#include "saving/ReportFile.h"
#include "saving/SaveFailure.h"

struct SaveOutcome {
    bool saved = false;
    // The device folder by its name inside the target ("Ports\Com1 (incomplete)"): the one
    // made, or the one meant when making it failed; empty when the run never came to make one.
    std::wstring folder;
    // The device's first failure; none when it was saved.
    DeviceFailure failure;
    // The files written into its folder, each digest worked out from the bytes as they were
    // written.
    std::vector<ReportFile> files;
    // Of a device saved unchanged (its earlier folder kept, nothing copied): when that
    // folder's files were copied, as a report time.
    std::optional<std::wstring> unchangedSince;
    // Of a device saved unchanged: its INF's original name, as the earlier report gave it.
    std::optional<std::wstring> originalInf;
};

class ISaveObserver {
public:
    // One device is done with, saved or not. Called on the saving thread.
    virtual void OnDeviceDone(const DeviceInfo& device, const SaveOutcome& outcome) = 0;
    // The run's log is finished: its full path where it stays.
    virtual void OnLogFinished(const std::wstring& logPath) = 0;

protected:
    ~ISaveObserver() = default;
};
