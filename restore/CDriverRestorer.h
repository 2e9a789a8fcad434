// The restore engine: finds the driver packages of a backup folder, checks each, and installs
// the chosen ones back, with progress, a stop between packages and a log in the save log's
// form ("Tarnwick-<date>-<time>-restore-log.txt"), which is moved into the restored folder
// and opened when the restorer goes.
#pragma once

#include <windows.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/IProgressReporter.h"
#include "platform/FolderPath.h"
#include "backup/DriverPackage.h"
#include "backup/ExtractedZip.h"
#include "restore/PackageInstaller.h"
#include "discovery/SystemFolders.h"
#include "log/SaveLog.h"

class CDriverRestorer {
public:
    // shell opens the log at the end; folders.tempDir is where it is written first.
    CDriverRestorer(IProgressReporter& reporter, IShellOpen& shell, const SystemFolders& folders);
    // Finishes the log: moved into the restored folder and opened for the user.
    ~CDriverRestorer();
    // When the log is finished its path goes to output as a line, instead of opening it.
    void ReportLogPathTo(FILE* output) { log.ReportPathInsteadOfOpening(output); }
    CDriverRestorer(const CDriverRestorer&) = delete;
    CDriverRestorer& operator=(const CDriverRestorer&) = delete;

    // Starts the log in the temporary folder before anything is looked at, so that a run
    // ended during the check leaves its log; it goes into folder at the end. console may be
    // null. RestoreAll starts it otherwise. False when the log file cannot be created (the
    // reason is on the console).
    bool OpenLog(const FolderPath& folder, FILE* console);

    // Finds and checks every package under folder (or in the zip file it names, extracted
    // first into a folder that stays until the restorer goes) (CheckPackages), then decides the packages
    // for the same devices together; force lets each be installed over newer drivers. Every
    // package found starts selected. False when the reporter asked to stop.
    bool FindPackages(const FolderPath& folder, bool force);

    // Each install call's time limit (tests shorten it).
    void SetInstallTimeLimit(DWORD milliseconds) { installTimeLimitMs = milliseconds; }

    // The receiver of the progress from now on (the window checks under one dialog and
    // restores under another).
    void SetReporter(IProgressReporter& progressReporter) { reporter = &progressReporter; }

    // Why the zip file given could not be used ("ERROR: ..."), after FindPackages; empty
    // when it could, or a folder was given.
    const std::wstring& ZipRefusalLine() const { return zipRefusal; }
    // The restored folder's full path; empty before OpenLog or FindPackages.
    std::wstring Folder() const { return folder ? folder->Full() : std::wstring(); }
    std::vector<DriverPackage>& Packages() { return packages; }

    // Restores the selected packages. True only when each of them was installed, staged, or
    // skipped with nothing to fix (LeavesNothingToFix).
    // console may be null.
    bool RestoreAll(FILE* console);
    // Whether Windows needs a restart to finish what the run installed. The program never
    // restarts the PC itself.
    bool RestartNeeded() const;

private:
    // False when the run is to stop.
    bool RestorePackage(DriverPackage& package, double base, double step);
    bool Install(DriverPackage& package, double fraction);
    void CheckInstalledFiles(DriverPackage& package);
    void PrintPackage(const DriverPackage& package);
    void PrintDevices(const DriverPackage& package);
    void PrintOutcome(const DriverPackage& package);
    bool Progress(double fraction);

    std::optional<FolderPath> folder;
    DWORD installTimeLimitMs = kInstallTimeLimitMs;
    bool logStarted = false;
    std::vector<DriverPackage> packages;
    SaveLog log;
    std::unique_ptr<ExtractedZip> extracted;
    std::wstring zipRefusal;
    std::wstring tempDir;
    IProgressReporter* reporter;
    bool aborted = false;
};

// Lets a package go over newer drivers after all: each matched device is to get it, and a
// package that was to be skipped is to be installed.
void ForceOverNewer(DriverPackage& package);
