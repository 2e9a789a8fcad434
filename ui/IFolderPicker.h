// Asks the user for a folder. Given to the windows that need one, so that a test can answer
// without the system's picker.
#pragma once

#include <windows.h>

#include <string>

class IFolderPicker {
public:
    // Starts at path; a choice replaces it. title null: the save target's. False when the
    // user cancelled or chose nothing that is a folder on disk.
    virtual bool PickFolder(std::wstring& path, HWND owner, const wchar_t* title) = 0;
    // The same for a backup to restore or verify, which may also be a .zip file; a picker of
    // folders alone answers with a folder.
    virtual bool PickBackup(std::wstring& path, HWND owner, const wchar_t* title)
    {
        return PickFolder(path, owner, title);
    }

protected:
    ~IFolderPicker() = default;
};
