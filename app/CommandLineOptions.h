// The command line: "/path:<folder>" asks for a backup without a window, "/all" includes the
// drivers that come with Windows, "/present" limits the backup to attached devices.
#pragma once

#include <string>
#include <vector>

struct CommandLineOptions {
    bool all = false;
    bool present = false;
    std::wstring path;
};

// The text of the help box shown for an unrecognised argument.
extern const wchar_t kCommandLineHelp[];

// Splits a command line as the system does; an empty list when splitting fails.
std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine);

// Reads the arguments into the options; arguments[0] is the program's own path and is
// skipped. Returns false when at least one argument was not recognised.
bool ReadArguments(const std::vector<std::wstring>& arguments, CommandLineOptions& options);

// Reads the given command line (the process's own by default), shows the help box once if
// anything was not recognised, and returns true only when a command-line run is to happen.
bool ParseCommandLine(CommandLineOptions& options);
bool ParseCommandLine(const wchar_t* commandLine, CommandLineOptions& options);
