#include "framework/SystemMessageBox.h"

int SystemMessageBox::Show(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
    return ::MessageBoxW(owner, text, caption, type);
}
