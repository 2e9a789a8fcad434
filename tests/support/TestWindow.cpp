#include "tests/support/TestWindow.h"

#include <commctrl.h>

#include <vector>

namespace {

const wchar_t kClassName[] = L"TarnwickTestWindow";

void RegisterTestClass()
{
    static const ATOM atom = [] {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = ::DefWindowProcW;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = kClassName;
        return ::RegisterClassExW(&windowClass);
    }();
    (void)atom;
}

} // namespace

TestWindow::TestWindow(DWORD style, int width, int height)
{
    RegisterTestClass();
    window_ = ::CreateWindowExW(0, kClassName, L"Tarnwick test", style, 50, 50, width, height, nullptr, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
}

TestWindow::~TestWindow()
{
    if (window_)
        ::DestroyWindow(window_);
}

void PumpMessages()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

bool WhollyInvalid(HWND window)
{
    RECT update = {};
    RECT client = {};
    ::GetClientRect(window, &client);
    return ::GetUpdateRect(window, &update, FALSE) && ::EqualRect(&update, &client);
}

std::wstring ListItemText(HWND list, int item, int subItem)
{
    // The control copies what fits and says how much it copied: a full buffer may be cut short.
    for (std::vector<wchar_t> text(256);; text.resize(text.size() * 2)) {
        LVITEMW request = {};
        request.iSubItem = subItem;
        request.pszText = text.data();
        request.cchTextMax = static_cast<int>(text.size());
        const LRESULT length =
            ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&request));
        if (length + 1 < static_cast<LRESULT>(text.size()))
            return std::wstring(text.data(), static_cast<size_t>(length));
    }
}
