// Records the message boxes the code under test shows instead of showing them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct RecordedMessageBox {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};

class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    const std::vector<RecordedMessageBox>& boxes() const;
};
