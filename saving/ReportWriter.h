// Writes a device report as JSON or CSV, chosen by the file's extension, and reads a JSON one
// back (an earlier backup's report.json). Both are UTF-8 with fixed English names, so that a
// script reads them the same on any language of Windows.
#pragma once

#include <optional>
#include <string>

#include "saving/DeviceReport.h"

// The report every backup holds at its top, beside its log.
const wchar_t kBackupReportName[] = L"report.json";

// JSON: one object with the run's facts, "devices" (each with its "files") and "summary".
std::string ReportJson(const DeviceReport& report);

// The report that ReportJson wrote, read back by the same fields; a field that is missing or of
// another type reads as empty. None when text is no JSON object of this program's report.
std::optional<DeviceReport> ParseReportJson(const std::string& text);

// The JSON report in file, read back; none when it cannot be read or is no report of this
// program.
std::optional<DeviceReport> ReadReportFile(const std::wstring& file);

// CSV (RFC 4180, with a byte order mark): a header row of the JSON names, then one row per file
// of a device, the device's columns repeated; a device without files has one row. The ID lists
// are joined by ";".
std::string ReportCsv(const DeviceReport& report);

// One CSV cell of UTF-8 text: with a leading apostrophe when the text starts with "=", "+",
// "-", "@", a tab or a carriage return (which a spreadsheet would run as a formula), then
// quoted when it holds a comma, a quote or a line break, its quotes doubled.
std::string CsvCell(const std::string& text);

// True when the file's name ends in ".json" or ".csv" (in any case).
bool IsReportFileName(const std::wstring& file);

// Writes the report to file: CSV when its name ends in ".csv" (in any case), else JSON. False
// when the file cannot be written whole.
bool WriteReportFile(const std::wstring& file, const DeviceReport& report);
