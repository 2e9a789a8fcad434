// A zip from anywhere, read for a restore or a verification: every refusal of a zip that lies
// (its central directory judged whole before anything is written, or its data found false as
// it is inflated), each leaving nothing outside the temporary folder and no folder of its own
// behind; and a zip that tells the truth, extracted whole and removed with its object.
#include <gtest/gtest.h>

#include <functional>

#include "archive/ZipFormat.h"
#include "backup/ExtractedZip.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestFiles.h"
#include "tests/support/ZipBytes.h"

namespace {

struct GoOn : IProgressReporter {
    bool Progress(double) override { return true; }
};

// The sandbox holds the zip and, three folders down, the temporary folder: a name that climbs
// out of the extraction folder would land in the sandbox, where the listing shows it.
class ZipExtractionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(sandbox.path().empty());
        ASSERT_TRUE(MakeFolders(temp));
    }

    std::unique_ptr<ExtractedZip> Extract(const std::string& bytes, ZipProblem& problem)
    {
        EXPECT_TRUE(WriteFileBytes(zipFile, bytes));
        GoOn reporter;
        return ExtractedZip::Extract(zipFile, temp, reporter, problem);
    }

    TempFolder sandbox;
    const std::wstring zipFile = sandbox / L"backup.zip";
    const std::wstring temp = sandbox / L"one\\two\\temp";
    const std::vector<std::wstring> untouched = {L"backup.zip", L"one\\", L"one\\two\\", L"one\\two\\temp\\"};
};

std::string Zeros(size_t count)
{
    return std::string(count, '\0');
}

// Entries enough, each claiming 4 GiB stored, that no volume here holds them all.
std::vector<ZipEntryBytes> Huge()
{
    std::vector<ZipEntryBytes> entries;
    for (int i = 0; i < 1000; ++i) {
        entries.emplace_back("f" + std::to_string(i), "x");
        entries.back().size = entries.back().compressedSize = 0xFFFFFFF0ull;
    }
    return entries;
}

TEST_F(ZipExtractionTest, EachLieIsRefusedWithNothingWrittenAndNoFolderLeft)
{
    using Damage = std::function<void(std::string&)>;
    const ZipEntryBytes inf = {"pkg/a.inf", "[Version]"};
    ZipEntryBytes encrypted = inf;
    encrypted.flags = 0x0801;
    ZipEntryBytes bzip2 = inf;
    bzip2.method = 12;
    ZipEntryBytes otherLocalName = inf;
    otherLocalName.localName = "pkg/b.inf";
    ZipEntryBytes otherLocalCrc = inf;
    otherLocalCrc.localCrc = 1;
    ZipEntryBytes statedLarger = inf;
    statedLarger.size = 20;
    ZipEntryBytes inflatesLarger = {"pkg/a.sys", std::string(5000, 'a'), true};
    inflatesLarger.size = 100;
    ZipEntryBytes wrongCrc = {"pkg/a.sys", "driver", true};
    wrongCrc.crc = 7;
    ZipEntryBytes pastTheEnd = inf;
    pastTheEnd.compressedSize = 1000;
    pastTheEnd.size = 1000;
    const struct {
        const char* label;
        std::vector<ZipEntryBytes> entries;
        Damage damage;
        ZipRefusal reason;
        std::wstring entry;
    } rows[] = {
        {"absolute", {inf, {"/evil.inf", "x"}}, nullptr, ZipRefusal::AbsoluteName, L"/evil.inf"},
        {"absolute, backslash", {{"\\evil.inf", "x"}}, nullptr, ZipRefusal::AbsoluteName, L"\\evil.inf"},
        {"drive", {{"C:evil.inf", "x"}}, nullptr, ZipRefusal::DriveLetter, L"C:evil.inf"},
        {"drive and root", {{"c:/evil.inf", "x"}}, nullptr, ZipRefusal::DriveLetter, L"c:/evil.inf"},
        {"dot dot", {{"../evil.inf", "x"}}, nullptr, ZipRefusal::LeavesTop, L"../evil.inf"},
        {"dot dot deep", {inf, {"pkg/../../../evil.inf", "x"}}, nullptr, ZipRefusal::LeavesTop,
         L"pkg/../../../evil.inf"},
        {"device", {{"pkg/NUL", "x"}}, nullptr, ZipRefusal::DeviceName, L"pkg/NUL"},
        {"device with extension", {{"com1.txt", "x"}}, nullptr, ZipRefusal::DeviceName, L"com1.txt"},
        {"stream", {{"pkg/a.sys:hidden", "x"}}, nullptr, ZipRefusal::AlternateStream, L"pkg/a.sys:hidden"},
        {"case", {{"pkg/A.SYS", "1"}, {"pkg/a.sys", "2"}}, nullptr, ZipRefusal::SameName, L"pkg/a.sys"},
        {"case, any script", {{"pkg/\xD0\x94.sys", "1"}, {"pkg/\xD0\xB4.sys", "2"}}, nullptr, ZipRefusal::SameName,
         L"pkg/\x0434.sys"},
        {"file where a folder is", {{"pkg", "1"}, {"pkg/a.sys", "2"}}, nullptr, ZipRefusal::SameName, L"pkg/a.sys"},
        {"encrypted", {encrypted}, nullptr, ZipRefusal::Encrypted, L"pkg/a.inf"},
        {"method", {bzip2}, nullptr, ZipRefusal::Method, L"pkg/a.inf"},
        {"local name", {otherLocalName}, nullptr, ZipRefusal::HeadersDisagree, L"pkg/a.inf"},
        {"local crc", {otherLocalCrc}, nullptr, ZipRefusal::HeadersDisagree, L"pkg/a.inf"},
        {"stated larger", {statedLarger}, nullptr, ZipRefusal::SizesDisagree, L"pkg/a.inf"},
        {"inflates larger", {inflatesLarger}, nullptr, ZipRefusal::SizesDisagree, L"pkg/a.sys"},
        {"crc", {wrongCrc}, nullptr, ZipRefusal::SizesDisagree, L"pkg/a.sys"},
        {"no room", Huge(), nullptr, ZipRefusal::NoRoom, L""},
        {"bomb", {{"pkg/zeros.sys", Zeros(4u << 20), true}}, nullptr, ZipRefusal::Ratio, L"pkg/zeros.sys"},
        {"cut short", {pastTheEnd}, nullptr, ZipRefusal::CutShort, L"pkg/a.inf"},
        {"directory damaged", {inf}, [](std::string& bytes) { bytes[bytes.find("PK\x01\x02") + 1] = 'X'; },
         ZipRefusal::Corrupt, L""},
        {"end cut off", {inf}, [](std::string& bytes) { bytes.resize(bytes.size() - 10); }, ZipRefusal::NotAZip,
         L""},
        {"not a zip", {}, [](std::string& bytes) { bytes = "[Version]\r\nSignature=$Windows NT$\r\n"; },
         ZipRefusal::NotAZip, L""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        std::string bytes = ZipBytes(row.entries);
        if (row.damage)
            row.damage(bytes);
        ZipProblem problem;
        EXPECT_EQ(Extract(bytes, problem), nullptr);
        EXPECT_EQ(problem.reason, row.reason) << ZipProblemText(problem);
        EXPECT_EQ(problem.entry, row.entry);
        EXPECT_EQ(ListTree(sandbox.path()), untouched) << "nothing written but the zip, no folder left";
    }
}

TEST_F(ZipExtractionTest, TruthfulZipIsExtractedWholeAndGoesWithItsObject)
{
    const std::string driver = "MZ" + std::string(70000, 'd');
    ZipProblem problem;
    std::unique_ptr<ExtractedZip> extracted =
        Extract(ZipBytes({{"pkg/", ""},
                          {"pkg/x64/a.sys", driver, true},
                          {"pkg/a.inf", "[Version]"},
                          {"pkg/\xD0\xB4\xD1\x80.dll", "dr", true},
                          {"README.txt", "two lines", true}}),
                problem);
    ASSERT_NE(extracted, nullptr) << ZipProblemText(problem);
    const std::wstring folder = extracted->Folder().Full();
    EXPECT_EQ(ListTree(folder), (std::vector<std::wstring>{L"README.txt", L"pkg\\", L"pkg\\a.inf", L"pkg\\x64\\",
                                                           L"pkg\\x64\\a.sys", L"pkg\\\x0434\x0440.dll"}));
    EXPECT_EQ(ReadFileBytes(folder + L"\\pkg\\x64\\a.sys"), driver);
    EXPECT_EQ(ReadFileBytes(folder + L"\\pkg\\\x0434\x0440.dll"), "dr");
    extracted.reset();
    EXPECT_EQ(ListTree(sandbox.path()), untouched);
}

} // namespace
