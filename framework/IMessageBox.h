// The message boxes a piece of code shows go through the IMessageBox it is given, so that a
// test can give one that records the boxes instead of blocking on them.
#pragma once

#include <windows.h>

class IMessageBox {
public:
    // As MessageBoxW: the button the user chose.
    virtual int Show(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) = 0;

protected:
    ~IMessageBox() = default;
};
