#include "app/CommandLineOptions.h"

#include <windows.h>
#include <shellapi.h>

#include "saving/ReportWriter.h"

const wchar_t kCommandLineHelp[] =
    L"Tarnwick command line options:\n"
    L"\n"
    L" \"/path:Path\" - Specify a [Path] where to save driver files.\n"
    L" /all - Save driver files from all Providers (including Microsoft).\n"
    L" /present - Save driver files of currently present (plugged in) devices only.\n"
    L"\n"
    L" Example:\n"
    L" Tarnwick \"/path:D:\\System Drivers\" /present\n"
    L"\n"
    L" \"/restore:Path\" - Install the drivers saved in [Path] back onto this PC (needs administrator rights).\n"
    L" /force - With /restore: also replace installed drivers that are newer.\n"
    L" /plan - With /restore: show what the restore would do with each package; installs nothing.\n"
    L"\n"
    L" Example:\n"
    L" Tarnwick \"/restore:D:\\System Drivers\"\n"
    L"\n"
    L" \"/image:Folder\" - With /path: save the drivers of the Windows installed in [Folder] (the disk of a PC that does not start), not of this PC (needs administrator rights).\n"
    L"\n"
    L" Example:\n"
    L" Tarnwick /image:E: \"/path:D:\\Drivers of the old PC\"\n"
    L"\n"
    L" \"/verify:Path\" - Check the drivers saved in [Path] against their catalogs; changes nothing.\n"
    L"\n"
    L" \"/report:File\" - Write the list of devices (with /path: also what was saved) to [File], .json or .csv.\n"
    L"\n"
    L" Example:\n"
    L" Tarnwick \"/path:D:\\System Drivers\" \"/report:D:\\System Drivers\\report.json\"\n"
    L"\n"
    L" Exit codes: 0 done, 1 failed, 2 bad command line, 3010 done and Windows needs a restart.";

std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine)
{
    std::vector<std::wstring> arguments;
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(commandLine, &count);
    if (!argv)
        return arguments;
    arguments.assign(argv, argv + count);
    ::LocalFree(argv);
    return arguments;
}

bool ReadArguments(const std::vector<std::wstring>& arguments, CommandLineOptions& options)
{
    bool allRecognised = true;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (argument.empty())
            continue;

        const size_t colon = argument.find(L':');
        std::wstring name = argument.substr(0, colon);
        const std::wstring value = colon == std::wstring::npos ? std::wstring() : argument.substr(colon + 1);
        ::CharLowerW(&name[0]);

        if (name == L"/all")
            options.all = true;
        else if (name == L"/present")
            options.present = true;
        else if (name == L"/path")
            options.path = value;
        else if (name == L"/image")
            options.image = value;
        else if (name == L"/restore") {
            options.restore = value;
            options.restoreRequested = true;
        } else if (name == L"/verify")
            options.verify = value;
        else if (name == L"/force")
            options.force = true;
        else if (name == L"/plan" && value.empty() && colon == std::wstring::npos)
            options.plan = true;
        else if (name == L"/report") {
            options.report = value;
            options.reportRequested = true;
        } else
            allRecognised = false;
    }
    return allRecognised;
}

CommandLineRun ChooseRun(const wchar_t* commandLine, CommandLineOptions& options)
{
    const bool recognised = ReadArguments(SplitCommandLine(commandLine), options);
    // A backup (with its report, or a report alone), a restore or a verification in one run
    // would be ambiguous about what comes first; a report names a file of a kind it can write.
    const bool backup = !options.path.empty() || !options.report.empty();
    const bool restore = !options.restore.empty();
    const int runs = (backup ? 1 : 0) + (restore ? 1 : 0) + (options.verify.empty() ? 0 : 1);
    const bool badReport = options.reportRequested && !IsReportFileName(options.report);
    const bool imageMisused = !options.image.empty() && (options.path.empty() || restore || options.present);
    const bool planMisused = options.plan && !restore;
    if (!recognised || runs > 1 || badReport || imageMisused || planMisused)
        return CommandLineRun::BadCommandLine;
    return runs == 1 ? CommandLineRun::CommandLine : CommandLineRun::Window;
}

void ShowCommandLineHelp(IMessageBox& messages)
{
    messages.Show(nullptr, kCommandLineHelp, L"Tarnwick", MB_OK);
}

bool ParseCommandLine(const wchar_t* commandLine, CommandLineOptions& options, IMessageBox& messages)
{
    const CommandLineRun run = ChooseRun(commandLine, options);
    if (run == CommandLineRun::BadCommandLine)
        ShowCommandLineHelp(messages);
    return run == CommandLineRun::CommandLine;
}
