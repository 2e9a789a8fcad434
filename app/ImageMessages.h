// What the command-line run says about an offline Windows it was asked to back up: why it
// refuses one, and that the drivers of another processor architecture are saved all the same.
#pragma once

#include <cstdio>
#include <string>

#include "devices/WindowsImage.h"

// The message for a refused image, one line or two, each ending with a line feed.
std::wstring ImageProblemMessage(const WindowsImage& image, ImageProblem problem);

// The note for an image of another architecture than this program's; empty text otherwise.
std::wstring ArchitectureNote(const WindowsImage& image);

// Writes a message to the run's output as its log would hold it.
void PrintMessage(FILE* console, const std::wstring& message);
