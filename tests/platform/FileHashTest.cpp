// The SHA-256 digest of a file through the system's CNG: known digests, a file longer than one
// read, and files that cannot be read.
#include <gtest/gtest.h>

#include "platform/FileHash.h"
#include "tests/support/ReferenceHash.h"
#include "tests/support/TempFolder.h"

TEST(FileHash, KnownDigestsOfShortFiles)
{
    const TempFolder folder;
    const struct {
        std::string content;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.content);
        const std::wstring file = folder / L"file.bin";
        ASSERT_TRUE(WriteFileBytes(file, test.content));
        std::string digest;
        uint64_t size = 99;
        ASSERT_TRUE(Sha256OfFile(file, digest, size));
        EXPECT_EQ(digest, test.digest);
        EXPECT_EQ(size, test.content.size());
    }
}

TEST(FileHash, FileLongerThanOneReadMatchesASecondImplementation)
{
    const TempFolder folder;
    // Three and a half reads of a megabyte, no two of them alike.
    std::string content(3 * 1024 * 1024 + 512 * 1024 + 7, '\0');
    unsigned value = 12345;
    for (char& c : content) {
        value = value * 1103515245u + 12345u;
        c = static_cast<char>(value >> 16);
    }
    const std::wstring file = folder / L"large.bin";
    ASSERT_TRUE(WriteFileBytes(file, content));
    std::string digest;
    uint64_t size = 0;
    ASSERT_TRUE(Sha256OfFile(file, digest, size));
    const std::string reference = ReferenceSha256(content);
    ASSERT_EQ(reference.size(), 64u);
    EXPECT_EQ(digest, reference);
    EXPECT_EQ(size, content.size());
}

TEST(FileHash, MissingFileOrFolderGivesNoDigest)
{
    const TempFolder folder;
    std::string digest = "unchanged";
    uint64_t size = 0;
    EXPECT_FALSE(Sha256OfFile(folder / L"missing.bin", digest, size));
    EXPECT_FALSE(Sha256OfFile(folder.path(), digest, size));
    EXPECT_EQ(digest, "unchanged");
}
