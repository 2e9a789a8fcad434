// The command-line run: saves the drivers of every listed device into the "/path:" folder
// (with a "/report:", writes the report of it too), lists the devices into a report alone,
// restores the drivers of the "/restore:" folder, or verifies the "/verify:" folder, without a
// window.
#pragma once

#include <cstdio>

#include "app/CommandLineOptions.h"
#include "app/ConsoleStop.h"
#include "devices/DeviceList.h"
#include "model/IProgressReporter.h"
#include "restore/InstallRights.h"
#include "saving/DeviceReport.h"
#include "log/IShellOpen.h"

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
    // "Scanning devices..." and the scan with the options' filters; false, said on the
    // console, when it fails.
    bool ScanDevices(const CommandLineOptions& options, DeviceList& list, FILE* console);
    int SaveEveryDevice(const CommandLineOptions& options);
    // The device report alone: every listed device, nothing saved.
    int ListEveryDevice(const CommandLineOptions& options);
    // Writes the report and says so on the console (its full path, or why not).
    bool WriteReport(const std::wstring& file, const DeviceReport& report, FILE* console);
    int RestoreFolder(const CommandLineOptions& options);
    // What a restore would do with each package; installs and stages nothing, writes no log.
    int PlanRestore(const CommandLineOptions& options);
    int VerifyFolder(const CommandLineOptions& options);

    IShellOpen& shell;
    // For the life of the run object, so that a console that is closed waits for the log.
    ConsoleStop consoleStop;
};
