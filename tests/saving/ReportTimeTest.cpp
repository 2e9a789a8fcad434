// Times of a device report: written exact to 100 ns in UTC, and read back as written.
#include <gtest/gtest.h>

#include "saving/ReportTime.h"

TEST(ReportTime, TextsReadBackToTheTicksTheyCameFrom)
{
    const struct {
        unsigned long long ticks;  // 100 ns since 1601
        const wchar_t* text;
    } rows[] = {
        {0x01d7123489abcdefull, L"2021-03-06T02:58:08.8056303Z"},
        {132539328000000000ull, L"2021-01-01T00:00:00.0000000Z"},
        {132539328000000001ull, L"2021-01-01T00:00:00.0000001Z"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(row.text)));
        FILETIME time;
        time.dwLowDateTime = static_cast<DWORD>(row.ticks);
        time.dwHighDateTime = static_cast<DWORD>(row.ticks >> 32);
        EXPECT_EQ(ReportTimeText(time), row.text);
        const std::optional<FILETIME> read = ParseReportTime(row.text);
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ((static_cast<unsigned long long>(read->dwHighDateTime) << 32) | read->dwLowDateTime, row.ticks);
    }
}

TEST(ReportTime, ShorterFractionsAndNoneAreRead)
{
    const struct {
        const wchar_t* text;
        unsigned long long ticks;  // 0: refused
    } rows[] = {
        {L"2021-01-01T00:00:00Z", 132539328000000000ull},
        {L"2021-01-01T00:00:00.5Z", 132539328005000000ull},
        {L"2021-01-01T00:00:00.123Z", 132539328001230000ull},
        {L"2021-01-01T00:00:00.Z", 0},
        {L"2021-01-01T00:00:00.12345678Z", 0},
        {L"2021-01-01 00:00:00Z", 0},
        {L"2021-13-01T00:00:00Z", 0},
        {L"2021-01-01T00:00:00", 0},
        {L"", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(row.text)));
        const std::optional<FILETIME> read = ParseReportTime(row.text);
        const unsigned long long ticks =
            read ? (static_cast<unsigned long long>(read->dwHighDateTime) << 32) | read->dwLowDateTime : 0;
        EXPECT_EQ(ticks, row.ticks);
    }
}
