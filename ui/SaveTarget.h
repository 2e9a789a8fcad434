// The target of a save started in the window: the folder picker's choice made a folder value
// once, here, and handed to the save, its log and its device folders.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/FolderPath.h"
#include "ui/ShellServices.h"

// Asks for the target folder, starting at browsePath (a choice replaces it). None when the
// user cancelled, or when the choice cannot be a folder value: that is said in a message box.
std::optional<FolderPath> PickSaveTarget(const ShellServices& services, std::wstring& browsePath, HWND owner);
