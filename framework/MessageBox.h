// Every message box of the program goes through ShowMessageBox, so that tests can record
// the boxes instead of blocking on them.
#pragma once

#include <windows.h>

using MessageBoxFunction = int (*)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

// Replaces the function that shows the boxes and returns the previous one; null restores
// the system's MessageBoxW.
MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function);
