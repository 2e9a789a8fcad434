// The last-resort search by file name under a folder tree: the same first match as a plain
// depth-first walk, however many names are asked for and in whatever order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/FileSearchIndex.h"
#include "platform/Handles.h"
#include "platform/ShellPath.h"
#include "tests/discovery/PlainWalk.h"
#include "tests/support/TempFolder.h"

namespace {

class FileSearchIndexTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Several copies of the same names at different depths, so that "first" matters.
        for (const wchar_t* relative :
             {L"a\\one.sys", L"a\\deep\\er\\two.dll", L"b\\two.dll", L"b\\one.sys", L"c\\x\\y\\z\\three.inf",
              L"c\\Two.DLL", L"four.cat", L"d\\four.cat", L"e\\MiXeD.bin", L"e\\f\\mixed.bin"}) {
            ASSERT_TRUE(WriteFileBytes(tree / relative, std::string(std::wstring(relative).size(), 'x')));
        }
        ASSERT_TRUE(MakeFolders(tree / L"named-like-a-file.sys"));
    }

    std::wstring Expected(const std::wstring& name)
    {
        std::wstring found;
        return PlainWalk(tree.path(), name, found) ? found : std::wstring();
    }

    TempFolder tree;
};

} // namespace

TEST_F(FileSearchIndexTest, FindsTheSameFirstMatchAsAFreshWalkForEveryName)
{
    FileSearchIndex index(FolderOf(tree.path()));
    // Out of walk order on purpose, with repeats and unknown names between.
    for (const wchar_t* name : {L"three.inf", L"one.sys", L"TWO.dll", L"missing.sys", L"four.cat", L"mixed.BIN",
                                L"one.sys", L"three.inf", L"nothing"}) {
        SCOPED_TRACE(name);
        DriverFile file;
        const std::wstring expected = Expected(name);
        EXPECT_EQ(index.Find(name, file), !expected.empty());
        EXPECT_EQ(file.path, expected);
    }
}

TEST_F(FileSearchIndexTest, FillsSizeAndCreationTimeOfTheMatch)
{
    FileSearchIndex index(FolderOf(tree.path()));
    DriverFile file;
    ASSERT_TRUE(index.Find(L"three.inf", file));
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(::GetFileAttributesExW(file.path.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(file.size, data.nFileSizeLow);
    EXPECT_EQ(file.size, std::wstring(L"c\\x\\y\\z\\three.inf").size());
    EXPECT_EQ(file.time.dwLowDateTime, data.ftCreationTime.dwLowDateTime);
    EXPECT_EQ(file.time.dwHighDateTime, data.ftCreationTime.dwHighDateTime);
}

TEST_F(FileSearchIndexTest, SizeBeyondFourGibibytesIsWhole)
{
    const std::wstring path = tree / L"huge.bin";
    {
        // Set by its end alone, the file takes no room on the disk.
        UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(file.valid());
        DWORD returned = 0;
        ::DeviceIoControl(file.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
        LARGE_INTEGER end = {};
        end.QuadPart = 0x140000000LL;  // 5 GiB
        ASSERT_TRUE(::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN));
        ASSERT_TRUE(::SetEndOfFile(file.get()));
    }
    DriverFile file;
    EXPECT_TRUE(ReadFoundFile(path, file));
    EXPECT_EQ(file.size, 0x140000000ull);
    ::DeleteFileW(path.c_str());
}

TEST_F(FileSearchIndexTest, LettersOfEveryScriptIgnoreCaseAsOnDisk)
{
    ASSERT_TRUE(WriteFileBytes(tree / L"g\\\u00e9t\u00e9.sys", "e"));
    ASSERT_TRUE(WriteFileBytes(tree / L"g\\\u0434\u0440\u0430\u0439\u0432\u0435\u0440.sys", "cyrillic"));  // драйвер
    ASSERT_TRUE(WriteFileBytes(tree / L"g\\\u03ba\u03ac\u03c1\u03c4\u03b1.sys", "greek"));  // κάρτα
    FileSearchIndex index(FolderOf(tree.path()));
    DriverFile file;
    EXPECT_TRUE(index.Find(L"\u00e9T\u00e9.SYS", file));
    EXPECT_TRUE(index.Find(L"\u00c9t\u00c9.sys", file)) << "accented capitals name the same file";
    EXPECT_TRUE(index.Find(L"\u0414\u0420\u0410\u0419\u0412\u0415\u0420.SYS", file));  // ДРАЙВЕР
    EXPECT_EQ(ReadFileBytes(file.path), "cyrillic");
    EXPECT_TRUE(index.Find(L"\u039a\u0386\u03a1\u03a4\u0391.sys", file));  // ΚΆΡΤΑ
    EXPECT_EQ(ReadFileBytes(file.path), "greek");
    EXPECT_FALSE(index.Find(L"et\u00e9.sys", file)) << "a letter without its accent is another name";
}

TEST_F(FileSearchIndexTest, FoldersNeverMatchAndMissingFilesLeaveTheRecordAlone)
{
    FileSearchIndex index(FolderOf(tree.path()));
    DriverFile file;
    file.path = L"unchanged";
    file.size = 7;
    EXPECT_FALSE(index.Find(L"named-like-a-file.sys", file));
    EXPECT_FALSE(index.Find(L"", file));
    EXPECT_EQ(file.path, L"unchanged");
    EXPECT_EQ(file.size, 7u);
}

TEST_F(FileSearchIndexTest, AFileDeletedAfterItWasPassedIsLookedUpAfresh)
{
    FileSearchIndex index(FolderOf(tree.path()));
    DriverFile file;
    ASSERT_TRUE(index.Find(L"four.cat", file));
    const std::wstring first = file.path;
    ASSERT_TRUE(::DeleteFileW(first.c_str()));
    ASSERT_TRUE(index.Find(L"four.cat", file));
    EXPECT_NE(file.path, first);
    EXPECT_EQ(file.path, Expected(L"four.cat"));
}

TEST_F(FileSearchIndexTest, InvalidateSeesFilesWrittenSince)
{
    FileSearchIndex index(FolderOf(tree.path()));
    DriverFile file;
    EXPECT_FALSE(index.Find(L"late.sys", file));
    ASSERT_TRUE(WriteFileBytes(tree / L"late\\late.sys", "late"));
    index.Invalidate();
    ASSERT_TRUE(index.Find(L"late.sys", file));
    EXPECT_EQ(file.path, tree / L"late\\late.sys");
}

TEST_F(FileSearchIndexTest, MissingRootFindsNothing)
{
    FileSearchIndex index(FolderPath::Resolve(tree / L"no-such-folder", {kClassicPathLength, true}));
    DriverFile file;
    EXPECT_FALSE(index.Find(L"one.sys", file));
}

TEST_F(FileSearchIndexTest, PathsBeyondTheLimitAreSkippedNotShortened)
{
    // A chain of folders whose deepest file's path does not fit the classic limit; made
    // with the long-path prefix, one folder at a time.
    std::wstring deep = tree.path();
    while (deep.size() < 300) {
        deep += L"\\abcdefghijklmnopqrstuvwxyz";
        ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
    }
    ASSERT_TRUE(WriteFileBytes(L"\\\\?\\" + deep + L"\\unreachable.sys", "deep"));
    FileSearchIndex index(FolderOf(tree.path()));
    DriverFile file;
    EXPECT_FALSE(index.Find(L"unreachable.sys", file));
    EXPECT_TRUE(index.Find(L"one.sys", file)) << "the rest of the tree is still searched";
}

// A directory link that points back up the tree: following it would never end.
TEST_F(FileSearchIndexTest, DirectoryLinkLoopIsNotFollowed)
{
    const std::wstring link = tree / L"a\\deep\\back-to-top";
    ASSERT_TRUE(MakeDirectoryLink(link, tree.path()));
    const DWORD attributes = ::GetFileAttributesW(link.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(attributes & FILE_ATTRIBUTE_REPARSE_POINT);

    FileSearchIndex index(FolderOf(tree.path()));
    DriverFile file;
    EXPECT_FALSE(index.Find(L"nowhere.sys", file));
    for (const wchar_t* name : {L"three.inf", L"one.sys", L"mixed.bin"}) {
        ASSERT_TRUE(index.Find(name, file));
        EXPECT_EQ(file.path.find(L"back-to-top"), std::wstring::npos) << file.path;
    }
}

// A file found that is a link is judged where it leads: out of the searched folder it is not
// taken (nothing of it is read), inside it is.
TEST_F(FileSearchIndexTest, ALinkThatLeadsOutOfTheSearchedFolderIsNotTaken)
{
    TempFolder outside;
    ASSERT_TRUE(WriteFileBytes(outside / L"out.sys", "outside"));
    ASSERT_TRUE(MakeFileLink(tree / L"a\\out.sys", outside / L"out.sys"));
    ASSERT_TRUE(MakeFileLink(tree / L"a\\in.sys", tree / L"four.cat"));
    FileSearchIndex index(FolderOf(tree.path()));
    DriverFile file;
    EXPECT_FALSE(index.Find(L"out.sys", file));
    EXPECT_EQ(file.refusal, PathRefusal::Outside);
    ASSERT_TRUE(index.Find(L"in.sys", file));
    EXPECT_EQ(file.path, tree / L"a\\in.sys");
    EXPECT_EQ(file.size, std::wstring(L"four.cat").size());
}
