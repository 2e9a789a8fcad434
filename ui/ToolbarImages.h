// The main window's toolbar pictures: icon resources at the toolbar's size, in colour for
// enabled buttons and greyed for disabled ones.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "platform/Handles.h"

// One pixel of a 32-bit picture (0xAARRGGBB, alpha not premultiplied) as a disabled button
// shows it: grey of the same brightness, half as opaque; a picture without alpha (drawn
// through its mask) is lightened instead.
uint32_t DisabledPixel(uint32_t pixel, bool hasAlpha) noexcept;

// The format of a top-down 32-bit picture of size x size pixels, as the greyed pictures are
// made in.
BITMAPINFO TopDown32(int size);

// An image list of `size` x `size` pictures from the icon resources `ids` of the program,
// each loaded at that size (the icon's nearest drawing otherwise), greyed when `disabled`.
UniqueImageList LoadIconImageList(const int* ids, size_t count, int size, bool disabled);
