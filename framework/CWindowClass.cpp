#include "framework/CWindowClass.h"

#include <cwchar>

#include "framework/AppModule.h"

bool CWindowClass::Register(WNDPROC procedure) noexcept
{
    if (atom_)
        return true;
    const HINSTANCE instance = AppModule().GetInstance();
    // The object's address makes the generated name unique within the process.
    std::swprintf(name_, sizeof(name_) / sizeof(name_[0]), L"Tarnwick:%p", static_cast<void*>(this));

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    if (info_.superclass) {
        // A class of this module first, else a system class.
        if (!::GetClassInfoExW(instance, info_.superclass, &windowClass) &&
            !::GetClassInfoExW(nullptr, info_.superclass, &windowClass))
            return false;
        // A class of the framework has the framework's procedure, which would find this
        // class's object again and pass the message on to itself for ever.
        if (windowClass.lpfnWndProc == procedure)
            return false;
        defaultProcedure_ = windowClass.lpfnWndProc;
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style &= ~CS_GLOBALCLASS;
    } else {
        windowClass.style = info_.style;
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(info_.background));
        windowClass.hCursor = info_.cursor ? ::LoadCursorW(nullptr, info_.cursor) : nullptr;
        if (info_.icon) {
            windowClass.hIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(info_.icon), IMAGE_ICON,
                                                                ::GetSystemMetrics(SM_CXICON),
                                                                ::GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
            windowClass.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(info_.icon), IMAGE_ICON,
                                                                  ::GetSystemMetrics(SM_CXSMICON),
                                                                  ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
        }
    }
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = name_;
    windowClass.cbWndExtra += static_cast<int>(sizeof(LONG_PTR));
    atom_ = ::RegisterClassExW(&windowClass);
    return atom_ != 0;
}

int CWindowClass::ObjectSlot(HWND window) noexcept
{
    return static_cast<int>(::GetClassLongPtrW(window, GCL_CBWNDEXTRA)) - static_cast<int>(sizeof(LONG_PTR));
}
