// Where the messages of a command-line run go: the console of the program's own, or the file
// or pipe that its standard output was redirected to.
#pragma once

#include <cstdio>
#include <string>

// True when the program was started with its standard output going to a file, a pipe or a
// device other than a console (a script's "> out.txt" or "> NUL", a CI job, a scheduled task).
// Asked before SetUpConsole, which may replace the standard handles.
bool OutputIsRedirected();

// Started with its standard output redirected (see above), the program writes there. Otherwise it opens a console of its own
// with 500 lines to scroll back, and binds the standard streams to it. Returns the stream for
// the run's messages: text mode and unbuffered, so each message shows as soon as it is
// written.
FILE* SetUpConsole();

// Writes a message to the run's output as its log would hold it (8-bit text), at once.
void PrintMessage(FILE* output, const std::wstring& message);
