// A file copied and stamped through one handle: content, times, attributes, and failures that
// leave nothing half-written behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/FileCopy.h"
#include "tests/support/CachedDevices.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestFiles.h"

namespace {

class FileCopyTest : public ::testing::Test {
protected:
    // Copies a file of this content and checks the copy's bytes and both of its times.
    void ExpectCopied(const std::string& content)
    {
        const std::wstring source = folder / L"source.bin";
        const std::wstring target = folder / L"copy.bin";
        ASSERT_TRUE(WriteFileBytes(source, content));
        ASSERT_TRUE(CopyFileStamped(source, target, time));
        EXPECT_TRUE(ReadFileBytes(target) == content) << content.size() << " bytes";
        FILETIME creation, lastWrite;
        ASSERT_TRUE(ReadFileTimes(target, creation, lastWrite));
        EXPECT_TRUE(SameTime(creation, time));
        EXPECT_TRUE(SameTime(lastWrite, time));
    }

    TempFolder folder;
    const FILETIME time = TimeOfDay(2016, 3, 9, 8, 30);
};

} // namespace

TEST_F(FileCopyTest, CopiesEveryByteAndStampsBothTimes)
{
    ExpectCopied("");
    ExpectCopied("driver");
    std::string large(5 * (1 << 19) + 7, '\0');  // past several chunks, ending in a partial one
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<char>(i * 131 % 251);
    ExpectCopied(large);
    ExpectCopied("shorter than the copy it replaces");
}

TEST_F(FileCopyTest, ReadOnlyAndHiddenSourcesGiveStampedCopiesLikeThem)
{
    const std::wstring source = folder / L"locked.sys";
    ASSERT_TRUE(WriteFileBytes(source, "locked"));
    ASSERT_TRUE(::SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    const std::wstring target = folder / L"copy.sys";
    ASSERT_TRUE(CopyFileStamped(source, target, time));
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
    FILETIME creation, lastWrite;
    ASSERT_TRUE(ReadFileTimes(target, creation, lastWrite));
    EXPECT_TRUE(SameTime(lastWrite, time)) << "stamped although the copy is read-only";
    for (const std::wstring& path : {source, target})
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileCopyTest, FailuresLeaveNoCopy)
{
    EXPECT_FALSE(CopyFileStamped(folder / L"missing.sys", folder / L"copy.sys", time));
    EXPECT_FALSE(CopyFileStamped(L"", folder / L"empty-path.sys", time));
    const std::wstring source = folder / L"here.sys";
    ASSERT_TRUE(WriteFileBytes(source, "here"));
    EXPECT_FALSE(CopyFileStamped(source, folder / L"no such folder\\copy.sys", time));
    EXPECT_EQ(ListTree(folder.path()), (std::vector<std::wstring>{L"here.sys"}));
}
