// Sees each message of a message loop before it is translated and dispatched.
#pragma once

#include <windows.h>

class CMessageFilter {
public:
    // True when the filter dealt with the message; it is then neither translated nor
    // dispatched.
    virtual bool PreTranslateMessage(MSG& message) = 0;

protected:
    ~CMessageFilter() = default;
};
