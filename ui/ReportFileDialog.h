// The system's save dialog for a device report: JSON or CSV.
#pragma once

#include <windows.h>

#include <string>

// Asks where to write the report; file gets the chosen path, ending in ".json" or ".csv" as
// the chosen file type says when the name typed has neither. False when cancelled.
bool ChooseReportFile(HWND owner, std::wstring& file);

// The chosen name with the file type's extension added when it has no report extension:
// filterIndex 2 is CSV, any other JSON.
std::wstring WithReportExtension(const std::wstring& file, DWORD filterIndex);
