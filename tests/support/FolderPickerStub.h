// Answers every folder question as a user who cancels it.
#pragma once

#include "ui/IFolderPicker.h"

class FolderPickerStub final : public IFolderPicker {
public:
    bool PickFolder(std::wstring&, HWND, const wchar_t*) override { return false; }
};
