// Hand-overs to the system: the help file,
// Device Manager, a device's property sheet and the folder browser. None shows a message of
// its own; a failure is left to the system's own reaction.
#pragma once

#include <windows.h>

#include <string>

void OpenDeviceManagerWindow(HWND owner);

// Shows "Help.chm" from the program's folder.
void ShowHelpFile(HWND owner);

// The system's property sheet of one device; returns when the sheet is closed.
void ShowDeviceProperties(const std::wstring& instanceId, HWND owner);

// Lets the user pick the save target (or, with its own title, the folder to restore from),
// starting at path; a choice replaces path. False when the user cancelled or chose nothing
// that is a folder on disk: no save may start then. The system's folder picker is used, and
// the older folder browser where there is none. A null title: the save target's.
bool BrowseForTargetFolder(std::wstring& path, HWND owner, const wchar_t* title = nullptr);

// The same for a backup to restore or verify: a folder, or a .zip file (which both pickers
// show as a folder of its own).
bool BrowseForBackup(std::wstring& path, HWND owner, const wchar_t* title);

enum class FolderChoice { Chosen, Cancelled, Unavailable };
// The folder picker (IFileOpenDialog picking folders), opened with `path` selected; a new
// folder can be made in it. Unavailable where the system (or this thread's COM) has none.
// zipFileToo: a .zip file may be chosen as well.
FolderChoice PickFolderWithFileDialog(std::wstring& path, HWND owner, const wchar_t* title = nullptr,
                                      bool zipFileToo = false);
// The older folder browser, opened with `path` selected; a choice without a folder on disk
// (or, with zipFileToo, a .zip file) counts as none.
bool PickFolderWithBrowser(std::wstring& path, HWND owner, const wchar_t* title = nullptr, bool zipFileToo = false);
// Whether `path` names an existing folder on disk (not a file, not a virtual folder).
bool IsFileSystemFolder(const std::wstring& path);

extern const wchar_t kBrowseFolderTitle[];

extern const wchar_t kHomePageUrl[];
extern const wchar_t kSupportEmailUrl[];
