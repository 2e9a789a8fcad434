// The system's own message boxes.
#pragma once

#include "framework/IMessageBox.h"

class SystemMessageBox final : public IMessageBox {
public:
    int Show(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override;
};
