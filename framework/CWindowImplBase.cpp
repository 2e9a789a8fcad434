#include "framework/CWindowImplBase.h"

#include "framework/AppModule.h"

namespace {

// The object whose window is being created on this thread. A top-level window receives
// WM_GETMINMAXINFO before WM_NCCREATE binds the object; those first messages still need
// the right default procedure.
thread_local CWindowImplBase* t_creating = nullptr;

} // namespace

CWindowImplBase::~CWindowImplBase()
{
    const HWND window = self_.get();
    if (window && ::IsWindow(window) && FromWindow(window) == this) {
        // The window goes back to its default procedure, which then sees its destruction
        // (a system control frees its own data there).
        Bind(window, nullptr);
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(defaultProcedure_));
        ::DestroyWindow(window);
    }
}

WNDPROC CWindowImplBase::GetWindowProc()
{
    return WindowProc;
}

LRESULT CWindowImplBase::DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::CallWindowProcW(defaultProcedure_, self_.get(), message, wParam, lParam);
}

HWND CWindowImplBase::CreateOfClass(CWindowClass& windowClass, HWND parent, const RECT* rect, const wchar_t* title,
                                    DWORD style, DWORD exStyle, HMENU menuOrId)
{
    if (!windowClass.Register(GetWindowProc()))
        return nullptr;
    defaultProcedure_ = windowClass.DefaultProcedure();
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, width = CW_USEDEFAULT, height = CW_USEDEFAULT;
    if (rect) {
        x = rect->left;
        y = rect->top;
        width = rect->right - rect->left;
        height = rect->bottom - rect->top;
    }
    CWindowImplBase* const outer = t_creating;
    t_creating = this;
    const HWND window = ::CreateWindowExW(exStyle, windowClass.Name(), title, style, x, y, width, height, parent,
                                          menuOrId, AppModule().GetInstance(), this);
    t_creating = outer;
    return window;
}

CWindowImplBase* CWindowImplBase::FromWindow(HWND window) noexcept
{
    const int slot = CWindowClass::ObjectSlot(window);
    if (slot < 0)
        return nullptr;
    return reinterpret_cast<CWindowImplBase*>(::GetWindowLongPtrW(window, slot));
}

void CWindowImplBase::Bind(HWND window, CWindowImplBase* object) noexcept
{
    ::SetWindowLongPtrW(window, CWindowClass::ObjectSlot(window), reinterpret_cast<LONG_PTR>(object));
}

LRESULT CALLBACK CWindowImplBase::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWindowImplBase* object = FromWindow(window);
    if (!object && message == WM_NCCREATE) {
        object = static_cast<CWindowImplBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (object) {
            Bind(window, object);
            object->self_.Attach(window);
        }
    }
    if (!object) {
        const WNDPROC procedure = t_creating ? t_creating->defaultProcedure_ : ::DefWindowProcW;
        return ::CallWindowProcW(procedure, window, message, wParam, lParam);
    }

    LRESULT result = 0;
    bool failed = false;
    const bool handled = OfferMessage(*object, window, message, wParam, lParam, result, failed);
    // A window that cannot finish its creation is not created; any other failed message
    // falls back to default processing.
    if (failed && message == WM_NCCREATE)
        return FALSE;
    if (failed && message == WM_CREATE)
        return -1;
    if (!handled)
        result = ::CallWindowProcW(object->defaultProcedure_, window, message, wParam, lParam);

    if (message == WM_NCDESTROY) {
        Bind(window, nullptr);
        object->self_.Detach();
        object->OnFinalMessage(window);
    }
    return result;
}
