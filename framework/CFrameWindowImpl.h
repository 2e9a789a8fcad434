// A frame window class of the program: T's ProcessWindowMessage and OnNotify chain to those
// of this class for the frame's own behaviour (see CFrameWindow).
#pragma once

#include "framework/CFrameWindow.h"
#include "framework/CWindowImpl.h"

template <typename T>
class CFrameWindowImpl : public CWindowImpl<T, CFrameWindow> {
public:
    // Creates the frame with the class's default styles; `menu` then belongs to the window.
    // rect null: the system's default position and size.
    HWND CreateFrame(HWND parent, const wchar_t* title, HMENU menu, const RECT* rect = nullptr)
    {
        CWindowClass& windowClass = this->Class();
        return this->CreateOfClass(windowClass, parent, rect, title, windowClass.Info().defaultStyle,
                                   windowClass.Info().defaultExStyle, menu);
    }

    bool ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        return this->ProcessFrameMessage(message, wParam, lParam, result);
    }
    // The bars size themselves; the message goes on to default processing.
    bool OnSize(UINT type, SIZE) override
    {
        if (type != SIZE_MINIMIZED)
            this->UpdateLayout();
        return false;
    }
    std::optional<LRESULT> OnNotify(NMHDR& header) override
    {
        if (this->ProcessFrameNotify(header))
            return 0;
        return std::nullopt;
    }
};
