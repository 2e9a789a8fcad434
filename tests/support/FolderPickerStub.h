// Answers the folder picker as a user would: with `choice` when one is set, else cancelled.
// Records the folder each question started at.
#pragma once

#include <string>
#include <vector>

#include "ui/IFolderPicker.h"

class FolderPickerStub final : public IFolderPicker {
public:
    bool PickFolder(std::wstring& path, HWND, const wchar_t*) override
    {
        asked.push_back(path);
        if (choice.empty())
            return false;
        path = choice;
        return true;
    }

    std::wstring choice;
    std::vector<std::wstring> asked;
};
