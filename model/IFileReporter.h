// Receiver of a driver file discovery run: its progress and each file accepted into the set.
#pragma once

#include "model/IProgressReporter.h"
#include "model/DriverFile.h"

class IFileReporter : public IProgressReporter {
public:
    // One file accepted into the set, in set order. The reference stays valid as long as the
    // device record that holds the set.
    virtual void OnFile(const DriverFile& file) = 0;

protected:
    ~IFileReporter() = default;
};
