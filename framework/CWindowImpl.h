// A window class of the program: T's object is bound to its window at WM_NCCREATE and gets
// every message through its ProcessWindowMessage. TBase is the handle wrapper whose calls
// the class adds to (CWindow, or a control wrapper for a superclass).
//
// T provides `static WindowClassInfo GetWndClassInfo()`; each T gets its own window class,
// registered on first use under a generated name.
#pragma once

#include "framework/CWindow.h"
#include "framework/CWindowClass.h"
#include "framework/CWindowImplBase.h"

template <typename T, typename TBase = CWindow>
class CWindowImpl : public TBase, public CWindowImplBase {
public:
    // style/exStyle 0: the class's default styles. A child's id goes in `id`.
    HWND Create(HWND parent, const RECT* rect = nullptr, const wchar_t* title = nullptr, DWORD style = 0,
                DWORD exStyle = 0, UINT id = 0)
    {
        CWindowClass& windowClass = Class();
        if (style == 0)
            style = windowClass.Info().defaultStyle;
        if (exStyle == 0)
            exStyle = windowClass.Info().defaultExStyle;
        return CreateOfClass(windowClass, parent, rect, title, style, exStyle,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
    }

protected:
    CWindowImpl() noexcept : CWindowImplBase(static_cast<CWindow&>(*this)) {}

    static CWindowClass& Class()
    {
        static CWindowClass windowClass(T::GetWndClassInfo());
        return windowClass;
    }
};
