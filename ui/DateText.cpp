#include "ui/DateText.h"

std::wstring ShortDateText(const std::optional<SYSTEMTIME>& day)
{
    wchar_t text[128] = L"";
    if (!day || ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &*day, nullptr, text, 128, nullptr) == 0)
        return std::wstring();
    return text;
}

std::wstring ShortDateText(const FILETIME& time)
{
    SYSTEMTIME day = {};
    if (!::FileTimeToSystemTime(&time, &day))
        return std::wstring();
    return ShortDateText(std::optional<SYSTEMTIME>(day));
}
