// The folders the window's commands ask for: the folder picker's choice made a folder value
// once, here, and handed to the save, the restore or the verification. A choice that cannot
// be one is said in a message box.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/FolderPath.h"
#include "ui/ShellServices.h"

// What one command asks for: the picker's prompt (0: none), the message box's caption and
// text ("%1" the folder, "%2" why), what the folder must be, and whether names in it
// ("{computer}", see saving/TargetNames.h) are filled in before it is made a folder value.
struct FolderRequest {
    UINT prompt;
    UINT caption;
    UINT refused;
    PathRules rules;
    bool takesNames = false;
    // A backup in one .zip file may be chosen instead of a folder.
    bool takesZip = false;
};

// Asks for a folder, starting at browsePath (a choice replaces it). None when the user
// cancelled, or when the choice cannot be a folder value by the choice's rules.
std::optional<FolderPath> PickFolderValue(const ShellServices& services, std::wstring& browsePath, HWND owner,
                                          const FolderRequest& choice);

// A zip file to save into, asked for in the system's save dialog: it need not exist.
std::optional<FolderPath> PickZipTarget(const ShellServices& services, HWND owner);

// The target of a save: it need not exist, the save makes it. Its names are this PC's, or for
// "{os}" the offline Windows' that the window shows.
std::optional<FolderPath> PickSaveTarget(const ShellServices& services, std::wstring& browsePath, HWND owner);
