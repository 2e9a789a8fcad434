// The system's folder picker (the older folder browser where there is none).
#pragma once

#include "ui/IFolderPicker.h"
#include "ui/ShellActions.h"

class SystemFolderPicker final : public IFolderPicker {
public:
    bool PickFolder(std::wstring& path, HWND owner, const wchar_t* title) override
    {
        return BrowseForTargetFolder(path, owner, title);
    }
    bool PickBackup(std::wstring& path, HWND owner, const wchar_t* title) override
    {
        return BrowseForBackup(path, owner, title);
    }
};
