// Verifying the packages of a backup against their catalogs: catalogs made by the fixtures'
// catalog writer, then files flipped, cut short, removed or swapped, and catalogs that are no
// catalogs at all. Each bad file is named; the other packages stay intact.
#include <gtest/gtest.h>

#include <cwchar>
#include <functional>

#include "platform/CatalogMembers.h"
#include "backup/PackageChecker.h"
#include "backup/OutcomeText.h"
#include "backup/PackageVerifier.h"
#include "tests/fixtures/CatalogWriter.h"
#include "tests/fixtures/DriverFixture.h"
#include "tests/support/TestBackup.h"

namespace {

// What the verification found, with the verdict and why the INF was refused as the output words them.
struct Verified : PackageVerification {
    std::wstring verdict;
    std::wstring refusal;
};

class PackageVerifyTest : public ::testing::Test {
protected:
    // Packages "vfa" and "vfb" of one driver (files of the same names, different bytes), and
    // "vfc" of another, each in a folder of its name.
    void SetUp() override
    {
        for (const wchar_t* name : {L"vfa", L"vfb", L"vfc"})
            Add(name);
    }

    fixture::Package Add(const std::wstring& folder, const TestBackup::Change& change = nullptr)
    {
        return backup.Add(folder == L"vfc" ? L"vfcother" : L"vfdriver", folder, {}, [&](fixture::Package& package) {
            for (fixture::PackageFile& file : package.files)
                file.content += "built for " + std::string(folder.begin(), folder.end());
            if (change)
                change(package);
        });
    }

    Verified Verify(const std::wstring& folder, const std::wstring& infName)
    {
        DriverPackage package = backup.Found(folder, infName);
        PackageChecker::Check(package);
        verifier.Verify(package);
        const ListedOutcome verdict = ListedVerdictOf(package);
        return {package.verification, verdict.words, verdict.reason};
    }

    Verified Verify(const std::wstring& folder)
    {
        return Verify(folder, folder == L"vfc" ? L"vfcother.inf" : L"vfdriver.inf");
    }

    void ExpectOthersIntact(const std::wstring& damaged)
    {
        for (const wchar_t* folder : {L"vfa", L"vfb", L"vfc"}) {
            if (folder != damaged) {
                EXPECT_EQ(Verify(folder).verdict, L"intact") << folder;
            }
        }
    }

    std::wstring File(const std::wstring& folder, const std::wstring& name) { return backup / folder + L"\\" + name; }

    TestBackup backup;
    PackageVerifier verifier;
};

std::vector<std::wstring> BadPaths(const PackageVerification& verification)
{
    std::vector<std::wstring> paths;
    for (const BadFile& file : verification.badFiles)
        paths.push_back(file.path);
    return paths;
}

std::vector<std::wstring> BadFileLines(const PackageVerification& verification)
{
    std::vector<std::wstring> lines;
    for (const BadFile& file : verification.badFiles)
        lines.push_back(file.path + L": " + file.reason);
    return lines;
}

void RemoveCatalog(fixture::Package& package)
{
    package.catalog.clear();
    for (const wchar_t* line : {L"CatalogFile.NTamd64=vfdriver.cat\r\n", L"CatalogFile=vfdriver.cat\r\n"})
        package.infText.erase(package.infText.find(line), std::wcslen(line));
}

} // namespace

TEST_F(PackageVerifyTest, UntouchedPackagesAreIntactAndTheirCatalogsUnsigned)
{
    for (const wchar_t* folder : {L"vfa", L"vfb", L"vfc"}) {
        const Verified verification = Verify(folder);
        EXPECT_EQ(verification.verdict, L"intact") << folder;
        EXPECT_TRUE(verification.badFiles.empty()) << folder;
        EXPECT_EQ(verification.signature, L"not signed") << "the fixtures' catalogs carry no signature";
    }
}

TEST_F(PackageVerifyTest, EachChangedFileIsFoundAndNamed)
{
    struct Case {
        const char* what;
        std::function<void(const std::wstring& path)> change;
    };
    const Case cases[] = {
        {"one flipped byte", [](const std::wstring& path) {
             std::string bytes = ReadFileBytes(path);
             bytes[bytes.size() / 2] ^= 0x01;
             ASSERT_TRUE(WriteFileBytes(path, bytes));
         }},
        {"cut short", [](const std::wstring& path) {
             ASSERT_TRUE(WriteFileBytes(path, ReadFileBytes(path).substr(0, 100)));
         }},
        {"emptied", [](const std::wstring& path) { ASSERT_TRUE(WriteFileBytes(path, "")); }},
    };
    for (const Case& test : cases) {
        // An INF cut short is no longer read as the package's INF at all (see the refused case).
        std::vector<std::wstring> names = {L"vfdriver.sys", L"vfdriver.dll", L"vfdriverco.dll"};
        if (std::string(test.what) == "one flipped byte")
            names.push_back(L"vfdriver.inf");
        for (const std::wstring& name : names) {
            const std::string original = ReadFileBytes(File(L"vfb", name));
            test.change(File(L"vfb", name));
            const Verified verification = Verify(L"vfb");
            EXPECT_EQ(verification.verdict, L"damaged") << test.what << " " << std::string(name.begin(), name.end());
            EXPECT_EQ(BadPaths(verification), std::vector<std::wstring>{name}) << test.what;
            if (!verification.badFiles.empty()) {
                EXPECT_EQ(verification.badFiles[0].reason, L"does not match the catalog");
            }
            ASSERT_TRUE(WriteFileBytes(File(L"vfb", name), original));
        }
    }
    ExpectOthersIntact(L"vfb");
}

TEST_F(PackageVerifyTest, FileSwappedForAnotherPackagesFileOfTheSameNameIsDamage)
{
    ASSERT_TRUE(::CopyFileW(File(L"vfa", L"vfdriver.sys").c_str(), File(L"vfb", L"vfdriver.sys").c_str(), FALSE));
    const Verified verification = Verify(L"vfb");
    EXPECT_EQ(verification.verdict, L"damaged");
    EXPECT_EQ(BadPaths(verification), std::vector<std::wstring>{L"vfdriver.sys"});
    ExpectOthersIntact(L"vfb");
}

TEST_F(PackageVerifyTest, WhatTheCatalogsVouchForIsEveryFileUnderItsOwnNameAsOpened)
{
    // The file outside holds the package's own bytes: only where the open file lies can refuse it.
    const auto linkOut = [this](const std::wstring& folder) {
        ASSERT_TRUE(MakeFolders(backup / (folder + L" outside")));
        ASSERT_TRUE(::MoveFileW(File(folder, L"vfdriver.sys").c_str(), File(folder + L" outside", L"vfdriver.sys").c_str()));
        ASSERT_TRUE(MakeFileLink(File(folder, L"vfdriver.sys"), File(folder + L" outside", L"vfdriver.sys")));
    };
    struct Case {
        const char* what;
        TestBackup::Change package;
        std::function<void(const std::wstring& folder)> change;
        std::wstring verdict;
        std::vector<std::wstring> badFiles;  // "<path>: <reason>"
        std::wstring refusal;
    };
    const Case cases[] = {
        {"two files exchange their contents", nullptr,
         [this](const std::wstring& folder) {
             const std::string sys = ReadFileBytes(File(folder, L"vfdriver.sys"));
             ASSERT_TRUE(WriteFileBytes(File(folder, L"vfdriver.sys"), ReadFileBytes(File(folder, L"vfdriver.dll"))));
             ASSERT_TRUE(WriteFileBytes(File(folder, L"vfdriver.dll"), sys));
         },
         L"damaged",
         {L"vfdriver.sys: does not match the catalog: it holds vfdriver.dll",
          L"vfdriver.dll: does not match the catalog: it holds vfdriver.sys"},
         L""},
        {"a payload that is a link out", nullptr, linkOut, L"refused", {},
         L"outside the package folder: vfdriver.sys"},
        {"a payload of an unsigned package that is a link out", RemoveCatalog, linkOut, L"refused", {},
         L"outside the package folder: vfdriver.sys"},
        {"a payload that is a link staying inside", nullptr,
         [this](const std::wstring& folder) {
             ASSERT_TRUE(MakeFolders(File(folder, L"real")));
             ASSERT_TRUE(::MoveFileW(File(folder, L"vfdriver.sys").c_str(), File(folder, L"real\\vfdriver.sys").c_str()));
             ASSERT_TRUE(MakeFileLink(File(folder, L"vfdriver.sys"), File(folder, L"real\\vfdriver.sys")));
         },
         L"intact", {}, L""},
        {"a plain catalog line naming a catalog that lists none of the files",
         [](fixture::Package& package) {
             package.infText.replace(package.infText.find(L"CatalogFile=vfdriver.cat"), 24, L"CatalogFile=other.cat");
         },
         [this](const std::wstring& folder) {
             ASSERT_TRUE(::CopyFileW(File(L"vfc", L"vfcother.cat").c_str(), File(folder, L"other.cat").c_str(), FALSE));
         },
         L"damaged",
         {L"vfdriver.inf: does not match the catalog other.cat", L"vfdriver.sys: does not match the catalog other.cat",
          L"vfdriver.dll: does not match the catalog other.cat", L"vfdriverco.dll: does not match the catalog other.cat"},
         L""},
    };
    int n = 0;
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        const std::wstring folder = L"vfx" + std::to_wstring(n++);
        Add(folder, test.package);
        test.change(folder);
        const Verified verification = Verify(folder);
        EXPECT_EQ(verification.verdict, test.verdict);
        EXPECT_EQ(BadFileLines(verification), test.badFiles);
        EXPECT_EQ(verification.refusal, test.refusal);
    }
}

TEST_F(PackageVerifyTest, MissingFileMakesThePackageIncomplete)
{
    ASSERT_TRUE(::DeleteFileW(File(L"vfb", L"vfdriverco.dll").c_str()));
    const Verified verification = Verify(L"vfb");
    EXPECT_EQ(verification.verdict, L"incomplete");
    ASSERT_EQ(BadPaths(verification), std::vector<std::wstring>{L"vfdriverco.dll"});
    EXPECT_EQ(verification.badFiles[0].reason, L"missing");
    ExpectOthersIntact(L"vfb");
}

TEST_F(PackageVerifyTest, MissingCatalogMakesThePackageIncomplete)
{
    ASSERT_TRUE(::DeleteFileW(File(L"vfb", L"vfdriver.cat").c_str()));
    const Verified verification = Verify(L"vfb");
    EXPECT_EQ(verification.verdict, L"incomplete");
    EXPECT_EQ(BadPaths(verification), std::vector<std::wstring>{L"vfdriver.cat"});
}

TEST_F(PackageVerifyTest, CatalogThatIsNoCatalogIsDamageWithItsReason)
{
    const std::string catalog = ReadFileBytes(File(L"vfb", L"vfdriver.cat"));
    struct Case {
        const char* what;
        std::string bytes;
        const wchar_t* reason;
    };
    const Case cases[] = {
        {"garbage", std::string(3000, '\x5A'), L"the file is not a catalog: "},
        {"empty", std::string(), L"the catalog is empty"},
        {"cut short", catalog.substr(0, catalog.size() / 2), L"the file is not a catalog: "},
        {"last byte cut", catalog.substr(0, catalog.size() - 1), L"the file is not a catalog: "},
        {"no trust list", fixture::MakeMessageWithoutTrustList(), L"the file is not a catalog: "},
        {"entry without indirect data",
         fixture::MakeCatalogWithUnreadableEntry({ReadFileBytes(File(L"vfb", L"vfdriver.inf")),
                                                  ReadFileBytes(File(L"vfb", L"vfdriver.sys"))},
                                                 1),
         L"entry 2 of the catalog is damaged"},
    };
    for (const Case& test : cases) {
        ASSERT_TRUE(WriteFileBytes(File(L"vfb", L"vfdriver.cat"), test.bytes));
        const Verified verification = Verify(L"vfb");
        EXPECT_EQ(verification.verdict, L"damaged") << test.what;
        ASSERT_EQ(BadPaths(verification), std::vector<std::wstring>{L"vfdriver.cat"}) << test.what;
        EXPECT_EQ(verification.badFiles[0].reason.rfind(test.reason, 0), 0u)
            << test.what << ": " << std::string(verification.badFiles[0].reason.begin(), verification.badFiles[0].reason.end());
    }
    ExpectOthersIntact(L"vfb");
}

TEST_F(PackageVerifyTest, CatalogOfAnotherPackageMatchesOnlyTheFilesTheyShare)
{
    ASSERT_TRUE(::CopyFileW(File(L"vfa", L"vfdriver.cat").c_str(), File(L"vfb", L"vfdriver.cat").c_str(), FALSE));
    const Verified verification = Verify(L"vfb");
    EXPECT_EQ(verification.verdict, L"damaged");
    EXPECT_EQ(BadPaths(verification),
              (std::vector<std::wstring>{L"vfdriver.sys", L"vfdriver.dll", L"vfdriverco.dll"}))
        << "the INF text is the same in both";
}

TEST_F(PackageVerifyTest, Sha256CatalogIsReadAsWell)
{
    Add(L"vfd", [](fixture::Package& package) { package.catalogHash = fixture::CatalogHash::Sha256; });
    EXPECT_EQ(Verify(L"vfd", L"vfdriver.inf").verdict, L"intact");
    ASSERT_TRUE(WriteFileBytes(File(L"vfd", L"vfdriver.dll"), "changed"));
    const Verified verification = Verify(L"vfd", L"vfdriver.inf");
    EXPECT_EQ(verification.verdict, L"damaged");
    EXPECT_EQ(BadPaths(verification), std::vector<std::wstring>{L"vfdriver.dll"});
}

TEST_F(PackageVerifyTest, PackageWithoutCatalogIsUnsignedWhenComplete)
{
    Add(L"vfe", RemoveCatalog);
    EXPECT_EQ(Verify(L"vfe", L"vfdriver.inf").verdict, L"unsigned");
    ASSERT_TRUE(::DeleteFileW(File(L"vfe", L"vfdriver.sys").c_str()));
    EXPECT_EQ(Verify(L"vfe", L"vfdriver.inf").verdict, L"incomplete");
}

TEST_F(PackageVerifyTest, InfWithoutItsInstallSectionIsRefused)
{
    Add(L"vff", [](fixture::Package& package) {
        package.infText.replace(package.infText.find(L"[DeviceInstall.NTamd64]"), 15, L"[ElsewhereInstall");
    });
    const Verified verification = Verify(L"vff", L"vfdriver.inf");
    EXPECT_EQ(verification.verdict, L"refused");
    EXPECT_NE(verification.refusal.find(L"install section"), std::wstring::npos);
}

TEST_F(PackageVerifyTest, CatalogMembersAreTheTagsOfItsFiles)
{
    const UniqueFileHandle catalog(::CreateFileW(File(L"vfc", L"vfcother.cat").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                 nullptr, OPEN_EXISTING, 0, nullptr));
    const CatalogMembers members = ReadCatalogMembers(catalog.get());
    ASSERT_TRUE(members.ok) << std::string(members.reason.begin(), members.reason.end());
    EXPECT_EQ(members.tags.size(), 4u) << "the INF and three payload files";
    const std::wstring sysTag = fixture::FileTag(ReadFileBytes(File(L"vfc", L"vfcother.sys")), fixture::CatalogHash::Sha1);
    EXPECT_EQ(members.tags.count(sysTag), 1u);
    const auto named = members.tagsByName.equal_range(L"VFCOTHER.SYS");
    ASSERT_EQ(std::distance(named.first, named.second), 1) << "each member records its file's name";
    EXPECT_EQ(named.first->second, sysTag);
}

TEST(PackageVerdict, EachOutcomeHasTheVerdictOfItsCheck)
{
    const struct {
        PackageOutcome outcome;
        bool catalogs;
        const wchar_t* verdict;
        bool sound;
    } cases[] = {
        {PackageOutcome::InfRefused, true, L"refused", false},
        {PackageOutcome::FilesMissing, true, L"incomplete", false},
        {PackageOutcome::FilesMissing, false, L"incomplete", false},
        {PackageOutcome::FilesDamaged, true, L"damaged", false},
        {PackageOutcome::ToInstall, true, L"intact", true},
        {PackageOutcome::ToStage, false, L"unsigned", true},
        {PackageOutcome::Newer, true, L"intact", true},
        {PackageOutcome::NewerInBackup, false, L"unsigned", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(c.verdict)));
        DriverPackage package;
        package.outcome = c.outcome;
        if (c.catalogs)
            package.catalogs = {L"C:\\backup\\x.cat"};
        EXPECT_EQ(VerdictText(package), c.verdict);
        EXPECT_EQ(IsSound(c.outcome), c.sound);
        EXPECT_EQ(IsIntact(package), c.sound && c.catalogs);
    }
}
