// The command-line run: saves the drivers of every listed device into the "/path:" folder,
// restores the drivers of the "/restore:" folder, or verifies the "/verify:" folder, without a
// window.
#pragma once

#include "app/CommandLineOptions.h"
#include "model/IProgressReporter.h"
#include "restore/InstallRights.h"
#include "saving/IShellOpen.h"

class CStandaloneTarnwick : public IProgressReporter {
public:
    // shell opens the run's log at the end.
    explicit CStandaloneTarnwick(IShellOpen& shell) : shell(shell) {}

    // The process exit code: 0 only when every device was saved, every driver package
    // installed or staged, or every package verified intact (or unsigned with its files).
    int Run(const CommandLineOptions& options);

    // A command-line run is never asked to stop and shows no percentage.
    bool Progress(double fraction) override;

    // Whether the process may install drivers; tests put a stand-in here.
    bool (*hasInstallRights)() = ProcessIsElevated;

private:
    int SaveEveryDevice(const CommandLineOptions& options);
    int RestoreFolder(const CommandLineOptions& options);
    int VerifyFolder(const CommandLineOptions& options);

    IShellOpen& shell;
};
