#pragma once

#include <windows.h>

#include <string>

// Reads a registry value as text: REG_SZ as stored, REG_EXPAND_SZ with its environment
// variables expanded. Any other type, an empty or missing value, or a failed read gives
// empty text; callers treat unreadable values as empty without reporting them.
std::wstring ReadRegistryText(HKEY key, const wchar_t* valueName);
