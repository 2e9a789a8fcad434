// The command-line run: saves the drivers of every listed device into the "/path:" folder
// without a window.
#pragma once

#include "app/CommandLineOptions.h"
#include "model/IProgressReporter.h"

class CStandaloneTarnwick : public IProgressReporter {
public:
    // The process exit code: 0 only when every device was saved.
    int Run(const CommandLineOptions& options);

    // A command-line run is never asked to stop and shows no percentage.
    bool Progress(double fraction) override;

private:
    int SaveEveryDevice(const CommandLineOptions& options);
};
