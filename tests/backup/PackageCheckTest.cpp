// Finding the packages of a backup folder and checking each before anything is installed:
// which INFs count, which present devices a package matches (with their installed version),
// and which files its installation needs that are not in its folder.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/MachinePlatform.h"
#include "platform/ShellPath.h"
#include "backup/PackageChecker.h"
#include "backup/PackageFinder.h"
#include "tests/fixtures/DriverFixture.h"
#include "tests/support/TestBackup.h"

namespace {

// An INF that installs no device: it names no setup class.
const char kPlainInf[] = "[Version]\r\nSignature=\"$Windows NT$\"\r\n\r\n[DefaultInstall]\r\nCopyFiles=x\r\n";

class PackageCheckTest : public ::testing::Test {
protected:
    // The package written into folder `name` of the sandbox and checked there.
    // linked: files moved out of the package (to "<name> outside") and linked to from their place.
    DriverPackage Written(const fixture::Package& package, const std::wstring& name,
                          const std::vector<std::wstring>& removed = {}, const std::wstring& linked = {})
    {
        sandbox.Write(package, name);
        for (const std::wstring& file : removed)
            EXPECT_TRUE(::DeleteFileW((sandbox / name + L"\\" + file).c_str())) << file;
        if (!linked.empty()) {
            const std::wstring outside = sandbox / name + L" outside\\" + linked;
            EXPECT_TRUE(MakeFolders(sandbox / name + L" outside"));
            EXPECT_TRUE(::MoveFileW((sandbox / name + L"\\" + linked).c_str(), outside.c_str()));
            EXPECT_TRUE(MakeFileLink(sandbox / name + L"\\" + linked, outside));
        }
        DriverPackage checked = sandbox.Found(name, package.infName);
        PackageChecker::Check(checked);
        return checked;
    }

    TestBackup sandbox;
};

void ReplaceAll(std::wstring& text, const std::wstring& from, const std::wstring& to)
{
    for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

fixture::SimpleDriver Driver(const std::wstring& name, const std::wstring& version)
{
    fixture::SimpleDriver driver = fixture::OneModelDriver(name, name + L" device", L"ROOT\\TARNWICK_PC_" + name);
    driver.driverVer = L"03/04/2022," + version;
    driver.provider = L"Provider of " + name;
    return driver;
}

} // namespace

TEST_F(PackageCheckTest, FinderTakesEveryDeviceInfInTheTreeInPathOrder)
{
    const std::wstring inf = fixture::SimpleInfText(Driver(L"pcfind", L"1.0"));
    const std::string bytes(reinterpret_cast<const char*>((L"\xFEFF" + inf).c_str()), (inf.size() + 1) * 2);
    ASSERT_TRUE(WriteFileBytes(sandbox / L"Ports\\Port B\\b.INF", bytes));
    ASSERT_TRUE(WriteFileBytes(sandbox / L"Ports\\Port A\\a.inf", bytes));
    ASSERT_TRUE(WriteFileBytes(sandbox / L"top.inf", bytes));
    ASSERT_TRUE(WriteFileBytes(sandbox / L"Ports\\Port A\\plain.inf", kPlainInf));
    ASSERT_TRUE(WriteFileBytes(sandbox / L"Ports\\Port A\\a.inf.txt", bytes));
    ASSERT_TRUE(WriteFileBytes(sandbox / L"Tarnwick-01.01.2026-10.00.00-log.txt", "log"));

    const std::vector<DriverPackage> packages = FindDriverPackages(sandbox.Folder());
    ASSERT_EQ(packages.size(), 3u);
    EXPECT_EQ(packages[0].displayName, L"Ports\\Port A\\a.inf");
    EXPECT_EQ(packages[1].displayName, L"Ports\\Port B\\b.INF");
    EXPECT_EQ(packages[2].displayName, L"top.inf");
    EXPECT_EQ(packages[0].infPath, sandbox / L"Ports\\Port A\\a.inf");
    EXPECT_EQ(FolderOf(packages[0]), sandbox / L"Ports\\Port A");
    EXPECT_EQ(packages[0].className, fixture::kTestClassName);

    const std::vector<DriverPackage> one = FindDriverPackages(ExistingFolder(sandbox / L"Ports\\Port B\\"));
    ASSERT_EQ(one.size(), 1u) << "one device folder alone";
    EXPECT_EQ(one[0].displayName, L"b.INF");

    // An INF that is a link out of its folder is listed for the check to refuse, unread.
    TempFolder outside;
    ASSERT_TRUE(WriteFileBytes(outside / L"linked.inf", bytes));
    ASSERT_TRUE(MakeFolders(sandbox / L"Ports\\Port C"));
    ASSERT_TRUE(MakeFileLink(sandbox / L"Ports\\Port C\\linked.inf", outside / L"linked.inf"));
    const std::vector<DriverPackage> linked = FindDriverPackages(ExistingFolder(sandbox / L"Ports\\Port C"));
    ASSERT_EQ(linked.size(), 1u);
    EXPECT_EQ(linked[0].className, L"") << "never read";
}

TEST_F(PackageCheckTest, CompletePackageWithoutDeviceIsToBeStaged)
{
    const DriverPackage package = Written(fixture::MakePackage(Driver(L"pcstage", L"4.5.6.7"), {}), L"stage");
    EXPECT_EQ(package.outcome, PackageOutcome::ToStage);
    EXPECT_TRUE(package.devices.empty());
    EXPECT_TRUE(package.missingFiles.empty());
    EXPECT_EQ(package.version, L"4.5.6.7");
    EXPECT_EQ(package.date, L"03/04/2022");
    EXPECT_EQ(package.provider, L"Provider of pcstage") << "the %string% resolved";
}

TEST_F(PackageCheckTest, EveryMissingFileIsNamedCoInstallerAndCatalogIncluded)
{
    const DriverPackage package = Written(fixture::MakePackage(Driver(L"pcgap", L"1.0.0.0"), {}), L"gap",
                                          {L"pcgapco.dll", L"pcgap.cat", L"pcgap.dll"});
    EXPECT_EQ(package.outcome, PackageOutcome::FilesMissing);
    std::vector<std::wstring> missing = package.missingFiles;
    std::sort(missing.begin(), missing.end());
    EXPECT_EQ(missing, (std::vector<std::wstring>{L"pcgap.cat", L"pcgap.dll", L"pcgapco.dll"}));
}

TEST_F(PackageCheckTest, FilesInSubfoldersAreLookedForWhereTheInstallerTakesThem)
{
    const DriverPackage complete = Written(fixture::LayoutPackage(L"ROOT\\TARNWICK_PC_LAYOUT"), L"layout");
    EXPECT_EQ(complete.outcome, PackageOutcome::ToStage);
    EXPECT_TRUE(complete.missingFiles.empty()) << ::testing::PrintToString(complete.missingFiles);

    const DriverPackage flat = Written(fixture::LayoutPackage(L"ROOT\\TARNWICK_PC_LAYOUT"), L"flat", {L"sub\\layoutsub.dll", L"x64\\layout64.dll"});
    ASSERT_TRUE(WriteFileBytes(sandbox / L"flat\\layoutsub.dll", "layout library")) << "beside the INF is not where it belongs";
    EXPECT_EQ(flat.outcome, PackageOutcome::FilesMissing);
    std::vector<std::wstring> missing = flat.missingFiles;
    std::sort(missing.begin(), missing.end());
    EXPECT_EQ(missing, (std::vector<std::wstring>{L"sub\\layoutsub.dll", L"x64\\layout64.dll"}));
}

TEST_F(PackageCheckTest, UnreadableInfOrMissingSectionIsRefused)
{
    fixture::Package broken = fixture::MakePackage(Driver(L"pcbroken", L"1.0"), {});
    const size_t section = broken.infText.find(L"[DeviceInstall");
    ASSERT_NE(section, std::wstring::npos);
    broken.infText.replace(section, 14, L"[ElsewhereInstall");
    const DriverPackage refused = Written(broken, L"broken");
    EXPECT_EQ(refused.outcome, PackageOutcome::InfRefused);
    EXPECT_NE(refused.error.find(L"DeviceInstall"), std::wstring::npos) << ::testing::PrintToString(refused.error);

    ASSERT_TRUE(WriteFileBytes(sandbox / L"garbage\\garbage.inf", std::string("\xFF\xFE\x00\xD8", 4)));
    DriverPackage garbage = sandbox.Found(L"garbage", L"garbage.inf");
    PackageChecker::Check(garbage);
    EXPECT_EQ(garbage.outcome, PackageOutcome::InfRefused);

    DriverPackage deep;
    deep.infPath = sandbox / std::wstring(250, L'd') + L"\\deep.inf";
    PackageChecker::Check(deep);
    EXPECT_EQ(deep.outcome, PackageOutcome::InfRefused) << "a path that does not fit is never cut";
    EXPECT_EQ(deep.error, L"its path is longer than 259 characters");
}

TEST_F(PackageCheckTest, InstalledDevicesAreMatchedEachByItsOwnPackage)
{
    const fixture::SimpleDriver one = Driver(L"pcone", L"1.2.3.4");
    const fixture::SimpleDriver two = Driver(L"pctwo", L"7.0.0.0");
    fixture::ScopedPackage installedOne(fixture::MakePackage(one, {{one.models[0].hardwareId}}));
    fixture::ScopedPackage installedTwo(fixture::MakePackage(two, {{two.models[0].hardwareId}}));
    ASSERT_TRUE(installedOne.ok() && installedTwo.ok());

    // Checked one after the other, as a restore checks a backup: each package sees only the
    // device its models match.
    const DriverPackage same = Written(fixture::MakePackage(one, {}), L"one");
    ASSERT_EQ(same.devices.size(), 1u);
    const MatchedDevice& device = same.devices[0];
    EXPECT_EQ(device.instanceId, installedOne.result().devices[0].instanceId);
    EXPECT_EQ(device.hardwareId, one.models[0].hardwareId);
    EXPECT_EQ(device.name, L"pcone device");
    EXPECT_EQ(device.section, L"DeviceInstall");
    EXPECT_EQ(device.installedVersion, L"1.2.3.4");
    EXPECT_EQ(device.action, DeviceAction::Install) << "the same version may go on again";
    EXPECT_EQ(same.outcome, PackageOutcome::ToInstall);

    fixture::SimpleDriver olderTwo = two;
    olderTwo.driverVer = L"01/01/2020,6.9.0.0";
    const DriverPackage older = Written(fixture::MakePackage(olderTwo, {}), L"two");
    ASSERT_EQ(older.devices.size(), 1u);
    EXPECT_EQ(older.devices[0].instanceId, installedTwo.result().devices[0].instanceId);
    EXPECT_EQ(older.devices[0].action, DeviceAction::Skip);
    EXPECT_EQ(older.outcome, PackageOutcome::Newer);
}

TEST_F(PackageCheckTest, SourcePathsThatLeaveThePackageFolderAreRefused)
{
    // Each form in which a backup's INF can name a file above its own folder. The files lie
    // there, so only the folder rule can refuse them.
    ASSERT_TRUE(WriteFileBytes(sandbox / L"stash\\pcout.dll", "a file outside the package"));
    ASSERT_TRUE(WriteFileBytes(sandbox / L"stash\\pcout.sys", "a file outside the package"));
    ASSERT_TRUE(WriteFileBytes(sandbox / L"stash\\pcoutco.dll", "a file outside the package"));
    ASSERT_TRUE(WriteFileBytes(sandbox / L"planted.cat", "a catalog outside the package"));
    struct Case {
        const wchar_t* what;
        std::wstring catalog;       // replaces the catalog's name when not empty
        std::wstring subdirectory;  // the .dll's SourceDisksFiles subdirectory
        std::wstring diskPath;      // the SourceDisksNames path, as written
        std::wstring reason;
        std::wstring plainCatalog;  // replaces the plain CatalogFile line's name alone when not empty
        std::wstring linked;        // a file of the package moved outside, a link to it in its place
    };
    const std::wstring absolute = sandbox / L"stash";
    const Case cases[] = {
        {L"catalog", L"..\\..\\planted.cat", L"", L"", L"outside the package folder: ..\\..\\planted.cat", L"", L""},
        {L"catalog far up", L"..\\..\\..\\..\\ProgramData\\planted.cat", L"", L"",
         L"outside the package folder: ..\\..\\..\\..\\ProgramData\\planted.cat", L"", L""},
        {L"file subdirectory", L"", L"..\\..\\stash", L"", L"outside the package folder: ..\\..\\stash\\pcout.dll", L"",
         L""},
        {L"disk path", L"", L"", L"..\\..\\stash", L"outside the package folder: ..\\..\\stash", L"", L""},
        {L"absolute disk path", L"", L"", absolute, L"outside the package folder: " + absolute, L"", L""},
        {L"disk path on a share", L"", L"", L"\\\\server\\share", L"outside the package folder: \\\\server\\share", L"", L""},
        {L"the plain catalog line beside a good decorated one", L"", L"", L"",
         L"outside the package folder: ..\\..\\planted.cat", L"..\\..\\planted.cat", L""},
        // The files keep their bytes: only where the open file lies can refuse them.
        {L"a payload that is a link out", L"", L"", L"", L"outside the package folder: pcout.sys", L"", L"pcout.sys"},
        {L"a catalog that is a link out", L"", L"", L"", L"outside the package folder: pcout.cat", L"", L"pcout.cat"},
        {L"an INF that is a link out", L"", L"", L"", L"outside the package folder: pcout.inf", L"", L"pcout.inf"},
    };
    int folder = 0;
    for (const Case& item : cases) {
        SCOPED_TRACE(item.what);
        fixture::Package package = fixture::MakePackage(Driver(L"pcout", L"1.0.0.0"), {});
        if (!item.catalog.empty())
            ReplaceAll(package.infText, L"=pcout.cat", L"=" + item.catalog);
        if (!item.subdirectory.empty())
            ReplaceAll(package.infText, L"pcout.dll=1", L"pcout.dll=1," + item.subdirectory);
        if (!item.diskPath.empty())
            ReplaceAll(package.infText, L"1=%Disk%,,,", L"1=%Disk%,,," + item.diskPath);
        if (!item.plainCatalog.empty())
            ReplaceAll(package.infText, L"CatalogFile=pcout.cat", L"CatalogFile=" + item.plainCatalog);
        const DriverPackage checked = Written(package, L"out" + std::to_wstring(folder++) + L"\\device", {}, item.linked);
        EXPECT_EQ(checked.outcome, PackageOutcome::InfRefused);
        EXPECT_EQ(checked.error, item.reason);
    }

    // ".." that stays inside the folder is only a longer way to a file of the package.
    fixture::SimpleDriver inside = Driver(L"pcin", L"1.0.0.0");
    inside.librarySubfolder = L"sub\\..\\lib";
    const DriverPackage allowed = Written(fixture::MakePackage(inside, {}), L"inside");
    EXPECT_EQ(allowed.outcome, PackageOutcome::ToStage) << ::testing::PrintToString(allowed.error);
    EXPECT_TRUE(allowed.missingFiles.empty()) << ::testing::PrintToString(allowed.missingFiles);
    EXPECT_EQ(allowed.catalogs, std::vector<std::wstring>{sandbox / L"inside\\pcin.cat"});
}

TEST_F(PackageCheckTest, AFileEntryLongerThanTheSetupServicesTakeIsRefused)
{
    fixture::Package package = fixture::MakePackage(Driver(L"pclong", L"1.0.0.0"), {});
    ReplaceAll(package.infText, L"[DriverFiles]\r\npclong.sys\r\n",
               L"[DriverFiles]\r\npclong.sys\r\n" + std::wstring(300, L'f') + L".sys\r\n");
    const DriverPackage checked = Written(package, L"long");
    EXPECT_EQ(checked.outcome, PackageOutcome::InfRefused) << "the installer would leave the file out";
    EXPECT_EQ(checked.error, L"a file entry of DeviceInstall.NTamd64 is longer than the setup services take");
}

TEST_F(PackageCheckTest, InfWithoutDeviceModelsIsRefused)
{
    fixture::Package package = fixture::MakePackage(Driver(L"pcnomodel", L"1.0.0.0"), {});
    ReplaceAll(package.infText, L"[Manufacturer]\r\n%Mfg%=Models,NTamd64\r\n", L"");
    const DriverPackage checked = Written(package, L"nomodel");
    EXPECT_EQ(checked.outcome, PackageOutcome::InfRefused) << "not staged: it could never serve a device";
    EXPECT_EQ(checked.error, L"no device models");
}

TEST_F(PackageCheckTest, AnInfTooDeepForTheSetupServicesIsListedWithItsReason)
{
    const std::wstring deep = sandbox / (std::wstring(120, L'd') + L"\\" + std::wstring(120, L'e') + L"\\deep.inf");
    ASSERT_GE(deep.size(), static_cast<size_t>(MAX_PATH));
    const std::wstring inf = fixture::SimpleInfText(Driver(L"pcdeep", L"1.0"));
    ASSERT_TRUE(WriteFileBytes(deep, std::string(reinterpret_cast<const char*>((L"\xFEFF" + inf).c_str()),
                                                 (inf.size() + 1) * 2)));
    std::vector<DriverPackage> packages = FindDriverPackages(sandbox.Folder());
    ASSERT_EQ(packages.size(), 1u) << "every INF found is listed";
    EXPECT_EQ(packages[0].infPath, deep);
    PackageChecker::Check(packages[0]);
    EXPECT_EQ(packages[0].outcome, PackageOutcome::InfRefused);
    EXPECT_EQ(packages[0].error, L"its path is longer than 259 characters");
}

TEST_F(PackageCheckTest, TheCheckRemembersWhereEachFileGoesAndItsSize)
{
    const fixture::SimpleDriver driver = Driver(L"pcfiles", L"1.0.0.0");
    fixture::ScopedPackage installed(fixture::MakePackage(driver, {{driver.models[0].hardwareId}}));
    ASSERT_TRUE(installed.ok()) << ::testing::PrintToString(installed.error());
    const DriverPackage checked = Written(fixture::MakePackage(driver, {}), L"files");
    ASSERT_EQ(checked.outcome, PackageOutcome::ToInstall);
    ASSERT_EQ(checked.files.size(), 3u);
    for (const PackageFile& file : checked.files) {
        EXPECT_EQ(file.size, ReadFileBytes(file.source).size()) << file.source;
        EXPECT_EQ(FileNamePart(file.target), FileNamePart(file.source));
        EXPECT_FALSE(file.compressed);
    }
    EXPECT_EQ(checked.catalogs, std::vector<std::wstring>{sandbox / L"files\\pcfiles.cat"});
}

TEST_F(PackageCheckTest, APackageOnlyForOtherProcessorsIsSkippedNotRefused)
{
    // The fixture's INF is made for x64; "NTamd64" is replaced by the decorations of each case.
    const std::wstring other = MachineDecoration() == L"arm64" ? L"NTamd64" : L"NTarm64";
    // The models lie in the section the line names for this machine, so only the rule decides.
    const struct {
        const wchar_t* manufacturer;
        const wchar_t* models;
        bool forThisMachine;
    } cases[] = {
        {L"%Mfg%=Models,NTx86", L"[Models.NTx86]", false},
        {L"%Mfg%=Models,NTx86,NTia64.6.1", L"[Models.NTx86]", false},
        {L"%Mfg%=Models,NTx86,NT", L"[Models.NT]", true},
        {L"%Mfg%=Models,NT.10.0", L"[Models.NT.10.0]", true},
        {L"%Mfg%=Models", L"[Models]", true},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(c.manufacturer)));
        fixture::Package package = fixture::MakePackage(Driver(L"pcarch", L"1.0.0.0"), {});
        ReplaceAll(package.infText, L"%Mfg%=Models,NTamd64", c.manufacturer);
        ReplaceAll(package.infText, L"[Models.NTamd64]", c.models);
        const DriverPackage checked = Written(package, L"arch" + std::to_wstring(n++));
        if (c.forThisMachine)
            EXPECT_NE(checked.outcome, PackageOutcome::NotForArchitecture) << checked.error;
        else
            EXPECT_EQ(checked.outcome, PackageOutcome::NotForArchitecture) << checked.error;
        EXPECT_TRUE(checked.devices.empty());
    }
    fixture::Package foreign = fixture::MakePackage(Driver(L"pcother", L"1.0.0.0"), {});
    ReplaceAll(foreign.infText, L"NTamd64", other);
    EXPECT_EQ(Written(foreign, L"other").outcome, PackageOutcome::NotForArchitecture);
}
