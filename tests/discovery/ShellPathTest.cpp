// Path building: joins that never cut a path short, and the name a queued file gets inside a
// driver's folder.
#include <gtest/gtest.h>

#include "discovery/DriverFileFinder.h"
#include "platform/ShellPath.h"

TEST(ShellPath, AppendPutsOneBackslashBetweenParts)
{
    std::wstring path = L"C:\\Drivers\\";
    ASSERT_TRUE(AppendPath(path, L"Net"));
    EXPECT_EQ(path, L"C:\\Drivers\\Net");
    ASSERT_TRUE(AppendPath(path, L"\\card.inf"));
    EXPECT_EQ(path, L"C:\\Drivers\\Net\\card.inf");
    std::wstring empty;
    ASSERT_TRUE(AppendPath(empty, L"oem3.inf"));
    EXPECT_EQ(empty, L"oem3.inf") << "an empty folder text looks a file up by its bare name";
}

TEST(ShellPath, AppendThatDoesNotFitFailsAndLeavesThePath)
{
    std::wstring path = L"C:\\" + std::wstring(250, L'a');
    const std::wstring before = path;
    EXPECT_FALSE(AppendPath(path, std::wstring(20, L'b')));
    EXPECT_EQ(path, before);
    EXPECT_EQ(JoinPath(before, std::wstring(20, L'b')), L"");
    std::wstring huge(600, L'c');
    EXPECT_FALSE(AppendPath(huge, L"x"));
}

TEST(ShellPath, CanonicalizeResolvesDotsOrFails)
{
    std::wstring canonical;
    ASSERT_TRUE(CanonicalizePath(L"C:\\pkg\\x64\\..\\sub\\.\\f.dll", canonical));
    EXPECT_EQ(canonical, L"C:\\pkg\\sub\\f.dll");
    EXPECT_FALSE(CanonicalizePath(L"C:\\" + std::wstring(520, L'a'), canonical));
}

TEST(ShellPath, SmallHelpers)
{
    EXPECT_EQ(WithBackslash(L"C:\\windows"), L"C:\\windows\\");
    EXPECT_EQ(WithBackslash(L"C:\\windows\\"), L"C:\\windows\\");
    EXPECT_EQ(WithBackslash(L""), L"");
    EXPECT_EQ(FileNamePart(L"C:\\windows\\inf\\oem3.inf"), L"oem3.inf");
    EXPECT_EQ(FileNamePart(L""), L"");
    EXPECT_EQ(WithoutFileName(L"C:\\pkg\\card.inf"), L"C:\\pkg");
    std::wstring renamed = L"C:\\windows\\inf\\oem12.inf";
    ASSERT_TRUE(RenameExtension(renamed, L".cat"));
    EXPECT_EQ(renamed, L"C:\\windows\\inf\\oem12.cat");
    EXPECT_EQ(WithoutLeadingBackslashes(L"\\\\x64\\f.dll"), L"x64\\f.dll");
    EXPECT_EQ(WithoutLeadingBackslashes(L"\\\\"), L"");
    EXPECT_EQ(FoldAsciiCase(L"AbZ\u00c9"), L"abz\u00c9");
    EXPECT_TRUE(EqualsFoldingAsciiCase(L"CARD.SYS", L"card.sys"));
    EXPECT_FALSE(EqualsFoldingAsciiCase(L"card.sys", L"card.sy"));
}

TEST(SourceName, JoinsSourcePathSubdirectoryAndFileName)
{
    EXPECT_EQ(JoinSourceName(L"", L"", L"card.sys"), L"card.sys");
    EXPECT_EQ(JoinSourceName(L"x64", L"", L"card.sys"), L"x64\\card.sys");
    EXPECT_EQ(JoinSourceName(L"", L"sub", L"card.sys"), L"sub\\card.sys");
    EXPECT_EQ(JoinSourceName(L"x64", L"sub", L"card.sys"), L"x64\\sub\\card.sys");
    EXPECT_EQ(JoinSourceName(L"x64", L"\\sub\\deeper", L"card.sys"), L"x64\\sub\\deeper\\card.sys");
    EXPECT_EQ(JoinSourceName(L"", L"\\\\sub", L"card.sys"), L"sub\\card.sys") << "leading backslashes go";
}

TEST(SourceName, PartsThatWouldClimbOutAreDropped)
{
    EXPECT_EQ(JoinSourceName(L"..\\..\\up", L"", L"card.sys"), L"up\\card.sys");
    EXPECT_EQ(JoinSourceName(L"x64", L"..\\..\\..", L"card.sys"), L"card.sys");
    EXPECT_EQ(JoinSourceName(L"\\\\server\\share", L"", L"card.sys"), L"server\\share\\card.sys");
}

TEST(SourceName, NameThatDoesNotFitIsNoName)
{
    EXPECT_EQ(JoinSourceName(std::wstring(200, L'p'), std::wstring(100, L's'), L"card.sys"), L"");
}
