// The command-line run: saves the drivers of every listed device into the "/path:" folder,
// restores the drivers of the "/restore:" folder, or verifies the "/verify:" folder, without a
// window.
#pragma once

#include "app/CommandLineOptions.h"
#include "app/ConsoleStop.h"
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

    // A command-line run shows no percentage; it is asked to stop only by a console control
    // event (Ctrl+C, closing the console, log-off), as the window's Cancel button stops a save.
    bool Progress(double fraction) override;

    // Whether the process may install drivers; tests put a stand-in here.
    bool (*hasInstallRights)() = ProcessIsElevated;

private:
    int SaveEveryDevice(const CommandLineOptions& options);
    int RestoreFolder(const CommandLineOptions& options);
    int VerifyFolder(const CommandLineOptions& options);

    IShellOpen& shell;
    // For the life of the run object, so that a console that is closed waits for the log.
    ConsoleStop consoleStop;
};
