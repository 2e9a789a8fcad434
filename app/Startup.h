#pragma once

#include <windows.h>

// The whole program: picks the command-line run or the window run and returns the process
// exit code.
int RunTarnwick(HINSTANCE instance, int showCommand);
