// What the program says about an offline Windows it was asked to back up: why it refuses one,
// and that the drivers of another processor architecture are saved all the same. The
// command-line run prints these, the window shows them in a message box.
#pragma once

#include <string>

#include "devices/WindowsImage.h"

// Why the image is refused, one sentence or two, each ending with a line feed.
std::wstring ImageProblemText(const WindowsImage& image, ImageProblem problem);

// The note for an image of another architecture than this program's; empty text otherwise.
std::wstring ArchitectureNote(const WindowsImage& image);
