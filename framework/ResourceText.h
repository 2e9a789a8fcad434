// Texts from the string table. A command's string holds its status bar prompt, a line feed
// and its tooltip.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

// The string resource `id` of the program's module, cut to `capacity` - 1 characters as
// LoadString does; empty when there is none.
std::wstring LoadResourceString(UINT id, int capacity = 256);

// The text before the first line feed (all of it when there is none).
std::wstring PromptPart(const std::wstring& text);
// The text after the first line feed, at most maxLength characters; empty without one.
std::wstring TooltipPart(const std::wstring& text, size_t maxLength);

// The string resource `id`, whole however long, with %1 to %9 replaced by the arguments in
// that order (a translation may put them in another order).
std::wstring FormatResourceString(UINT id, std::initializer_list<std::wstring> arguments = {});
// `text` with %1 to %9 replaced by the arguments; a placeholder without an argument stays.
std::wstring FillPlaceholders(const std::wstring& text, std::initializer_list<std::wstring> arguments);
