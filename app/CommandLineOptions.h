// The command line: "/path:<folder>" asks for a backup without a window, "/all" includes the
// drivers that come with Windows, "/present" limits the backup to attached devices.
// "/restore:<folder>" installs the drivers of a backup folder back, "/force" also over newer
// drivers; "/restore" without a folder opens the window at its restore command.
// "/verify:<folder>" checks a backup folder against its catalogs and changes nothing.
#pragma once

#include <string>
#include <vector>

#include "framework/IMessageBox.h"

struct CommandLineOptions {
    bool all = false;
    bool present = false;
    std::wstring path;
    std::wstring restore;
    std::wstring verify;
    bool force = false;
    bool restoreRequested = false;  // "/restore" was given, with or without a folder
};

// The text of the help box shown for an unrecognised argument.
extern const wchar_t kCommandLineHelp[];

// Splits a command line as the system does; an empty list when splitting fails.
std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine);

// Reads the arguments into the options; arguments[0] is the program's own path and is
// skipped. Returns false when at least one argument was not recognised.
bool ReadArguments(const std::vector<std::wstring>& arguments, CommandLineOptions& options);

// Reads the given command line (the process's own by default), shows the help box once if
// anything was not recognised or more than one of "/path:", "/restore:" and "/verify:" name a
// folder, and returns true only when a command-line run (a backup, a restore or a
// verification) is to happen.
bool ParseCommandLine(CommandLineOptions& options, IMessageBox& messages);
bool ParseCommandLine(const wchar_t* commandLine, CommandLineOptions& options, IMessageBox& messages);
