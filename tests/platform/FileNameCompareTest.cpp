// File names compared as the file system compares them: every letter that has a case, in any
// script, matches its other case; nothing else matches.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/FileNameCompare.h"

namespace {

struct NamePair {
    const wchar_t* left;
    const wchar_t* right;
    bool same;
};

const NamePair kPairs[] = {
    {L"CARD.SYS", L"card.sys", true},
    {L"\x0434\x0440\x0430\x0439\x0432\x0435\x0440.sys", L"\x0414\x0420\x0410\x0419\x0412\x0415\x0420.sys", true},  // драйвер / ДРАЙВЕР
    {L"\x03BA\x03AC\x03C1\x03C4\x03B1.inf", L"\x039A\x0386\x03A1\x03A4\x0391.inf", true},  // κάρτα / ΚΆΡΤΑ
    {L"\x00E9t\x00E9.dll", L"\x00C9T\x00C9.DLL", true},  // été / ÉTÉ
    {L"card.sys", L"card.sy", false},
    {L"\x0434\x0440\x0430\x0439\x0432\x0435\x0440.sys", L"\x0434\x0440\x0430\x0439\x0432\x0435\x0440.sis", false},
    {L"\x03B1.sys", L"\x03B2.sys", false},  // α / β
    {L"e.sys", L"\x00E9.sys", false},  // a letter and its accented form are two names
};

} // namespace

TEST(FileNameCompareTest, MatchesLettersOfEveryScriptInEitherCase)
{
    for (const NamePair& pair : kPairs) {
        EXPECT_EQ(SameFileName(pair.left, pair.right), pair.same) << pair.left << L" / " << pair.right;
        EXPECT_EQ(CompareFileNames(pair.left, pair.right) == 0, pair.same) << pair.left << L" / " << pair.right;
        EXPECT_EQ(CompareFileNames(pair.right, pair.left) == 0, pair.same) << pair.right << L" / " << pair.left;
    }
}

TEST(FileNameCompareTest, OrdersConsistentlyAndKeepsOneKeyPerFile)
{
    EXPECT_LT(CompareFileNames(L"card", L"CARD.sys"), 0);
    EXPECT_GT(CompareFileNames(L"CARD.sys", L"card"), 0);
    EXPECT_LT(CompareFileNames(L"a.sys", L"B.sys"), 0);
    std::set<std::wstring, FileNameLess> names;
    EXPECT_TRUE(names.insert(L"\x0434\x0440\x0430\x0439\x0432\x0435\x0440.sys").second);
    EXPECT_FALSE(names.insert(L"\x0414\x0420\x0410\x0419\x0412\x0415\x0420.sys").second);
    EXPECT_FALSE(names.insert(L"\x0414\x0440\x0430\x0439\x0432\x0435\x0440.SYS").second);
    EXPECT_TRUE(names.insert(L"\x0434\x0440\x0430\x0439\x0432\x0435\x0440.sis").second);
    EXPECT_EQ(names.size(), 2u);
}

TEST(FileNameCompareTest, FindsAFolderAtTheStartOfAPathInAnyCase)
{
    const std::wstring folder = L"C:\\\x0414\x0440\x0430\x0439\x0432\x0435\x0440\\";  // C:\Драйвер\ .
    EXPECT_TRUE(StartsWithFileName(L"c:\\\x0434\x0440\x0430\x0439\x0432\x0435\x0440\\card.sys", folder));
    EXPECT_FALSE(StartsWithFileName(L"C:\\\x0434\x0440\x0430\x0439\x0432\x0435\x0440", folder));
    EXPECT_FALSE(StartsWithFileName(L"C:\\Other\\card.sys", folder));
    EXPECT_TRUE(StartsWithFileName(L"anything", L""));
}
