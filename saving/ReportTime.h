// Times in a device report: ISO 8601 in UTC, exact to the file system's 100 ns, so that a
// time read back from an earlier report compares equal to the file's time it was taken from.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// "yyyy-mm-ddThh:mm:ss.fffffffZ" (seven digits of the second's fraction).
std::wstring ReportTimeText(const FILETIME& time);

// The time of "yyyy-mm-ddThh:mm:ssZ" with or without a fraction of up to seven digits; none
// for any other text.
std::optional<FILETIME> ParseReportTime(const std::wstring& text);

// "yyyy-mm-dd" of a report time in local time; empty when text is none.
std::wstring LocalDateOf(const std::wstring& text);
