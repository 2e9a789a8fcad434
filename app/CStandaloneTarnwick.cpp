#include "app/CStandaloneTarnwick.h"

#include "app/Console.h"
#include "app/Desktop.h"
#include "app/ExitCodes.h"
#include "discovery/SystemFolders.h"
#include "log/SaveLog.h"
#include "platform/Trace.h"

bool CStandaloneTarnwick::Progress(double)
{
    return !consoleStop.Requested();
}

int CStandaloneTarnwick::Run(const CommandLineOptions& options)
{
    // Nothing leaves the run as an exception (running out of memory, say): only while the
    // stack unwinds to a handler does the saver finish its log, moved and opened, and the
    // exit code must still say that not everything was saved.
    try {
        CommandValues values;
        std::wstring refusal;
        if (!ResolveArguments(options, values, refusal))
            return Refuse(*options.command, refusal);
        return options.command->run(*this, values);
    } catch (...) {
        TraceFailure(L"the command-line run");
        return kFailedExitCode;
    }
}

int CStandaloneTarnwick::Refuse(const Command& command, const std::wstring& refusal)
{
    const bool scripted = RunIsUnwatched();
    FILE* console = SetUpConsole();
    const std::wstring message = (command.firstLine ? command.firstLine : L"") + refusal;
    if (!command.log) {
        PrintMessage(console, message);
        return kFailedExitCode;
    }
    // Nobody may see the console of a plain run close: the log, which stays in the temporary
    // folder, is opened as the command's own would be.
    SaveLog log(shell, ReadSystemFolders().tempDir, command.log);
    if (scripted)
        log.ReportPathInsteadOfOpening(console);
    log.Open(std::nullopt, console);
    log.Print(L"%s", message.c_str());
    log.Finish();
    return kFailedExitCode;
}
