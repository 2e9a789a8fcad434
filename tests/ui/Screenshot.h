// Screenshots as test artefacts: what the screen shows in a rectangle, saved as a BMP in the
// "screenshots" folder under the test's working folder (build/tests/ui), for a person to look
// at. Nothing is compared.
#pragma once

#include <windows.h>

#include <string>

// False when the screen could not be read or the file not written.
bool SaveScreenshot(const RECT& screenRect, const std::wstring& name);

// The window's rectangle on the screen, grown by `margin` pixels on every side.
RECT ScreenRectAround(HWND window, int margin);
