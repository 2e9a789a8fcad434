// One registered window class of the program, registered on first use. A superclass takes
// the class data of a system class (its styles, extra bytes, cursor) and puts our window
// procedure in front of the system's, which then does the default processing.
#pragma once

#include <windows.h>

// What a window class is registered with, and the styles its windows get by default.
struct WindowClassInfo {
    UINT style = 0;
    int background = 0;                  // system colour index + 1; 0 for none
    const wchar_t* cursor = IDC_ARROW;   // system cursor; null for none
    WORD icon = 0;                       // icon resource for the large and small icon; 0 for none
    const wchar_t* superclass = nullptr; // class to superclass: a system one, or one this module
                                         // registered without the framework
    DWORD defaultStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    DWORD defaultExStyle = 0;
};

class CWindowClass {
public:
    explicit CWindowClass(const WindowClassInfo& info) noexcept : info_(info) {}
    CWindowClass(const CWindowClass&) = delete;
    CWindowClass& operator=(const CWindowClass&) = delete;

    // Registers the class with `procedure` the first time; false when that failed.
    bool Register(WNDPROC procedure) noexcept;

    const wchar_t* Name() const noexcept { return name_; }
    const WindowClassInfo& Info() const noexcept { return info_; }
    // The procedure that does default processing for windows of this class.
    WNDPROC DefaultProcedure() const noexcept { return defaultProcedure_; }

    // The object pointer of a window lives in the last pointer-sized slot of its extra bytes,
    // after whatever a superclassed system class keeps there.
    static int ObjectSlot(HWND window) noexcept;

private:
    WindowClassInfo info_;
    wchar_t name_[40] = L"";
    ATOM atom_ = 0;
    WNDPROC defaultProcedure_ = ::DefWindowProcW;
};
