// Receiver of a save run's outcome per device, for a report of the run: told of each device
// the log lists, in the log's order, and of where the log ended up.
#pragma once

#include <string>

#include "model/DeviceInfo.h"

struct SaveOutcome {
    bool saved = false;
    // The device folder that was made (or meant, when making it failed); empty when the run
    // never came to make one.
    std::wstring folder;
    // The first error the log gives for the device; empty when none.
    std::wstring error;
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
