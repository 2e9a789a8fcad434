// The command line's commands, kept as a device console tool keeps its dispatch table: one row
// per command (save, report, image, restore, plan, verify) with its name, the arguments it
// needs and takes, its lines of the help text and the function that runs it, and one row per
// argument with its name, how it takes its value and what a folder it names must be. Reading
// the command line, choosing the run, the help text and the checks of a bad command line all
// come from these rows (CommandLineOptions); a new command is one row and its run function.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "platform/FolderPath.h"
#include "saving/TargetNames.h"

// Every argument the command line knows.
enum class Argument { All, Present, Path, Report, Image, Restore, Force, Plan, Verify, Full, VerifySaved, Count };
const size_t kArgumentCount = static_cast<size_t>(Argument::Count);

// A set of arguments, one bit each.
using ArgumentSet = unsigned;
constexpr ArgumentSet Set(Argument argument)
{
    return 1u << static_cast<unsigned>(argument);
}
template <typename... More>
constexpr ArgumentSet Set(Argument argument, More... more)
{
    return Set(argument) | Set(more...);
}

// How an argument takes its value.
enum class ArgumentKind {
    Flag,        // "/all": a value after a colon is ignored
    Switch,      // "/plan": no colon at all, or it is not recognised; a switch and a folder of
                 // one name ("/verify", "/verify:<folder>") are told apart by the colon
    Folder,      // "/path:<folder>": no folder after the colon means not given
    ReportFile,  // "/report:<file>": a .json or .csv file; no file is a bad command line
};

struct ArgumentRow {
    const wchar_t* name;  // lower case, without the colon
    Argument argument;
    ArgumentKind kind;
    // What the folder (of a report: the file's folder) must be; it is made a FolderPath by
    // these rules before the run starts.
    PathRules rules;
    // What the run says when the folder is refused, "%1" standing for the folder.
    const wchar_t* refusal;
    // Whether the folder may hold names ("{computer}", see saving/TargetNames.h), filled in
    // before it is made a FolderPath; a name that is none of them is a bad command line.
    bool takesNames = false;
    // A backup in one zip file is taken as well as a folder (ResolveBackup).
    bool takesZip = false;
};

// What a run is handed: the arguments given, their folders already made FolderPath values.
struct CommandValues {
    ArgumentSet given = 0;
    std::array<std::optional<FolderPath>, kArgumentCount> folders;
    std::wstring reportName;  // the report file's name inside its folder
    // The target as given, its names not yet filled in ("/path:" text); empty when it held none.
    std::wstring namedTarget;

    bool Has(Argument argument) const noexcept { return (given & Set(argument)) != 0; }
    // The folder of a folder argument that was given (of the report: the file's folder).
    const FolderPath& Folder(Argument argument) const { return *folders[static_cast<size_t>(argument)]; }
    // The report file's full path.
    std::wstring ReportFile() const { return Folder(Argument::Report).WithSeparator() + reportName; }
};

class CStandaloneTarnwick;

struct Command {
    const wchar_t* name;
    ArgumentSet required;  // each must be given
    ArgumentSet allowed;   // may be given besides; any other is a bad command line
    // Its lines of the help text, in the order of the rows.
    const wchar_t* help;
    // How the run reads when a folder it was given is refused before it starts, as it reads
    // when it finds that out itself: the line it starts with (or none), and the kind of log
    // it keeps (or none), which then stays in the temporary folder.
    const wchar_t* firstLine;
    const wchar_t* log;
    // Runs the command; returns the process exit code.
    int (*run)(CStandaloneTarnwick& run, const CommandValues& values);
};

// The rows, in the order of the help text.
const std::vector<Command>& Commands();
const std::vector<ArgumentRow>& ArgumentRows();

// What the names of a folder stand for in this run: this PC's values, and with an offline
// Windows given (among the folders resolved so far) that Windows for "{os}". text is the
// folder's text, so that only what it names is read.
TargetNameValues ReadTargetNames(const std::wstring& text, const CommandValues& resolved);

// What a command line with no command may give: the window opens, and ignores them.
const ArgumentSet kWindowArguments = Set(Argument::All, Argument::Present);
