#include "saving/ReportTime.h"

#include <cwchar>

namespace {

const unsigned long long kTicksPerSecond = 10000000ull;

unsigned long long TicksOf(const FILETIME& time)
{
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME TimeOfTicks(unsigned long long ticks)
{
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return time;
}

// The digits of text from at, exactly count of them; -1 otherwise.
long Digits(const std::wstring& text, size_t at, size_t count)
{
    if (at + count > text.size())
        return -1;
    long value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < L'0' || text[i] > L'9')
            return -1;
        value = value * 10 + (text[i] - L'0');
    }
    return value;
}

} // namespace

std::wstring ReportTimeText(const FILETIME& time)
{
    SYSTEMTIME utc = {};
    if (!::FileTimeToSystemTime(&time, &utc))
        return std::wstring();
    wchar_t text[40] = L"";
    ::swprintf_s(text, L"%04u-%02u-%02uT%02u:%02u:%02u.%07luZ", utc.wYear, utc.wMonth, utc.wDay, utc.wHour,
                 utc.wMinute, utc.wSecond, static_cast<unsigned long>(TicksOf(time) % kTicksPerSecond));
    return text;
}

std::optional<FILETIME> ParseReportTime(const std::wstring& text)
{
    // "yyyy-mm-ddThh:mm:ss" then an optional fraction, then "Z".
    if (text.size() < 20 || text[4] != L'-' || text[7] != L'-' || text[10] != L'T' || text[13] != L':' ||
        text[16] != L':' || text.back() != L'Z')
        return std::nullopt;
    SYSTEMTIME utc = {};
    const long parts[] = {Digits(text, 0, 4), Digits(text, 5, 2), Digits(text, 8, 2),
                          Digits(text, 11, 2), Digits(text, 14, 2), Digits(text, 17, 2)};
    for (long part : parts) {
        if (part < 0)
            return std::nullopt;
    }
    utc.wYear = static_cast<WORD>(parts[0]);
    utc.wMonth = static_cast<WORD>(parts[1]);
    utc.wDay = static_cast<WORD>(parts[2]);
    utc.wHour = static_cast<WORD>(parts[3]);
    utc.wMinute = static_cast<WORD>(parts[4]);
    utc.wSecond = static_cast<WORD>(parts[5]);
    unsigned long long fraction = 0;
    const size_t fractionDigits = text.size() - 20;
    if (fractionDigits > 0) {
        // ".f" to ".fffffff"
        if (text[19] != L'.' || fractionDigits < 2 || fractionDigits > 8)
            return std::nullopt;
        const long digits = Digits(text, 20, fractionDigits - 1);
        if (digits < 0)
            return std::nullopt;
        fraction = static_cast<unsigned long long>(digits);
        for (size_t i = fractionDigits - 1; i < 7; ++i)
            fraction *= 10;
    }
    FILETIME time = {};
    if (!::SystemTimeToFileTime(&utc, &time))
        return std::nullopt;
    return TimeOfTicks(TicksOf(time) + fraction);
}

std::wstring LocalDateOf(const std::wstring& text)
{
    const std::optional<FILETIME> utc = ParseReportTime(text);
    FILETIME local = {};
    SYSTEMTIME date = {};
    if (!utc || !::FileTimeToLocalFileTime(&*utc, &local) || !::FileTimeToSystemTime(&local, &date))
        return std::wstring();
    wchar_t day[16] = L"";
    ::swprintf_s(day, L"%04u-%02u-%02u", date.wYear, date.wMonth, date.wDay);
    return day;
}
