// The command line, read by the rows of the command table (app/CommandTable.h): the arguments
// given, with their texts, and the one command they ask for. "/path:<folder>" asks for a backup
// without a window, "/report:<file>" for the device report, "/restore:<folder>" for a restore
// ("/plan" with it: what the restore would do), "/image:<folder>" with "/path:" for a backup of
// another Windows, "/verify:<folder>" for a check of a backup; "/all", "/present" and "/force"
// qualify them. Nothing given, or only what the window takes, opens the window; "/restore"
// without a folder opens it at its restore command. Anything else is a bad command line.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/CommandTable.h"
#include "framework/IMessageBox.h"

struct CommandLineOptions {
    ArgumentSet named = 0;  // every argument named, a folder argument also without its folder
    ArgumentSet given = 0;  // a flag named, or a folder or file given after the colon
    std::array<std::wstring, kArgumentCount> texts;  // what came after the colon, the last one
    const Command* command = nullptr;  // the command asked for, when a command-line run is

    bool Has(Argument argument) const noexcept { return (given & Set(argument)) != 0; }
    const std::wstring& Text(Argument argument) const { return texts[static_cast<size_t>(argument)]; }
    // "/restore" without a folder: the program started itself again with administrator rights
    // for the window's restore command.
    bool OpensTheRestoreCommand() const noexcept
    {
        return (named & Set(Argument::Restore)) != 0 && !Has(Argument::Restore);
    }
};

// What a command line asks for.
enum class CommandLineRun {
    Window,          // the main window
    CommandLine,     // a command of the table, without a window
    BadCommandLine,  // an unrecognised argument, a value its argument does not take, or
                     // arguments that make no command of the table
};

// The text of the help box: every command's lines, in the table's order.
std::wstring CommandLineHelp();

// Splits a command line as the system does; an empty list when splitting fails.
std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine);

// Reads the arguments into the options by the argument rows; arguments[0] is the program's own
// path and is skipped. Returns false when at least one argument was not recognised.
bool ReadArguments(const std::vector<std::wstring>& arguments, CommandLineOptions& options);

// Reads the command line into the options and says which run it asks for, with the command
// for a command-line run; shows nothing and looks at no folder.
CommandLineRun ChooseRun(const wchar_t* commandLine, CommandLineOptions& options);

// What the names of a folder's text stand for, given the folders resolved before it.
using TargetNameReader = TargetNameValues (*)(const std::wstring& text, const CommandValues& resolved);

// Makes the folders that the chosen command was given FolderPath values, each by its argument
// row's rules, a folder that takes names once names has filled them in. False, with what the
// run says of it ("ERROR: Folder not found: ..."), for the first one refused.
bool ResolveArguments(const CommandLineOptions& options, CommandValues& values, std::wstring& refusal,
                      const TargetNameReader& names = ReadTargetNames);

// The help box, with no owner window.
void ShowCommandLineHelp(IMessageBox& messages);

// Reads the given command line, shows the help box once if it is a bad command line, and
// returns true only when a command-line run is to happen.
bool ParseCommandLine(const wchar_t* commandLine, CommandLineOptions& options, IMessageBox& messages);
