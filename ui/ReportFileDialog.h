// The system's save dialog: for a device report (JSON or CSV), or for any file of a kind.
#pragma once

#include <windows.h>

#include <string>

// The system's save dialog with the title and filter ("name|pattern|...") of these string
// ids, starting at the name initial; file gets the chosen path. False when cancelled.
// filterIndex gets the chosen file type (1 the first).
bool ChooseSaveFile(HWND owner, UINT title, UINT filter, const std::wstring& initial, std::wstring& file,
                    DWORD* filterIndex = nullptr);

// Asks where to write the report; file gets the chosen path, ending in ".json" or ".csv" as
// the chosen file type says when the name typed has neither. False when cancelled.
bool ChooseReportFile(HWND owner, std::wstring& file);

// The chosen name with the file type's extension added when it has no report extension:
// filterIndex 2 is CSV, any other JSON.
std::wstring WithReportExtension(const std::wstring& file, DWORD filterIndex);
