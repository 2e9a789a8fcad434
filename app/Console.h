// Where the messages of a command-line run go: the console of the program's own, or the file
// or pipe that its standard output was redirected to.
#pragma once

#include <cstdio>

// Started with its standard output already going to a file or a pipe (a script's
// "> out.txt", a CI job), the program writes there. Otherwise it opens a console of its own
// with 500 lines to scroll back, and binds the standard streams to it. Returns the stream for
// the run's messages: text mode and unbuffered, so each message shows as soon as it is
// written.
FILE* SetUpConsole();
