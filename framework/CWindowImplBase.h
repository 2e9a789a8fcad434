// The machinery behind every window class of the program: the window procedure that finds
// the C++ object of a window, offers it each message through its message map and gives the
// messages it leaves to default processing.
#pragma once

#include <windows.h>

#include "framework/CWindow.h"
#include "framework/CMessageMap.h"
#include "framework/CWindowClass.h"

class CWindowImplBase : public CMessageMap {
public:
    // Destroys a window that still exists without offering it any more messages, since the
    // derived object is already gone: its default procedure alone sees the destruction.
    ~CWindowImplBase() override;
    virtual WNDPROC GetWindowProc();

    // Default processing: the system class's procedure for a superclass, DefWindowProcW
    // otherwise.
    LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    explicit CWindowImplBase(CWindow& self) noexcept : self_(self) {}

    // Creates the window, registering its class first if needed. rect null: the system's
    // default position and size. menuOrId: a top-level window's menu or a child's id.
    HWND CreateOfClass(CWindowClass& windowClass, HWND parent, const RECT* rect, const wchar_t* title, DWORD style,
                       DWORD exStyle, HMENU menuOrId);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static CWindowImplBase* FromWindow(HWND window) noexcept;
    static void Bind(HWND window, CWindowImplBase* object) noexcept;

    CWindow& self_;
    WNDPROC defaultProcedure_ = ::DefWindowProcW;
};
