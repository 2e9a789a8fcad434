#include "app/CommandLineOptions.h"

#include <windows.h>
#include <shellapi.h>

#include "app/ExitCodes.h"
#include "backup/ExtractedZip.h"
#include "saving/ReportWriter.h"

namespace {

// The row of the name; of two rows of one name, the switch when no colon was given, the other
// when one was.
const ArgumentRow* FindRow(const std::wstring& name, bool colon)
{
    const ArgumentRow* found = nullptr;
    for (const ArgumentRow& row : ArgumentRows()) {
        if (name != row.name)
            continue;
        if ((row.kind == ArgumentKind::Switch) != colon)
            return &row;
        found = found ? found : &row;
    }
    return found;
}

// Whether every value given is one its argument takes: a report names a file of a kind it
// can write, and a folder that takes names names only known ones.
bool ValuesTaken(const CommandLineOptions& options)
{
    for (const ArgumentRow& row : ArgumentRows()) {
        const bool named = (options.named & Set(row.argument)) != 0;
        if (named && row.kind == ArgumentKind::ReportFile && !IsReportFileName(options.Text(row.argument)))
            return false;
        if (named && row.takesNames && CheckTargetNames(options.Text(row.argument)) != TargetNameError::None)
            return false;
    }
    return true;
}

// Whether the command takes exactly what was given: everything it needs, nothing it does not.
bool Fits(const Command& command, ArgumentSet given)
{
    return (given & command.required) == command.required && (given & ~(command.required | command.allowed)) == 0;
}

// The report file split into its folder's text and its name. A name without a folder is in
// the current folder (of its drive, for "D:report.json").
void SplitReportFile(const std::wstring& file, std::wstring& folder, std::wstring& name)
{
    const size_t separator = file.find_last_of(L"\\/");
    if (separator != std::wstring::npos) {
        folder = file.substr(0, separator + 1);
        name = file.substr(separator + 1);
    } else if (file.size() > 2 && file[1] == L':') {
        folder = file.substr(0, 2) + L".";
        name = file.substr(2);
    } else {
        folder = L".";
        name = file;
    }
}

// The folder as a refusal names it: where the system would have looked when it resolves at
// all, else as given.
std::wstring ShownFolder(const std::wstring& text, const PathRules& rules, PathRefusal refusal)
{
    if (refusal != PathRefusal::NotFound && refusal != PathRefusal::NotAFolder)
        return text;
    const PathResult<FolderPath> looked = FolderPath::Resolve(text, {rules.longest, false});
    return looked ? looked->Full() : text;
}

std::wstring WithFolder(const wchar_t* message, const std::wstring& folder)
{
    std::wstring text = message;
    const size_t at = text.find(L"%1");
    if (at != std::wstring::npos)
        text.replace(at, 2, folder);
    return text;
}

} // namespace

std::wstring CommandLineHelp()
{
    std::wstring help = L"Tarnwick command line options:\n\n";
    for (const Command& command : Commands())
        help += command.help;
    return help + L" Exit codes: " + std::to_wstring(kSucceededExitCode) + L" done, " +
           std::to_wstring(kFailedExitCode) + L" failed, " + std::to_wstring(kBadCommandLineExitCode) +
           L" bad command line, " + std::to_wstring(kRestartNeededExitCode) +
           L" done and Windows needs a restart.";
}

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

        const ArgumentRow* row = FindRow(name, colon != std::wstring::npos);
        if (!row || (row->kind == ArgumentKind::Switch && colon != std::wstring::npos)) {
            allRecognised = false;
            continue;
        }
        const ArgumentSet bit = Set(row->argument);
        options.named |= bit;
        options.texts[static_cast<size_t>(row->argument)] = value;
        // A later folder replaces an earlier one, also with none.
        const bool takesValue = row->kind == ArgumentKind::Folder || row->kind == ArgumentKind::ReportFile;
        if (takesValue && value.empty())
            options.given &= ~bit;
        else
            options.given |= bit;
    }
    return allRecognised;
}

CommandLineRun ChooseRun(const wchar_t* commandLine, CommandLineOptions& options)
{
    if (!ReadArguments(SplitCommandLine(commandLine), options) || !ValuesTaken(options))
        return CommandLineRun::BadCommandLine;
    if ((options.given & ~kWindowArguments) == 0)
        return CommandLineRun::Window;
    for (const Command& command : Commands()) {
        if (Fits(command, options.given)) {
            options.command = &command;
            return CommandLineRun::CommandLine;
        }
    }
    return CommandLineRun::BadCommandLine;
}

bool ResolveArguments(const CommandLineOptions& options, CommandValues& values, std::wstring& refusal,
                      const TargetNameReader& names)
{
    values.given = options.given;
    // A folder with names comes last: "{os}" may stand for the Windows of another folder.
    for (const bool withNames : {false, true}) {
        for (const ArgumentRow& row : ArgumentRows()) {
            const bool report = row.kind == ArgumentKind::ReportFile;
            if (row.takesNames != withNames || !options.Has(row.argument) ||
                (row.kind != ArgumentKind::Folder && !report))
                continue;
            std::wstring folderText = options.Text(row.argument);
            if (report)
                SplitReportFile(options.Text(row.argument), folderText, values.reportName);
            if (withNames && folderText.find(L'{') != std::wstring::npos) {
                values.namedTarget = folderText;
                folderText = ExpandTargetNames(folderText, names(folderText, values)).value_or(folderText);
            }
            PathResult<FolderPath> folder =
                row.takesZip ? ResolveBackup(folderText, row.rules) : FolderPath::Resolve(folderText, row.rules);
            if (!folder) {
                const std::wstring shown =
                    report ? options.Text(row.argument) : ShownFolder(folderText, row.rules, folder.refusal());
                refusal = WithFolder(row.refusal, shown);
                return false;
            }
            values.folders[static_cast<size_t>(row.argument)] = *std::move(folder);
        }
    }
    return true;
}

void ShowCommandLineHelp(IMessageBox& messages)
{
    messages.Show(nullptr, CommandLineHelp().c_str(), L"Tarnwick", MB_OK);
}

bool ParseCommandLine(const wchar_t* commandLine, CommandLineOptions& options, IMessageBox& messages)
{
    const CommandLineRun run = ChooseRun(commandLine, options);
    if (run == CommandLineRun::BadCommandLine)
        ShowCommandLineHelp(messages);
    return run == CommandLineRun::CommandLine;
}
