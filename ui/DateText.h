// The one form of a date in the window: the user's short date format (DATE_SHORTDATE), for the
// device tree's driver dates and the driver files dialog's file dates alike. Logs and reports
// keep fixed forms of their own.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// The day in the user's short date format; empty when there is none or it cannot be formatted.
std::wstring ShortDateText(const std::optional<SYSTEMTIME>& day);
// The day of a file time, without conversion to local time; empty when it cannot be formatted.
std::wstring ShortDateText(const FILETIME& time);
