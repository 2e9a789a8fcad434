#include "ui/ToolbarImages.h"

#include <commctrl.h>

#include <vector>

#include "framework/AppModule.h"

namespace {

struct IconTraits : handle_traits::NullIsNone<HICON> {
    static void Close(Handle h) noexcept { ::DestroyIcon(h); }
};
using UniqueIcon = UniqueHandle<IconTraits>;

uint32_t Brightness(uint32_t pixel) noexcept
{
    const uint32_t red = (pixel >> 16) & 0xFF;
    const uint32_t green = (pixel >> 8) & 0xFF;
    const uint32_t blue = pixel & 0xFF;
    return (red * 299 + green * 587 + blue * 114) / 1000;
}

// The icon with its colour pixels greyed and its mask kept; null when it cannot be made.
UniqueIcon GreyedIcon(HICON icon, int size)
{
    ICONINFO parts = {};
    if (!::GetIconInfo(icon, &parts))
        return UniqueIcon();
    const UniqueBitmap colour(parts.hbmColor);
    const UniqueBitmap mask(parts.hbmMask);
    if (!colour || !mask)
        return UniqueIcon();

    BITMAPINFO format = TopDown32(size);
    std::vector<uint32_t> pixels(static_cast<size_t>(size) * static_cast<size_t>(size));
    const HDC screen = ::GetDC(nullptr);
    const int lines = ::GetDIBits(screen, colour.get(), 0, static_cast<UINT>(size), pixels.data(), &format,
                                  DIB_RGB_COLORS);
    void* bits = nullptr;
    format = TopDown32(size);
    const UniqueBitmap greyed(::CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    ::ReleaseDC(nullptr, screen);
    if (lines != size || !greyed || !bits)
        return UniqueIcon();

    bool hasAlpha = false;
    for (uint32_t pixel : pixels)
        hasAlpha = hasAlpha || (pixel >> 24) != 0;
    auto* out = static_cast<uint32_t*>(bits);
    for (size_t i = 0; i < pixels.size(); ++i)
        out[i] = DisabledPixel(pixels[i], hasAlpha);

    ICONINFO made = {TRUE, 0, 0, mask.get(), greyed.get()};
    return UniqueIcon(::CreateIconIndirect(&made));
}

} // namespace

BITMAPINFO TopDown32(int size)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

uint32_t DisabledPixel(uint32_t pixel, bool hasAlpha) noexcept
{
    uint32_t grey = Brightness(pixel);
    uint32_t alpha = pixel >> 24;
    if (hasAlpha)
        alpha /= 2;
    else
        grey += (255 - grey) / 2;
    return (alpha << 24) | (grey << 16) | (grey << 8) | grey;
}

UniqueImageList LoadIconImageList(const int* ids, size_t count, int size, bool disabled)
{
    UniqueImageList list(::ImageList_Create(size, size, ILC_COLOR32, static_cast<int>(count), 1));
    if (!list)
        return list;
    for (size_t i = 0; i < count; ++i) {
        const UniqueIcon icon(static_cast<HICON>(::LoadImageW(AppModule().GetInstance(), MAKEINTRESOURCEW(ids[i]),
                                                              IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
        UniqueIcon greyed = disabled && icon ? GreyedIcon(icon.get(), size) : UniqueIcon();
        // A picture that cannot be greyed keeps its place in colour, so the indices still match.
        ::ImageList_AddIcon(list.get(), greyed ? greyed.get() : icon.get());
    }
    return list;
}
