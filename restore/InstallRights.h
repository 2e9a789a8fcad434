// The rights a restore needs. Installing drivers takes an elevated process (an administrator's
// full token); the program itself asks for no rights when it starts, so the restore checks
// and, from the window, starts the program again with them.
#pragma once

#include <windows.h>

#include <string>

// True when the process token is elevated. Wine gives every process an elevated token
// (its user is an administrator), so under Wine this is always true.
bool ProcessIsElevated();

// Starts this program again with the "runas" verb, which asks the user for administrator
// rights. False, with the system's error (ERROR_CANCELLED when the user declined), when it
// did not start.
bool RelaunchElevated(const std::wstring& arguments, DWORD& error);

// What the command line prints when rights are missing, and what the window says when the
// restart with them failed.
extern const char kNoRightsMessage[];
std::wstring RelaunchFailedMessage(DWORD error);
