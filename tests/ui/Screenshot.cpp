#include "tests/ui/Screenshot.h"

#include <vector>

#include "framework/CClientDC.h"
#include "framework/Handles.h"

bool SaveScreenshot(const RECT& screenRect, const std::wstring& name)
{
    const int width = screenRect.right - screenRect.left;
    const int height = screenRect.bottom - screenRect.top;
    const CClientDC screen(nullptr);
    const UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
    const UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    if (!screen.get() || !memory || !bitmap)
        return false;
    const HGDIOBJ previous = ::SelectObject(memory.get(), bitmap.get());
    ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), screenRect.left, screenRect.top, SRCCOPY);
    ::SelectObject(memory.get(), previous);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<BYTE> pixels(static_cast<size_t>(stride) * static_cast<size_t>(height));
    if (!::GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(height), pixels.data(),
                     reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS))
        return false;

    ::CreateDirectoryW(L"screenshots", nullptr);
    const std::wstring path = L"screenshots\\" + name + L".bmp";
    const UniqueFileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof(header) + sizeof(info);
    header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());
    DWORD written = 0;
    return ::WriteFile(file.get(), &header, sizeof(header), &written, nullptr) &&
           ::WriteFile(file.get(), &info, sizeof(info), &written, nullptr) &&
           ::WriteFile(file.get(), pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
}

RECT ScreenRectAround(HWND window, int margin)
{
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    ::InflateRect(&rect, margin, margin);
    return rect;
}
