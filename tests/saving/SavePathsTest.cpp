// Names and paths of a save: folder names from display texts, free variants of a path,
// folder creation, free space, 64-bit totals, and where a driver file may be written.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include "saving/SavePaths.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestFiles.h"

namespace {

std::wstring Valid(std::wstring text)
{
    MakeValidFileName(text);
    return text;
}

bool Exists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

TEST(MakeValidFileName, BracketsBecomeParenthesesAndReservedCharactersGo)
{
    EXPECT_EQ(Valid(L"Foo <Bar>: A/B"), L"Foo (Bar) AB");
    EXPECT_EQ(Valid(L"a:b\\c/d*e?f\"g|h;i^j&k+l=m"), L"abcdefghijklm");
    EXPECT_EQ(Valid(L"<<>>"), L"(())");
    EXPECT_EQ(Valid(L"Caf\x00e9 \x4e2d [x] (y) {z} #1 %2 ~'!@$,.x"), L"Caf\x00e9 \x4e2d [x] (y) {z} #1 %2 ~'!@$,.x");
}

TEST(MakeValidFileName, WhiteSpaceIsTrimmedBeforeAndAfterCharactersAreDeleted)
{
    EXPECT_EQ(Valid(L" \t\r\n\v\fName\t \n"), L"Name");
    EXPECT_EQ(Valid(L"Foo ?"), L"Foo") << "the system would drop the blank: the name would not find its folder";
    EXPECT_EQ(Valid(L"? Foo"), L"Foo");
    EXPECT_EQ(Valid(L"Foo. . ?"), L"Foo") << "trailing dots go too";
    EXPECT_EQ(Valid(L".Foo"), L".Foo") << "a leading dot stays";
    EXPECT_EQ(Valid(L"A\x0001" L"B\x001f\tC\x007f"), L"ABC\x007f") << "control characters U+0001 to U+001F go";
    EXPECT_EQ(Valid(L"In  the middle"), L"In  the middle");
    EXPECT_EQ(Valid(L"\x3000wide blank\x3000"), L"wide blank") << "any character classified as space";
    EXPECT_EQ(Valid(L""), L"");
}

TEST(MakeValidFileName, NothingIsShortened)
{
    const std::wstring longName(1000, L'n');
    EXPECT_EQ(Valid(longName), longName);
}

TEST(FolderNameOf, FirstUsableCandidateWins)
{
    EXPECT_EQ(FolderNameOf({L"USB <Hub>", L"Generic hub"}), L"USB (Hub)");
    EXPECT_EQ(FolderNameOf({L"???", L"Generic hub"}), L"Generic hub");
    EXPECT_EQ(FolderNameOf({L"", L"Ports"}), L"Ports");
}

TEST(FolderNameOf, NamesThatWouldNameTheParentFolderAreReplaced)
{
    EXPECT_EQ(FolderNameOf({L"*:*", L""}), L"Unknown device");
    EXPECT_EQ(FolderNameOf({L"."}), L"Unknown device");
    EXPECT_EQ(FolderNameOf({L".."}), L"Unknown device");
    EXPECT_EQ(FolderNameOf({L"..\\.."}), L"Unknown device") << "'....' is still only dots";
    EXPECT_EQ(FolderNameOf({L"? . ?"}), L"Unknown device");
    EXPECT_EQ(FolderNameOf({}), L"Unknown device");
}

TEST(FolderNameOf, LeadingDotsThatWouldClimbOutAreDropped)
{
    EXPECT_EQ(FolderNameOf({L"..x"}), L"x");
    EXPECT_EQ(FolderNameOf({L"..Evil"}), L"Evil");
    EXPECT_EQ(FolderNameOf({L"..\\..\\Up"}), L"Up");
    EXPECT_EQ(FolderNameOf({L".. x"}), L"x");
    EXPECT_EQ(FolderNameOf({L".NET device"}), L".NET device") << "one dot reads as no folder of its own";
}

TEST(FolderNameOf, ReservedDeviceNamesBecomeFolderNames)
{
    EXPECT_EQ(FolderNameOf({L"NUL.txt"}), L"NUL_.txt");
    EXPECT_EQ(FolderNameOf({L"AUX.x"}), L"AUX_.x");
    EXPECT_EQ(FolderNameOf({L"COM1.sys"}), L"COM1_.sys");
    EXPECT_EQ(FolderNameOf({L"con"}), L"con_");
    EXPECT_EQ(FolderNameOf({L"Lpt9 .a.b"}), L"Lpt9 _.a.b");
    EXPECT_EQ(FolderNameOf({L"CONOUT$"}), L"CONOUT$_");
    EXPECT_EQ(FolderNameOf({L"COM\x00b9"}), L"COM\x00b9_");
    EXPECT_EQ(FolderNameOf({L"..NUL"}), L"NUL_");
    EXPECT_EQ(FolderNameOf({L"COM10"}), L"COM10");
    EXPECT_EQ(FolderNameOf({L"Console"}), L"Console");
    EXPECT_EQ(FolderNameOf({L"NULL.txt"}), L"NULL.txt");
}

TEST(MakeUniquePath, FreePathIsKept)
{
    TempFolder folder;
    EXPECT_EQ(MakeUniquePath(folder / L"Device"), folder / L"Device");
}

TEST(MakeUniquePath, NumbersAreAppendedToThePathAsGiven)
{
    TempFolder folder;
    const std::wstring device = folder / L"Device";
    ASSERT_TRUE(::CreateDirectoryW(device.c_str(), nullptr));
    EXPECT_EQ(MakeUniquePath(device), device + L"[1]");
    ASSERT_TRUE(::CreateDirectoryW((device + L"[1]").c_str(), nullptr));
    EXPECT_EQ(MakeUniquePath(device), device + L"[2]") << "never Device[1][1]";
    ASSERT_TRUE(WriteFileBytes(device + L"[2]", "a file counts too"));
    EXPECT_EQ(MakeUniquePath(device), device + L"[3]");
}

TEST(CreateUniqueFolder, TakesTheFirstFreeNameWithItsParents)
{
    TempFolder folder;
    const FolderPath classFolder = FolderOf(folder / L"Class");
    const std::wstring device = folder / L"Class\\Device";
    std::wstring made;
    ASSERT_TRUE(CreateUniqueFolder(classFolder, L"Device", made));
    EXPECT_EQ(made, device) << "missing parents are made";
    ASSERT_EQ(CreateUniqueFolder(classFolder, L"Device", made)->Full(), device + L"[1]");
    EXPECT_EQ(made, device + L"[1]");
    ASSERT_TRUE(WriteFileBytes(device + L"[2]", "a file takes the name too"));
    ASSERT_TRUE(CreateUniqueFolder(classFolder, L"Device", made));
    EXPECT_EQ(made, device + L"[3]") << "never Device[1][1]";
    EXPECT_TRUE(::PathIsDirectoryW(made.c_str()));

    ASSERT_TRUE(WriteFileBytes(folder / L"File", "x"));
    EXPECT_FALSE(CreateUniqueFolder(FolderOf(folder / L"File"), L"Device", made)) << "its parent is a file";
    EXPECT_EQ(made, folder / L"File\\Device");
    const std::wstring nearName(MAX_PATH - 3 - folder.path().size(), L'n');
    ASSERT_TRUE(WriteFileBytes(folder / nearName, "takes the name that fits"));
    EXPECT_TRUE(CreateUniqueFolder(FolderOf(folder.path()), nearName, made));
    EXPECT_EQ(made, folder / nearName + L"[1]") << "a numbered name past the classic limit is made whole";
    EXPECT_EQ(ListTree(folder.path()).size(), 8u) << "nothing else made";
}

TEST(CreateFolderPath, MissingParentsAreCreated)
{
    TempFolder folder;
    const std::wstring deep = folder / L"a\\b\\c";
    EXPECT_TRUE(CreateFolderPath(FolderOf(deep)));
    EXPECT_TRUE(::PathIsDirectoryW(deep.c_str()));
    EXPECT_TRUE(CreateFolderPath(FolderOf(deep))) << "an existing folder is success";
    EXPECT_TRUE(CreateFolderPath(FolderOf(folder / L"a\\b\\c\\"))) << "closing backslash";
    EXPECT_TRUE(CreateFolderPath(FolderOf(folder / L"a\\\\d\\e")));
    EXPECT_TRUE(::PathIsDirectoryW((folder / L"a\\d\\e").c_str())) << "a doubled backslash reads as one";
    EXPECT_TRUE(CreateFolderPath(FolderOf(folder.path().substr(0, 3)))) << "a drive's root exists";
}

TEST(CreateFolderPath, DotPartsAreResolvedFirst)
{
    TempFolder folder;
    EXPECT_TRUE(CreateFolderPath(FolderOf(folder / L"x\\..\\y\\.\\z")));
    EXPECT_TRUE(::PathIsDirectoryW((folder / L"y\\z").c_str()));
    EXPECT_FALSE(Exists(folder / L"x")) << "x is resolved away, not created";
    EXPECT_TRUE(CreateFolderPath(FolderOf(folder / L"out\\..Backups\\sub")));
    EXPECT_TRUE(::PathIsDirectoryW((folder / L"out\\..Backups\\sub").c_str())) << "a name that starts with two dots is a name";
}

TEST(CreateFolderPath, FileInTheWayFails)
{
    TempFolder folder;
    ASSERT_TRUE(WriteFileBytes(folder / L"file", "x"));
    EXPECT_TRUE(CreateFolderPath(FolderOf(folder / L"file"))) << "an existing file counts as existing";
    EXPECT_FALSE(CreateFolderPath(FolderOf(folder / L"file\\sub")));
    EXPECT_FALSE(CreateFolderPath(FolderOf(folder / L"file\\sub\\deeper")));
    EXPECT_TRUE(CreateFolderPath(FolderOf(folder / L"one\\two")));
}

TEST(CreateFolderPath, PathBeyondTheClassicLimitIsMadeWhole)
{
    TempFolder folder;
    const std::wstring a(150, L'a');
    const std::wstring b = a + L"\\" + std::wstring(150, L'b');
    EXPECT_TRUE(CreateFolderPath(FolderOf(folder / b, {kLongPathLength, false})));
    EXPECT_EQ(ListTree(folder.path()), (std::vector<std::wstring>{a + L"\\", b + L"\\"}));
}

TEST(GetFreeSpace, ReportsTheVolumesFreeBytes)
{
    TempFolder folder;
    ULARGE_INTEGER available = {};
    ULARGE_INTEGER total = {};
    ULARGE_INTEGER totalFree = {};
    ASSERT_TRUE(::GetDiskFreeSpaceExW(folder.path().c_str(), &available, &total, &totalFree));
    uint64_t free = 0;
    EXPECT_TRUE(GetFreeSpace(folder.path(), free));
    EXPECT_GT(free, 0u);
    // The volume is shared with other programs: allow for their writes meanwhile.
    const uint64_t slack = 1ULL << 30;
    EXPECT_LT(free > totalFree.QuadPart ? free - totalFree.QuadPart : totalFree.QuadPart - free, slack);
}

TEST(GetFreeSpace, UnknownVolumeIsAFailureNotAFullDisk)
{
    uint64_t free = 1;
    EXPECT_FALSE(GetFreeSpace(L"\\\\no-such-server\\no-such-share\\x", free));
    EXPECT_EQ(free, 0u);
}

TEST(TotalSize, SumsBeyondFourGibibytes)
{
    std::deque<DriverFile> files(3);
    files[0].size = 0xC0000000u;
    files[1].size = 0xC0000000u;
    files[2].size = 7;
    EXPECT_EQ(TotalSize(files), 0x180000007ULL);
    EXPECT_EQ(TotalSize({}), 0u);
}

TEST(SpaceTaken, EveryFileTakesWholeAllocationUnits)
{
    EXPECT_EQ(SpaceTaken(1, 4096), 4096u);
    EXPECT_EQ(SpaceTaken(4096, 4096), 4096u);
    EXPECT_EQ(SpaceTaken(4097, 4096), 8192u);
    EXPECT_EQ(SpaceTaken(0, 4096), 0u) << "an empty file holds no unit";
    EXPECT_EQ(SpaceTaken(5, 1), 5u) << "a unit of one byte counts bytes";
    EXPECT_EQ(SpaceTaken(0xFFFFFFFFull, 65536), 0x100000000ull) << "in 64 bits";
    std::deque<DriverFile> files(100);
    for (DriverFile& file : files)
        file.size = 1;
    EXPECT_EQ(SpaceTaken(files, 4096), 100u * 4096u);
    // A device needs room for at least one unit, however small its files: a full volume
    // takes none of them.
    EXPECT_EQ(SpaceTaken(std::deque<DriverFile>(3), 4096), 4096u) << "a set of empty files";
    EXPECT_EQ(SpaceTaken(std::deque<DriverFile>(), 4096), 4096u) << "no files at all";
    EXPECT_EQ(SpaceTaken(std::deque<DriverFile>(2), 1), 1u) << "a byte where the unit is not known";
}

TEST(GetAllocationUnit, AFolderOfTheSystemVolumeHasOne)
{
    TempFolder folder;
    uint64_t unit = 0;
    ASSERT_TRUE(GetAllocationUnit(folder.path(), unit));
    EXPECT_GE(unit, 512u);
    EXPECT_EQ(unit & (unit - 1), 0u) << "a power of two";
}
