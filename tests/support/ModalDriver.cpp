#include "tests/support/ModalDriver.h"

#include <cwchar>
#include <string>
#include <vector>

#include "platform/Handles.h"
#include "platform/ScopedSelectObject.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

namespace {

ModalScript* g_script = nullptr;
SentMessageWatch::Handler* g_watch = nullptr;

} // namespace

ModalScript::ModalScript(std::function<bool()> step, UINT intervalMs)
    : step_(std::move(step))
{
    g_script = this;
    timer_ = ::SetTimer(nullptr, 0, intervalMs, OnTimer);
}

ModalScript::~ModalScript()
{
    if (timer_)
        ::KillTimer(nullptr, timer_);
    g_script = nullptr;
}

void CALLBACK ModalScript::OnTimer(HWND, UINT, UINT_PTR, DWORD)
{
    ModalScript* script = g_script;
    if (!script || script->finished_)
        return;
    // Steps may run nested loops of their own (a message box, say); the flag keeps this
    // timer from running the step again meanwhile.
    script->finished_ = true;
    script->finished_ = script->step_();
}

SentMessageWatch::SentMessageWatch(Handler handler)
    : handler_(std::move(handler))
{
    g_watch = &handler_;
    hook_ = ::SetWindowsHookExW(WH_CALLWNDPROC, OnMessage, nullptr, ::GetCurrentThreadId());
}

SentMessageWatch::~SentMessageWatch()
{
    if (hook_)
        ::UnhookWindowsHookEx(hook_);
    g_watch = nullptr;
}

LRESULT CALLBACK SentMessageWatch::OnMessage(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && g_watch) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        (*g_watch)(sent->hwnd, sent->message, sent->wParam, sent->lParam);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

HWND FindOwnWindow(const std::wstring& className, const std::wstring& title)
{
    return FindProcessWindow(::GetCurrentProcessId(), className, title);
}

void ClickOnScreen(POINT screen)
{
    ::SetCursorPos(screen.x, screen.y);
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, click, sizeof(INPUT));
}

void TypeKey(WORD key)
{
    INPUT press[2] = {};
    press[0].type = press[1].type = INPUT_KEYBOARD;
    press[0].ki.wVk = press[1].ki.wVk = key;
    press[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, press, sizeof(INPUT));
}

bool SaveScreenshot(HWND window, const std::wstring& name)
{
    const std::wstring folder = BuildProgramPath("TARNWICK_ARTIFACTS");
    if (folder.empty() || !MakeFolders(folder))
        return false;
    RECT rect;
    ::GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return false;

    // Painted first, then copied from the window's own surface: Wine's PrintWindow leaves
    // the children out, and its screen can lag behind what the window has painted.
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    const HDC source = ::GetWindowDC(window);
    UniqueMemoryDc memory(::CreateCompatibleDC(source));
    UniqueBitmap bitmap(::CreateCompatibleBitmap(source, width, height));
    bool copied = false;
    {
        const ScopedSelectObject selection(memory.get(), bitmap.get());
        copied = ::BitBlt(memory.get(), 0, 0, width, height, source, 0, 0, SRCCOPY) != FALSE;
    }
    ::ReleaseDC(window, source);
    if (!copied)
        return false;

    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<char> pixels(static_cast<size_t>(stride) * static_cast<size_t>(height));
    if (!::GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(height), pixels.data(),
            reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS))
        return false;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&header), sizeof(header));
    bytes.append(pixels.data(), pixels.size());
    return WriteFileBytes(folder + L"\\" + name + L".bmp", bytes);
}

UINT ExpectedTestDpi()
{
    wchar_t value[16] = L"";
    const DWORD length = ::GetEnvironmentVariableW(L"TARNWICK_TEST_DPI", value, 16);
    if (length == 0 || length >= 16)
        return 96;
    const unsigned long dpi = std::wcstoul(value, nullptr, 10);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

std::wstring NameAtDpi(const std::wstring& name, UINT dpi)
{
    return name + L"-" + std::to_wstring(dpi) + L"dpi";
}
