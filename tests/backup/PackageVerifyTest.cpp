// Verifying the packages of a backup against their catalogs: catalogs made by the fixtures'
// catalog writer, then files flipped, cut short, removed or swapped, and catalogs that are no
// catalogs at all. Each bad file is named; the other packages stay intact.
#include <gtest/gtest.h>

#include <cwchar>
#include <functional>

#include "platform/CatalogMembers.h"
#include "backup/PackageChecker.h"
#include "backup/PackageVerifier.h"
#include "tests/fixtures/CatalogWriter.h"
#include "tests/fixtures/DriverFixture.h"
#include "tests/support/TempFolder.h"

namespace {

class PackageVerifyTest : public ::testing::Test {
protected:
    // Packages "vfa" and "vfb" of one driver (files of the same names, different bytes), and
    // "vfc" of another, each in a folder of its name.
    void SetUp() override
    {
        for (const wchar_t* name : {L"vfa", L"vfb", L"vfc"})
            Write(Package(name), name);
    }

    static fixture::Package Package(const std::wstring& folder)
    {
        const std::wstring name = folder == L"vfc" ? L"vfcother" : L"vfdriver";
        fixture::Package package =
            fixture::MakePackage(fixture::OneModelDriver(name, name, L"ROOT\\TARNWICK_VF_" + name), {});
        for (fixture::PackageFile& file : package.files)
            file.content += "built for " + std::string(folder.begin(), folder.end());
        return package;
    }

    void Write(const fixture::Package& package, const std::wstring& folder)
    {
        std::wstring error;
        ASSERT_TRUE(fixture::WritePackage(package, backup / folder, error)) << error;
    }

    PackageVerification Verify(const std::wstring& folder, const std::wstring& infName)
    {
        DriverPackage package;
        package.infPath = backup / folder + L"\\" + infName;
        package.sourceRoot = backup / folder;
        PackageChecker::Check(package);
        return verifier.Verify(package);
    }

    PackageVerification Verify(const std::wstring& folder)
    {
        return Verify(folder, folder == L"vfc" ? L"vfcother.inf" : L"vfdriver.inf");
    }

    void ExpectOthersIntact(const std::wstring& damaged)
    {
        for (const wchar_t* folder : {L"vfa", L"vfb", L"vfc"}) {
            if (folder != damaged) {
                EXPECT_EQ(Verify(folder).verdict, Verdict::Intact) << folder;
            }
        }
    }

    std::wstring File(const std::wstring& folder, const std::wstring& name) { return backup / folder + L"\\" + name; }

    TempFolder backup;
    PackageVerifier verifier;
};

std::vector<std::wstring> BadPaths(const PackageVerification& verification)
{
    std::vector<std::wstring> paths;
    for (const BadFile& file : verification.badFiles)
        paths.push_back(file.path);
    return paths;
}

} // namespace

TEST_F(PackageVerifyTest, UntouchedPackagesAreIntactAndTheirCatalogsUnsigned)
{
    for (const wchar_t* folder : {L"vfa", L"vfb", L"vfc"}) {
        const PackageVerification verification = Verify(folder);
        EXPECT_EQ(verification.verdict, Verdict::Intact) << folder;
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
            const PackageVerification verification = Verify(L"vfb");
            EXPECT_EQ(verification.verdict, Verdict::Damaged) << test.what << " " << std::string(name.begin(), name.end());
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
    const PackageVerification verification = Verify(L"vfb");
    EXPECT_EQ(verification.verdict, Verdict::Damaged);
    EXPECT_EQ(BadPaths(verification), std::vector<std::wstring>{L"vfdriver.sys"});
    ExpectOthersIntact(L"vfb");
}

TEST_F(PackageVerifyTest, MissingFileMakesThePackageIncomplete)
{
    ASSERT_TRUE(::DeleteFileW(File(L"vfb", L"vfdriverco.dll").c_str()));
    const PackageVerification verification = Verify(L"vfb");
    EXPECT_EQ(verification.verdict, Verdict::Incomplete);
    ASSERT_EQ(BadPaths(verification), std::vector<std::wstring>{L"vfdriverco.dll"});
    EXPECT_EQ(verification.badFiles[0].reason, L"missing");
    ExpectOthersIntact(L"vfb");
}

TEST_F(PackageVerifyTest, MissingCatalogMakesThePackageIncomplete)
{
    ASSERT_TRUE(::DeleteFileW(File(L"vfb", L"vfdriver.cat").c_str()));
    const PackageVerification verification = Verify(L"vfb");
    EXPECT_EQ(verification.verdict, Verdict::Incomplete);
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
        const PackageVerification verification = Verify(L"vfb");
        EXPECT_EQ(verification.verdict, Verdict::Damaged) << test.what;
        ASSERT_EQ(BadPaths(verification), std::vector<std::wstring>{L"vfdriver.cat"}) << test.what;
        EXPECT_EQ(verification.badFiles[0].reason.rfind(test.reason, 0), 0u)
            << test.what << ": " << std::string(verification.badFiles[0].reason.begin(), verification.badFiles[0].reason.end());
    }
    ExpectOthersIntact(L"vfb");
}

TEST_F(PackageVerifyTest, CatalogOfAnotherPackageMatchesOnlyTheFilesTheyShare)
{
    ASSERT_TRUE(::CopyFileW(File(L"vfa", L"vfdriver.cat").c_str(), File(L"vfb", L"vfdriver.cat").c_str(), FALSE));
    const PackageVerification verification = Verify(L"vfb");
    EXPECT_EQ(verification.verdict, Verdict::Damaged);
    EXPECT_EQ(BadPaths(verification),
              (std::vector<std::wstring>{L"vfdriver.sys", L"vfdriver.dll", L"vfdriverco.dll"}))
        << "the INF text is the same in both";
}

TEST_F(PackageVerifyTest, Sha256CatalogIsReadAsWell)
{
    fixture::Package package = Package(L"vfd");
    package.catalogHash = fixture::CatalogHash::Sha256;
    Write(package, L"vfd");
    EXPECT_EQ(Verify(L"vfd", L"vfdriver.inf").verdict, Verdict::Intact);
    ASSERT_TRUE(WriteFileBytes(File(L"vfd", L"vfdriver.dll"), "changed"));
    const PackageVerification verification = Verify(L"vfd", L"vfdriver.inf");
    EXPECT_EQ(verification.verdict, Verdict::Damaged);
    EXPECT_EQ(BadPaths(verification), std::vector<std::wstring>{L"vfdriver.dll"});
}

TEST_F(PackageVerifyTest, PackageWithoutCatalogIsUnsignedWhenComplete)
{
    fixture::Package package = Package(L"vfe");
    package.catalog.clear();
    for (const wchar_t* line : {L"CatalogFile.NTamd64=vfdriver.cat\r\n", L"CatalogFile=vfdriver.cat\r\n"})
        package.infText.erase(package.infText.find(line), std::wcslen(line));
    Write(package, L"vfe");
    EXPECT_EQ(Verify(L"vfe", L"vfdriver.inf").verdict, Verdict::Unsigned);
    ASSERT_TRUE(::DeleteFileW(File(L"vfe", L"vfdriver.sys").c_str()));
    EXPECT_EQ(Verify(L"vfe", L"vfdriver.inf").verdict, Verdict::Incomplete);
}

TEST_F(PackageVerifyTest, InfWithoutItsInstallSectionIsRefused)
{
    fixture::Package package = Package(L"vff");
    const size_t section = package.infText.find(L"[DeviceInstall.NTamd64]");
    package.infText.replace(section, 15, L"[ElsewhereInstall");
    Write(package, L"vff");
    const PackageVerification verification = Verify(L"vff", L"vfdriver.inf");
    EXPECT_EQ(verification.verdict, Verdict::Refused);
    EXPECT_NE(verification.refusal.find(L"install section"), std::wstring::npos);
}

TEST_F(PackageVerifyTest, CatalogMembersAreTheTagsOfItsFiles)
{
    const CatalogMembers members = ReadCatalogMembers(File(L"vfc", L"vfcother.cat"));
    ASSERT_TRUE(members.ok) << std::string(members.reason.begin(), members.reason.end());
    EXPECT_EQ(members.tags.size(), 4u) << "the INF and three payload files";
    EXPECT_EQ(members.tags.count(fixture::FileTag(ReadFileBytes(File(L"vfc", L"vfcother.sys")), fixture::CatalogHash::Sha1)),
              1u);
}

TEST(PackageVerdict, OrderOfTheVerdicts)
{
    EXPECT_EQ(JudgePackage(true, true, true, true), Verdict::Refused);
    EXPECT_EQ(JudgePackage(false, true, true, true), Verdict::Incomplete);
    EXPECT_EQ(JudgePackage(false, false, false, false), Verdict::Unsigned);
    EXPECT_EQ(JudgePackage(false, false, true, true), Verdict::Damaged);
    EXPECT_EQ(JudgePackage(false, false, true, false), Verdict::Intact);
    EXPECT_TRUE(IsSound(Verdict::Intact));
    EXPECT_TRUE(IsSound(Verdict::Unsigned));
    for (Verdict bad : {Verdict::Damaged, Verdict::Incomplete, Verdict::Refused})
        EXPECT_FALSE(IsSound(bad)) << std::string(VerdictText(bad).begin(), VerdictText(bad).end());
}
