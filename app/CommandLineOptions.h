// The command line: "/path:<folder>" asks for a backup without a window, "/all" includes the
// drivers that come with Windows, "/present" limits the backup to attached devices,
// "/report:<file>" writes the device report (alone: the device list, nothing saved).
// "/restore:<folder>" installs the drivers of a backup folder back, "/force" also over newer
// drivers; "/restore" without a folder opens the window at its restore command.
// "/image:<folder>" with "/path:" backs up the drivers of the Windows installed in that folder
// (a disk of a PC that no longer starts) instead of this PC's.
// "/plan" with "/restore:<folder>" tells what the restore would do and does nothing.
// "/verify:<folder>" checks a backup folder against its catalogs and changes nothing.
#pragma once

#include <string>
#include <vector>

#include "framework/IMessageBox.h"

struct CommandLineOptions {
    bool all = false;
    bool present = false;
    std::wstring path;
    std::wstring report;  // the report file, ".json" or ".csv"
    std::wstring image;
    std::wstring restore;
    std::wstring verify;
    bool force = false;
    bool plan = false;              // "/plan" with "/restore:": check and tell, install nothing
    bool restoreRequested = false;  // "/restore" was given, with or without a folder
    bool reportRequested = false;   // "/report" was given, with or without a file
};

// What a command line asks for.
enum class CommandLineRun {
    Window,          // the main window
    CommandLine,     // a backup, a report or a restore without a window
    BadCommandLine,  // an unrecognised argument, or options that do not go together: "/image:"
                     // without "/path:", with "/restore:" or with "/present" (no device of
                     // another Windows is attached)
};

// The text of the help box shown for an unrecognised argument.
extern const wchar_t kCommandLineHelp[];

// Splits a command line as the system does; an empty list when splitting fails.
std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine);

// Reads the arguments into the options; arguments[0] is the program's own path and is
// skipped. Returns false when at least one argument was not recognised.
bool ReadArguments(const std::vector<std::wstring>& arguments, CommandLineOptions& options);

// Reads the command line into the options and says which run it asks for; shows nothing.
CommandLineRun ChooseRun(const wchar_t* commandLine, CommandLineOptions& options);

// The help box, with no owner window.
void ShowCommandLineHelp(IMessageBox& messages);

// Reads the given command line, shows the help box once if it is a bad command line, and
// returns true only when a command-line run (a backup, a report, a restore or a verification)
// is to happen.
bool ParseCommandLine(const wchar_t* commandLine, CommandLineOptions& options, IMessageBox& messages);
