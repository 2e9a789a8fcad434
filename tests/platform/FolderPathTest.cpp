// The one rule for a folder the user names and for what lies inside it: by text for what is
// about to be made, by the opened file for what is read.
#include <gtest/gtest.h>

#include "platform/FolderPath.h"
#include "tests/support/TempFolder.h"

namespace {

struct ResolveCase {
    const char* what;
    std::wstring text;
    PathRules rules;
    std::wstring full;  // empty: refused
    PathRefusal refusal;
};

// An existing folder under the temporary folder, with "Device" and "Device2" and a current
// folder of its own, so that relative texts resolve to known places.
class FolderPathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(MakeFolders(root / L"Device\\x64"));
        ASSERT_TRUE(MakeFolders(root / L"Device2"));
        ASSERT_TRUE(WriteFileBytes(root / L"Device\\f.sys", "driver"));
        ASSERT_TRUE(WriteFileBytes(root / L"Device2\\x", "sibling"));
        ASSERT_TRUE(current.entered());
        drive = root.path().substr(0, 2);
    }

    FolderPath Device() const
    {
        const PathResult<FolderPath> folder = FolderPath::Resolve(root / L"Device", {kClassicPathLength, true});
        EXPECT_TRUE(folder) << "the device folder";
        return *folder;
    }

    TempFolder root;
    CurrentFolderGuard current{root.path()};
    std::wstring drive;  // "C:"
};

} // namespace

TEST_F(FolderPathTest, ResolvesAsTheFileSystemDoes)
{
    const std::wstring here = root.path();
    const std::wstring longName = here + L"\\" + std::wstring(300, L'a');
    const std::vector<ResolveCase> cases = {
        {"the current folder", L".", {}, here, PathRefusal::None},
        {"a relative folder", L"Device", {}, here + L"\\Device", PathRefusal::None},
        {"a bare drive is its root", drive, {}, drive + L"\\", PathRefusal::None},
        {"rooted on the current drive", L"\\Backups", {}, drive + L"\\Backups", PathRefusal::None},
        {"trailing dots and blanks go", L"Device. . ", {}, here + L"\\Device", PathRefusal::None},
        {"trailing backslashes go", here + L"\\Device\\\\", {}, here + L"\\Device", PathRefusal::None},
        {"two dots and letters are a name", L"..Backups", {}, here + L"\\..Backups", PathRefusal::None},
        {"dot-dot climbs", L"Device\\..\\Device2", {}, here + L"\\Device2", PathRefusal::None},
        {"dot parts go", L"Device\\.\\x64\\..", {}, here + L"\\Device", PathRefusal::None},
        {"the current drive's root", L"\\", {}, drive + L"\\", PathRefusal::None},
        {"a share", L"\\\\server\\share", {}, L"\\\\server\\share", PathRefusal::None},
        {"the long form is the plain one", L"\\\\?\\" + here, {}, here, PathRefusal::None},
        {"beyond the classic limit", longName, {}, L"", PathRefusal::TooLong},
        {"long where the call takes it", longName, {kLongPathLength, false}, longName, PathRefusal::None},
        {"a stream", here + L"\\f.dll:ads", {}, L"", PathRefusal::AlternateStream},
        {"a device", L"NUL", {}, L"", PathRefusal::DeviceName},
        {"a device with an extension", here + L"\\con.txt", {}, L"", PathRefusal::DeviceName},
        {"nothing", L"  ", {}, L"", PathRefusal::Empty},
        {"no text at all", L"", {}, L"", PathRefusal::Empty},
        {"must exist and does not", L"Missing", {kClassicPathLength, true}, L"", PathRefusal::NotFound},
        {"must be a folder and is a file", L"Device\\f.sys", {kClassicPathLength, true}, L"", PathRefusal::NotAFolder},
        {"must exist and does", L"Device", {kClassicPathLength, true}, here + L"\\Device", PathRefusal::None},
    };
    for (const ResolveCase& c : cases) {
        SCOPED_TRACE(c.what);
        const PathResult<FolderPath> folder = FolderPath::Resolve(c.text, c.rules);
        EXPECT_EQ(folder.refusal(), c.refusal);
        ASSERT_EQ(static_cast<bool>(folder), !c.full.empty());
        if (folder) {
            EXPECT_EQ(folder->Full(), c.full);
            EXPECT_EQ(folder->Text(), c.text) << "the user's text is kept for messages";
        }
    }
}

TEST_F(FolderPathTest, ContainsComparesWholeNamesAsTheFileSystemDoes)
{
    const FolderPath device = Device();
    const std::wstring base = root.path();
    struct Case {
        const char* what;
        std::wstring path;
        bool contains;
        std::wstring relative;  // empty: none
    };
    const std::vector<Case> cases = {
        {"the folder itself", base + L"\\Device", true, L""},
        {"a file in it", base + L"\\Device\\f.sys", true, L"f.sys"},
        {"deeper", base + L"\\Device\\x64\\f.sys", true, L"x64\\f.sys"},
        {"other case", base + L"\\DEVICE\\F.SYS", true, L"F.SYS"},
        {"a sibling whose name starts with the folder's", base + L"\\Device2\\x", false, L""},
        {"dot-dot that climbs out", base + L"\\Device\\..\\Device2\\x", false, L""},
        {"dot-dot that stays", base + L"\\Device\\x64\\..\\f.sys", true, L"f.sys"},
        {"the parent", base, false, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(device.Contains(c.path), c.contains);
        const std::optional<std::wstring> relative = device.RelativeName(c.path);
        EXPECT_EQ(relative.value_or(L""), c.relative);
    }
}

TEST_F(FolderPathTest, CyrillicNamesFoldTheirCase)
{
    ASSERT_TRUE(MakeFolders(root / L"\u0434\u0440\u0430\u0439\u0432\u0435\u0440"));
    const PathResult<FolderPath> folder = FolderPath::Resolve(root / L"\u0434\u0440\u0430\u0439\u0432\u0435\u0440");
    ASSERT_TRUE(folder);
    EXPECT_TRUE(folder->Contains(root / L"\u0414\u0420\u0410\u0419\u0412\u0415\u0420\\f.sys"));
    const PathResult<PathInside> inside = folder->Inside(L"\u0424.sys");
    ASSERT_TRUE(inside);
    EXPECT_EQ(inside->relative, L"\u0424.sys");
}

TEST_F(FolderPathTest, InsideTakesRelativeNamesOnly)
{
    const FolderPath device = Device();
    const std::wstring base = device.Full() + L"\\";
    const size_t room = kClassicPathLength - base.size();
    struct Case {
        const char* what;
        std::wstring name;
        PathRules rules;
        std::wstring relative;  // empty: refused
        PathRefusal refusal;
    };
    const std::vector<Case> cases = {
        {"a plain name", L"f.sys", {}, L"f.sys", PathRefusal::None},
        {"a leading backslash is the top", L"\\x64\\f.sys", {}, L"x64\\f.sys", PathRefusal::None},
        {"forward slashes", L"x64/f.sys", {}, L"x64\\f.sys", PathRefusal::None},
        {"dot-dot that stays", L"x64\\..\\f.sys", {}, L"f.sys", PathRefusal::None},
        {"two dots and letters are a name", L"..Backups\\f.sys", {}, L"..Backups\\f.sys", PathRefusal::None},
        {"dot-dot that climbs out", L"..\\Device2\\x", {}, L"", PathRefusal::Outside},
        {"two steps up", L"..\\..\\escape.dll", {}, L"", PathRefusal::Outside},
        {"up with forward slashes", L"sub/../../escape.dll", {}, L"", PathRefusal::Outside},
        {"back in and out again", L"..\\Device\\..\\..\\escape.dll", {}, L"", PathRefusal::Outside},
        {"the parent", L"..", {}, L"", PathRefusal::Outside},
        {"a dot", L".", {}, L"", PathRefusal::Outside},
        {"to the sibling that shares the start", L"..\\device2\\x.cat", {}, L"", PathRefusal::Outside},
        {"the folder itself", L"x64\\..", {}, L"", PathRefusal::Outside},
        {"a drive of its own", L"C:\\Windows\\f.sys", {}, L"", PathRefusal::Outside},
        {"a drive-relative name", L"C:f.sys", {}, L"", PathRefusal::Outside},
        {"a share", L"\\\\server\\share\\f.sys", {}, L"", PathRefusal::Outside},
        {"the long form", L"\\\\?\\C:\\f.sys", {}, L"", PathRefusal::Outside},
        {"a device path", L"\\\\.\\C:\\f.sys", {}, L"", PathRefusal::Outside},
        {"a full path inside is no relative name", base + L"x64\\f.sys", {}, L"", PathRefusal::Outside},
        {"a stream", L"f.dll:ads", {}, L"", PathRefusal::AlternateStream},
        {"a device", L"NUL", {}, L"", PathRefusal::DeviceName},
        {"a device deeper down", L"x64\\com1.sys", {}, L"", PathRefusal::DeviceName},
        {"empty", L"", {}, L"", PathRefusal::Empty},
        {"the longest that fits", std::wstring(room, L'f'), {}, std::wstring(room, L'f'), PathRefusal::None},
        {"one more is refused, not cut", std::wstring(room + 1, L'f'), {}, L"", PathRefusal::TooLong},
        {"300 characters", L"sub\\" + std::wstring(300, L'f'), {}, L"", PathRefusal::TooLong},
        {"300 characters where the call takes them", L"sub\\" + std::wstring(300, L'f'),
         {kLongPathLength, false}, L"sub\\" + std::wstring(300, L'f'), PathRefusal::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PathResult<PathInside> inside = device.Inside(c.name, c.rules);
        EXPECT_EQ(inside.refusal(), c.refusal);
        ASSERT_EQ(static_cast<bool>(inside), !c.relative.empty());
        if (inside) {
            EXPECT_EQ(inside->relative, c.relative);
            EXPECT_EQ(inside->full, base + c.relative);
        }
    }
}

TEST_F(FolderPathTest, WhatIsReadIsJudgedAsOpened)
{
    TempFolder outside;
    ASSERT_TRUE(WriteFileBytes(outside / L"hosts", "outside bytes"));
    ASSERT_TRUE(MakeFolders(outside / L"drivers"));
    ASSERT_TRUE(WriteFileBytes(outside / L"drivers\\a14.sys", "outside bytes"));
    ASSERT_TRUE(MakeFileLink(root / L"Device\\a14.sys", outside / L"hosts"));
    ASSERT_TRUE(MakeFileLink(root / L"Device\\in.sys", root / L"Device\\f.sys"));
    ASSERT_TRUE(MakeDirectoryLink(root / L"Device\\drivers", outside / L"drivers"));
    ASSERT_TRUE(MakeDirectoryLink(root / L"Device\\x86", root / L"Device\\x64"));
    ASSERT_TRUE(WriteFileBytes(root / L"Device\\x64\\g.sys", "inside"));
    // Past MAX_PATH, where Wine's GetFinalPathNameByHandleW reports no path at all.
    const std::wstring deep = std::wstring(150, L'x') + L"\\" + std::wstring(150, L'y') + L"\\";
    ASSERT_TRUE(WriteFileBytes(root / L"Device\\" + deep + L"f.sys", "deep inside"));
    ASSERT_TRUE(MakeFileLink(root / L"Device\\" + deep + L"a14.sys", outside / L"hosts"));
    const FolderPath device = Device();
    struct Case {
        const char* what;
        std::wstring name;
        PathRefusal refusal;
    };
    const std::vector<Case> cases = {
        {"a plain file", L"f.sys", PathRefusal::None},
        {"a file link that leads out", L"a14.sys", PathRefusal::Outside},
        {"a file link that stays in", L"in.sys", PathRefusal::None},
        {"through a folder link that leads out", L"drivers\\a14.sys", PathRefusal::Outside},
        {"through a folder link that stays in", L"x86\\g.sys", PathRefusal::None},
        {"missing", L"gone.sys", PathRefusal::NotFound},
        {"a file 300 characters deep", deep + L"f.sys", PathRefusal::None},
        {"a file link 300 characters deep that leads out", deep + L"a14.sys", PathRefusal::Outside},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PathResult<PathInside> inside = device.Inside(c.name, kAnyLength);
        ASSERT_TRUE(inside) << "by its text every one of them is inside";
        const PathResult<UniqueFileHandle> opened = device.OpenInside(inside->full);
        EXPECT_EQ(opened.refusal(), c.refusal);
        EXPECT_EQ(static_cast<bool>(opened), c.refusal == PathRefusal::None);
    }
}

TEST(OpenablePathTest, PathsPastWhatAFolderTakesPlainlyTakeTheFormThatLiftsTheLimit)
{
    const std::wstring deep = L"\\" + std::wstring(259, L'd');
    const std::vector<std::pair<std::wstring, std::wstring>> cases = {
        {L"\\\\srv\\share\\Drivers", L"\\\\srv\\share\\Drivers"},
        {L"C:" + deep.substr(0, 245), L"C:" + deep.substr(0, 245)},
        {L"C:" + deep.substr(0, 246), L"\\\\?\\C:" + deep.substr(0, 246)},
        {L"\\\\srv\\share" + deep, L"\\\\?\\UNC\\srv\\share" + deep},
        {L"\\\\?\\C:" + deep, L"\\\\?\\C:" + deep},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OpenablePath(c.first), c.second);
}
