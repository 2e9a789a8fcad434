// The names in a save's target: each one filled in as a folder name, and the texts whose
// braces are no known name refused.
#include <gtest/gtest.h>

#include "saving/TargetNames.h"

TEST(TargetNames, EachNameIsFilledInAsAFolderNameAndBadBracesAreRefused)
{
    TargetNameValues values;
    values.computer = L"PC-0042";
    values.manufacturer = L"ASUSTeK COMPUTER INC.";
    values.model = L"";
    values.os = L"Windows 11 x64";
    values.date = L"2024-05-01";
    const struct {
        const wchar_t* text;
        const wchar_t* expanded;  // null: refused
        TargetNameError error;
    } rows[] = {
        {L"D:\\Drivers", L"D:\\Drivers", TargetNameError::None},
        {L"\\\\srv\\share\\{os}\\{manufacturer}\\{model}", L"\\\\srv\\share\\Windows 11 x64\\ASUSTeK COMPUTER INC\\Unknown model",
         TargetNameError::None},
        {L"D:\\{COMPUTER}-{Date}", L"D:\\PC-0042-2024-05-01", TargetNameError::None},
        {L"{computer}{computer}", L"PC-0042PC-0042", TargetNameError::None},
        {L"D:\\{serial}", nullptr, TargetNameError::UnknownName},
        {L"D:\\{}", nullptr, TargetNameError::UnknownName},
        {L"D:\\{ os}", nullptr, TargetNameError::UnknownName},
        {L"D:\\{os", nullptr, TargetNameError::UnmatchedBrace},
        {L"D:\\os}", nullptr, TargetNameError::UnmatchedBrace},
        {L"D:\\{{os}}", nullptr, TargetNameError::UnmatchedBrace},
        {L"D:\\{os}\\{model", nullptr, TargetNameError::UnmatchedBrace},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(row.text)));
        EXPECT_EQ(CheckTargetNames(row.text), row.error);
        const std::optional<std::wstring> expanded = ExpandTargetNames(row.text, values);
        EXPECT_EQ(expanded.value_or(L"(refused)"), row.expanded ? row.expanded : L"(refused)");
    }
}

TEST(TargetNames, AValueCannotLeaveItsFolderPart)
{
    // A maker's text is no path: separators, dots and device names make one folder name.
    const struct {
        const wchar_t* manufacturer;
        const wchar_t* folder;
    } rows[] = {
        {L"..\\..\\Windows", L"Windows"},
        {L"A/B: C*", L"AB C"},
        {L"CON", L"CON_"},
        {L" . ", L"Unknown maker"},
        {L"", L"Unknown maker"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(row.manufacturer)));
        TargetNameValues values;
        values.manufacturer = row.manufacturer;
        EXPECT_EQ(ExpandTargetNames(L"X:\\{manufacturer}\\d", values), L"X:\\" + std::wstring(row.folder) + L"\\d");
    }
}

TEST(TargetNames, UsesTargetNameFindsANameInAnyCase)
{
    EXPECT_TRUE(UsesTargetName(L"D:\\{OS}\\x", L"os"));
    EXPECT_FALSE(UsesTargetName(L"D:\\{model}\\os", L"os"));
}
