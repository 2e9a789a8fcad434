// A plain frame that stands in for the device window until it exists: titled from the
// string table, it ends the run with exit code 1 when closed.
#include "ui/MainWindow.h"

#include <windows.h>

#include "framework/AppModule.h"
#include "resources/resource.h"

namespace {

LRESULT CALLBACK StubWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        ::PostQuitMessage(1);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int RunMainWindow(int showCommand)
{
    const HINSTANCE instance = AppModule().GetInstance();
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = StubWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"TarnwickMainFrame";
    ::RegisterClassExW(&windowClass);

    wchar_t title[256] = L"";
    ::LoadStringW(instance, IDR_MAINFRAME, title, 256);
    const HWND window = ::CreateWindowExW(WS_EX_APPWINDOW, windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW,
                                          CW_USEDEFAULT, CW_USEDEFAULT, 760, 600, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 0;
    ::ShowWindow(window, showCommand);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
