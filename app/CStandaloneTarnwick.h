// The command-line run: the command that the command line chose from the command table
// (app/CommandTable.h) runs without a window, once the folders it was given are made FolderPath
// values. It is the progress receiver of the run and holds what every command shares: the
// shell that opens the run's log, the console's stop request and the install rights check.
#pragma once

#include <functional>

#include "app/CommandLineOptions.h"
#include "app/ConsoleStop.h"
#include "log/IShellOpen.h"
#include "model/IProgressReporter.h"
#include "restore/InstallRights.h"

class CStandaloneTarnwick : public IProgressReporter {
public:
    // shell opens the run's log at the end.
    explicit CStandaloneTarnwick(IShellOpen& shell) : shell(shell) {}

    // The process exit code: 0 only when every device was saved, every driver package
    // installed or staged, or every package verified intact (or unsigned with its files).
    // A folder of the command that is refused ends the run at once, said as the command says
    // it (on the console, and in its log where it keeps one).
    int Run(const CommandLineOptions& options);

    // A command-line run shows no percentage; it is asked to stop only by a console control
    // event (Ctrl+C, closing the console, log-off), as the window's Cancel button stops a save.
    bool Progress(double fraction) override;

    IShellOpen& Shell() noexcept { return shell; }

    // Whether the process may install drivers; tests put a stand-in here.
    bool (*hasInstallRights)() = ProcessIsElevated;
    // Called with the backup between a save and the check that "/verify" asks for; tests
    // damage a saved file here. None in the program.
    std::function<void(const FolderPath&)> beforeVerify;

private:
    int Refuse(const Command& command, const std::wstring& refusal);

    IShellOpen& shell;
    // For the life of the run object, so that a console that is closed waits for the log.
    ConsoleStop consoleStop;
};
