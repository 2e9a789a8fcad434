// Texts from the string table. A command's string holds its status bar prompt, a line feed
// and its tooltip.
#pragma once

#include <windows.h>

#include <string>

// The string resource `id` of the program's module, cut to `capacity` - 1 characters as
// LoadString does; empty when there is none.
std::wstring LoadResourceString(UINT id, int capacity = 256);

// The text before the first line feed (all of it when there is none).
std::wstring PromptPart(const std::wstring& text);
// The text after the first line feed, at most maxLength characters; empty without one.
std::wstring TooltipPart(const std::wstring& text, size_t maxLength);
