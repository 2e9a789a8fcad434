// Hand-overs to the system: documents and addresses opened with the shell, the help file,
// Device Manager, a device's property sheet and the folder browser. None shows a message of
// its own; a failure is left to the system's own reaction.
#pragma once

#include <windows.h>

#include <string>

// Opens a document, file or address with the shell's "open" action.
void ShellOpen(const std::wstring& target);
void OpenHomePage();
void OpenDeviceManager(HWND owner);

// Shows "Help.chm" from the program's folder.
void ShowHelp(HWND owner);

// The system's property sheet of one device; returns when the sheet is closed.
void ShowDeviceProperties(const std::wstring& instanceId, HWND owner);

// Lets the user pick the save target (or, with its own title, the folder to restore from),
// starting at path; a choice replaces path. False when the user cancelled.
bool BrowseForTargetFolder(std::wstring& path, HWND owner, const wchar_t* title = L"Select a folder to save driver files:");

extern const wchar_t kHomePageUrl[];
extern const wchar_t kSupportEmailUrl[];
