// Records the message boxes the code under test shows instead of showing them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/IMessageBox.h"

struct RecordedMessageBox {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};

class MessageBoxRecorder final : public IMessageBox {
public:
    // Every box is answered with OK.
    int Show(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override
    {
        boxes_.push_back({owner, text ? text : L"", caption ? caption : L"", type});
        return IDOK;
    }

    const std::vector<RecordedMessageBox>& boxes() const { return boxes_; }

private:
    std::vector<RecordedMessageBox> boxes_;
};
