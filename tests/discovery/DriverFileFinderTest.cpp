// The driver file set of a package written at test time and found through the INF folders:
// names from the source layout, where each file is found, the catalog and the INF, progress,
// stopping and the cache.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "discovery/DriverFileFinder.h"
#include "discovery/SystemFolders.h"
#include "platform/ShellPath.h"
#include "tests/discovery/RecordingReporter.h"
#include "tests/discovery/ScopedDevicePath.h"
#include "tests/fixtures/CatalogWriter.h"
#include "tests/support/ImportPatch.h"
#include "tests/support/InfTexts.h"
#include "tests/support/TempFolder.h"

namespace {

const char kCatalogLines[] = R"(CatalogFile=plain.cat
CatalogFile.NTamd64=contoso64.cat
)";

// Five queued files: two sections of the install section and one co-installer section, with
// destinations that let each file be found in a different place.
const char kCardBody[] = R"(
[SourceDisksNames]
1 = "Contoso driver disk",,,""

[SourceDisksFiles]
contoso-card.sys = 1
contoso-target.sys = 1
contoso-search.dll = 1
contoso-nowhere.sys = 1
contoso-coinst.dll = 1

[DestinationDirs]
DefaultDestDir = 12
Card.Search = 11
Card.Coinst.Copy = 11

[Card]
CopyFiles = Card.Copy

[Card.NTamd64]
CopyFiles = Card.Copy, Card.Search

[Card.Copy]
contoso-card.sys
contoso-target.sys
contoso-nowhere.sys

[Card.Search]
contoso-search.dll

[Card.NTamd64.CoInstallers]
CopyFiles = Card.Coinst.Copy

[Card.Coinst.Copy]
contoso-coinst.dll
)";

std::string CardInf(bool withCatalog)
{
    return VersionSection(withCatalog ? kCatalogLines : "") + kCardBody;
}

const std::vector<std::wstring> kQueuedNames = {L"contoso-card.sys", L"contoso-target.sys", L"contoso-nowhere.sys",
                                                L"contoso-search.dll", L"contoso-coinst.dll"};

std::vector<std::wstring> Sorted(std::vector<std::wstring> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::wstring> Head(const std::vector<std::wstring>& names, size_t count)
{
    return std::vector<std::wstring>(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(std::min(count, names.size())));
}

const DriverFile* FileNamed(const DeviceInfo& device, const std::wstring& name)
{
    for (const DriverFile& file : device.files) {
        if (file.name == name)
            return &file;
    }
    return nullptr;
}

HSPFILEQ WINAPI FailingOpenFileQueue()
{
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
}

// A package folder that the INF folders point at, and a record that names its INF as an
// installed driver would.
class PackageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(devicePath.Set(REG_SZ, package.path()));
        device.infPath = L"contoso.inf";
        device.infSection = L"Card";
        device.infSectionExt = L".NTamd64";
    }
    void TearDown() override
    {
        for (const std::wstring& file : systemFiles)
            RemoveTree(file);
    }

    // A file of the test's own under the system folder, removed afterwards.
    std::wstring WriteSystemFile(const std::wstring& relative, const std::string& content)
    {
        const std::wstring path = ReadSystemFolders().systemDir + relative;
        EXPECT_TRUE(WriteFileBytes(path, content));
        systemFiles.push_back(path);
        return path;
    }
    void WritePackage(const std::string& inf, const std::wstring& infName = L"contoso.inf")
    {
        ASSERT_TRUE(WriteFileBytes(package / infName, inf));
        ASSERT_TRUE(WriteFileBytes(package / L"contoso-card.sys", "card at its source"));
    }
    bool Run(RecordingReporter& reporter)
    {
        DriverFileFinder finder(device, reporter, ReadSystemFolders());
        const bool found = finder.Run();
        reason = finder.FailureReason();
        return found;
    }

    TempFolder package;
    ScopedDevicePath devicePath;
    DeviceInfo device;
    std::vector<std::wstring> systemFiles;
    // Why the last Run failed.
    std::wstring reason;
};

} // namespace

TEST_F(PackageTest, SetHoldsQueuedFilesThenCatalogThenInf)
{
    WritePackage(CardInf(true));
    RecordingReporter reporter;
    ASSERT_TRUE(Run(reporter));

    std::vector<std::wstring> names = reporter.Names();
    ASSERT_EQ(names.size(), 7u);
    EXPECT_EQ(Sorted(Head(names, 5)), Sorted(kQueuedNames)) << "install and co-installer sections, any queue order";
    EXPECT_EQ(names[5], L"contoso64.cat") << "the catalog line decorated like the install section";
    EXPECT_EQ(names[6], L"contoso.inf") << "an INF under its own name keeps it";
    ASSERT_EQ(device.files.size(), 7u);
    for (size_t i = 0; i < device.files.size(); ++i)
        EXPECT_EQ(reporter.files[i], &device.files[i]) << "receivers get the stored entries";
}

TEST_F(PackageTest, EachFileIsFoundAtItsSourceElseItsTargetElseBySearch)
{
    WritePackage(CardInf(true));
    const std::wstring drivers = ReadSystemFolders().systemDir + L"drivers\\";
    WriteSystemFile(L"drivers\\contoso-card.sys", "installed copy of card");
    const std::wstring atTarget = WriteSystemFile(L"drivers\\contoso-target.sys", "only at target");
    const std::wstring searched = WriteSystemFile(L"tarnwick-test\\deep\\contoso-search.dll", "found by search");
    RecordingReporter reporter;
    ASSERT_TRUE(Run(reporter));

    const DriverFile* card = FileNamed(device, L"contoso-card.sys");
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->source, package / L"contoso-card.sys");
    EXPECT_EQ(card->target, drivers + L"contoso-card.sys");
    EXPECT_EQ(card->path, card->source) << "the source copy wins over the installed one";
    EXPECT_EQ(card->size, std::string("card at its source").size());

    const DriverFile* target = FileNamed(device, L"contoso-target.sys");
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->path, atTarget);
    EXPECT_EQ(target->size, std::string("only at target").size());
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(::GetFileAttributesExW(atTarget.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(target->time.dwLowDateTime, data.ftCreationTime.dwLowDateTime);
    EXPECT_EQ(target->time.dwHighDateTime, data.ftCreationTime.dwHighDateTime);

    const DriverFile* search = FileNamed(device, L"contoso-search.dll");
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(search->target, ReadSystemFolders().systemDir + L"contoso-search.dll");
    EXPECT_EQ(search->path, searched);

    const DriverFile* nowhere = FileNamed(device, L"contoso-nowhere.sys");
    ASSERT_NE(nowhere, nullptr) << "a file found nowhere is still part of the set";
    EXPECT_EQ(nowhere->path, L"");
    EXPECT_EQ(nowhere->size, 0u);
    EXPECT_EQ(nowhere->time.dwLowDateTime, 0u);
    EXPECT_EQ(nowhere->time.dwHighDateTime, 0u);
}

TEST_F(PackageTest, ProgressCountsQueueEntriesPlusCatalogAndInf)
{
    WritePackage(CardInf(true));
    RecordingReporter reporter;
    ASSERT_TRUE(Run(reporter));
    const std::vector<double> expected = {1 / 7.0, 2 / 7.0, 3 / 7.0, 4 / 7.0, 5 / 7.0, 6 / 7.0, 1.0, 1.0};
    ASSERT_EQ(reporter.fractions.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_DOUBLE_EQ(reporter.fractions[i], expected[i]) << i;
}

TEST_F(PackageTest, WithoutCatalogTheSetEndsWithTheInf)
{
    WritePackage(CardInf(false));
    RecordingReporter reporter;
    ASSERT_TRUE(Run(reporter));
    const std::vector<std::wstring> names = reporter.Names();
    ASSERT_EQ(names.size(), 6u);
    EXPECT_EQ(names.back(), L"contoso.inf");
    // The count stops one short of the total, and the run still ends at 1.
    EXPECT_DOUBLE_EQ(reporter.fractions[reporter.fractions.size() - 2], 6 / 7.0);
    EXPECT_DOUBLE_EQ(reporter.fractions.back(), 1.0);
}

TEST_F(PackageTest, UndecoratedSectionTakesThePlainCatalogLine)
{
    WritePackage(CardInf(true));
    device.infSectionExt.clear();
    RecordingReporter reporter;
    ASSERT_TRUE(Run(reporter));
    const std::vector<std::wstring> names = reporter.Names();
    EXPECT_EQ(Sorted(Head(names, 3)), Sorted({L"contoso-card.sys", L"contoso-target.sys", L"contoso-nowhere.sys"}))
        << "the undecorated install section and no co-installer section";
    ASSERT_EQ(names.size(), 5u);
    EXPECT_EQ(names[3], L"plain.cat");
}

TEST_F(PackageTest, CatalogBesideTheInfIsPreferredToTheInstalledCopy)
{
    WritePackage(CardInf(true));
    ASSERT_TRUE(WriteFileBytes(package / L"contoso64.cat", "catalog beside"));
    const std::wstring installed = WriteSystemFile(L"CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\\contoso.cat", "x");
    RecordingReporter reporter;
    ASSERT_TRUE(Run(reporter));
    const DriverFile* catalog = FileNamed(device, L"contoso64.cat");
    ASSERT_NE(catalog, nullptr);
    EXPECT_EQ(catalog->source, package / L"contoso64.cat");
    EXPECT_EQ(catalog->target, installed);
    EXPECT_EQ(catalog->path, package / L"contoso64.cat");
}

TEST_F(PackageTest, OemNamedInfGetsTheNameItsCatalogCarries)
{
    WritePackage(CardInf(true), L"oem42.inf");
    device.infPath = L"oem42.inf";
    const std::wstring installed = WriteSystemFile(L"CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\\oem42.cat", "cat");
    RecordingReporter reporter;
    ASSERT_TRUE(Run(reporter));

    const DriverFile* inf = FileNamed(device, L"contoso64.inf");
    ASSERT_NE(inf, nullptr);
    EXPECT_EQ(inf->path, package / L"oem42.inf");
    EXPECT_EQ(inf->source, package / L"oem42.inf");
    EXPECT_EQ(inf->target, package / L"oem42.inf");
    const DriverFile* catalog = FileNamed(device, L"contoso64.cat");
    ASSERT_NE(catalog, nullptr);
    EXPECT_EQ(catalog->path, installed) << "no catalog beside the INF: the installed copy named after oem42";
}

TEST_F(PackageTest, OemNamedInfWithoutCatalogKeepsItsName)
{
    WritePackage(CardInf(false), L"oem42.inf");
    device.infPath = L"oem42.inf";
    RecordingReporter reporter;
    ASSERT_TRUE(Run(reporter));
    EXPECT_EQ(reporter.Names().back(), L"oem42.inf");
}

TEST_F(PackageTest, SourceMediaPathAndSubdirectoryMakeTheName)
{
    WritePackage(VersionSection() + R"(
[SourceDisksNames]
1 = "Disk one",,,""
2 = "Disk two",,,\x64

[SourceDisksFiles]
flat.sys = 1
nested.dll = 1,sub\deeper
platform.dll = 2
both.dll = 2,sub
)" + CopyToDrivers("Card", "flat.sys\nnested.dll\nplatform.dll\nboth.dll\n"));
    device.infSectionExt.clear();
    RecordingReporter reporter;
    ASSERT_TRUE(Run(reporter));
    // The subdirectory is read from the file's own line, as Windows gives it: Wine's
    // SetupGetSourceFileLocationW would give the disk's path there (x64\x64\platform.dll).
    EXPECT_EQ(Sorted(Head(reporter.Names(), 4)),
              Sorted({L"flat.sys", L"sub\\deeper\\nested.dll", L"x64\\platform.dll", L"x64\\sub\\both.dll"}));
}

// Windows reads the sections decorated for its platform first, file by file: a file with a
// line there takes that line's disk and subdirectory, the others their undecorated line.
TEST_F(PackageTest, PlatformSectionsOfTheSourceLayoutComeFirst)
{
    WritePackage(VersionSection() + R"(
[SourceDisksNames]
1 = "Plain disk",,,\plain

[SourceDisksNames.amd64]
2 = "x64 disk",,,\x64

[SourceDisksFiles]
decorated.sys = 1,old
undecorated.dll = 1,res

[SourceDisksFiles.amd64]
decorated.sys = 2,new
)" + CopyToDrivers("Card", "decorated.sys\nundecorated.dll\n"));
    device.infSectionExt.clear();
    RecordingReporter reporter;
    ASSERT_TRUE(Run(reporter));
    EXPECT_EQ(Sorted(Head(reporter.Names(), 2)), Sorted({L"x64\\new\\decorated.sys", L"plain\\res\\undecorated.dll"}));
}

TEST_F(PackageTest, LayoutFileNamedInVersionGivesTheSourceLayout)
{
    WritePackage(VersionSection("LayoutFile=contoso-layout.inf\n") + CopyToDrivers("Card", "laid-out.sys\n"));
    // A layout INF is named without a folder: the setup services look it up in the system's
    // INF folder, where layout INFs live.
    const std::wstring layout = ReadSystemFolders().windowsDir + L"inf\\contoso-layout.inf";
    systemFiles.push_back(layout);
    ASSERT_TRUE(WriteFileBytes(layout, VersionSection() + R"(
[SourceDisksNames]
7 = "Layout disk",,,\layout

[SourceDisksFiles]
laid-out.sys = 7,sub
)"));
    device.infSectionExt.clear();
    RecordingReporter reporter;
    ASSERT_TRUE(Run(reporter));
    ASSERT_EQ(reporter.Names().size(), 2u);
    EXPECT_EQ(reporter.Names()[0], L"layout\\sub\\laid-out.sys");
}

TEST_F(PackageTest, SameNameQueuedTwiceIsOneEntryButNamesDifferingInCaseAreTwo)
{
    WritePackage(VersionSection() + R"(
[SourceDisksNames]
1 = "Disk",,,""

[SourceDisksFiles]
shared.dll = 1
Mixed.dll = 1

[DestinationDirs]
DefaultDestDir = 12
Card.Second = 11
Card.Upper = 10

[Card]
CopyFiles = Card.First, Card.Second, Card.Upper

[Card.First]
shared.dll
Mixed.dll

[Card.Second]
shared.dll

[Card.Upper]
MIXED.DLL
)");
    device.infSectionExt.clear();
    RecordingReporter reporter;
    ASSERT_TRUE(Run(reporter));
    const std::vector<std::wstring> names = reporter.Names();
    EXPECT_EQ(std::count(names.begin(), names.end(), L"shared.dll"), 1) << "one file copied to two places";
    EXPECT_EQ(std::count(names.begin(), names.end(), L"Mixed.dll"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), L"MIXED.DLL"), 1) << "names compare exactly";
    const DriverFile* shared = FileNamed(device, L"shared.dll");
    ASSERT_NE(shared, nullptr);
    // Four queue entries and the INF: every entry counts towards progress, kept or not.
    EXPECT_DOUBLE_EQ(reporter.fractions[reporter.fractions.size() - 2], 5 / 6.0);
}

TEST_F(PackageTest, ReplayReportsTheCachedSetWithoutTheInf)
{
    WritePackage(CardInf(true));
    RecordingReporter first;
    ASSERT_TRUE(Run(first));
    ASSERT_TRUE(::DeleteFileW((package / L"contoso.inf").c_str()));

    RecordingReporter second;
    ASSERT_TRUE(Run(second)) << "the cache needs no INF";
    EXPECT_EQ(second.Names(), first.Names());
    EXPECT_EQ(second.files, first.files) << "the same stored entries";
    const std::vector<double> expected = {1 / 7.0, 2 / 7.0, 3 / 7.0, 4 / 7.0, 5 / 7.0, 6 / 7.0, 1.0, 1.0};
    ASSERT_EQ(second.fractions.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_DOUBLE_EQ(second.fractions[i], expected[i]);
}

TEST_F(PackageTest, StopDuringReplayKeepsTheCache)
{
    WritePackage(CardInf(true));
    RecordingReporter first;
    ASSERT_TRUE(Run(first));
    RecordingReporter stopping(3);
    EXPECT_FALSE(Run(stopping));
    EXPECT_EQ(stopping.files.size(), 2u);
    EXPECT_EQ(device.files.size(), 7u);
    EXPECT_EQ(reason, L"The search was stopped.");
}

TEST_F(PackageTest, StopAtTheFirstProgressCachesNothing)
{
    WritePackage(CardInf(true));
    RecordingReporter stopping(1);
    EXPECT_FALSE(Run(stopping));
    EXPECT_TRUE(stopping.files.empty());
    EXPECT_TRUE(device.files.empty());
    EXPECT_EQ(stopping.fractions.size(), 1u);
}

TEST_F(PackageTest, StopWhileTheInfIsAddedCachesNothing)
{
    WritePackage(CardInf(true));
    RecordingReporter stopping(7);
    EXPECT_FALSE(Run(stopping));
    EXPECT_EQ(stopping.files.size(), 6u) << "everything up to the catalog was reported";
    EXPECT_TRUE(device.files.empty()) << "a set without its INF is never cached";
    EXPECT_EQ(reason, L"The search was stopped.");

    RecordingReporter again;
    ASSERT_TRUE(Run(again));
    EXPECT_EQ(again.Names().size(), 7u) << "the next run builds the whole set";
}

TEST_F(PackageTest, MissingInfFailsWithoutFiles)
{
    device.infPath = L"no-such-driver.inf";
    RecordingReporter reporter;
    EXPECT_FALSE(Run(reporter));
    EXPECT_TRUE(device.files.empty());
    EXPECT_TRUE(reporter.files.empty());
    EXPECT_TRUE(reporter.fractions.empty());
    EXPECT_EQ(reason, L"The driver's INF file no-such-driver.inf was not found.");
}

TEST_F(PackageTest, UnreadableInfFailsWithTheLineAndTheSystemsReason)
{
    WritePackage("no section, no signature: no INF of the setup services' style\n");
    RecordingReporter reporter;
    EXPECT_FALSE(Run(reporter));
    EXPECT_EQ(reason.rfind(L"The INF file " + package / L"contoso.inf" + L" could not be read (line ", 0), 0u)
        << ::testing::PrintToString(reason);
    EXPECT_NE(reason.find(L"(error "), std::string::npos) << ::testing::PrintToString(reason);
}

TEST_F(PackageTest, MissingInstallSectionFailsTheSet)
{
    WritePackage(CardInf(true));
    device.infSection = L"NoSuchSection";
    RecordingReporter reporter;
    EXPECT_FALSE(Run(reporter)) << "an INF and a catalog alone are no driver";
    EXPECT_TRUE(device.files.empty());
    EXPECT_TRUE(reporter.files.empty());
    EXPECT_EQ(reason, L"The INF file has no section [NoSuchSection.NTamd64].");
}

TEST_F(PackageTest, CopyEntryTheSetupServicesRefuseFailsTheSet)
{
    WritePackage(VersionSection() + CopyToDrivers("Card", "contoso-card.sys\n" + std::string(300, 'f') + ".sys\n"));
    device.infSectionExt.clear();
    RecordingReporter reporter;
    EXPECT_FALSE(Run(reporter)) << "a set without one of its files is not the driver";
    EXPECT_TRUE(device.files.empty());
    EXPECT_EQ(reason, L"A file entry of section [Card] is longer than the setup services take.");
}

TEST_F(PackageTest, QueueThatCannotBeOpenedFailsTheSet)
{
    WritePackage(CardInf(true));
    ImportPatch noQueue("setupapi.dll", "SetupOpenFileQueue", reinterpret_cast<void*>(&FailingOpenFileQueue));
    ASSERT_TRUE(noQueue.applied());
    RecordingReporter reporter;
    EXPECT_FALSE(Run(reporter));
    EXPECT_TRUE(device.files.empty());
    EXPECT_EQ(reason.rfind(L"No file queue could be opened: ", 0), 0u) << ::testing::PrintToString(reason);
}

// A source layout whose joined name does not fit the path limit fails the set: the file is
// never saved under its bare name at the top of the folder.
TEST_F(PackageTest, SourceNameThatDoesNotFitFailsTheSet)
{
    WritePackage(VersionSection() + "\n[SourceDisksNames]\n1 = \"Disk one\",,,\\" + std::string(200, 'p') +
                 "\n\n[SourceDisksFiles]\ncontoso-card.sys = 1," + std::string(100, 's') + "\n" +
                 CopyToDrivers("Card", "contoso-card.sys\n"));
    device.infSectionExt.clear();
    RecordingReporter reporter;
    EXPECT_FALSE(Run(reporter));
    EXPECT_TRUE(device.files.empty());
    EXPECT_EQ(reason, L"The source name of contoso-card.sys does not fit the path limit.");
}

TEST_F(PackageTest, OemNamedInfStaysAtTheTopWhateverFolderItsCatalogIsIn)
{
    std::string inf = CardInf(false);
    inf.insert(inf.find("\n[SourceDisksNames]"), "CatalogFile=sub\\x.cat\n");
    WritePackage(inf, L"oem42.inf");
    device.infPath = L"oem42.inf";
    device.infSectionExt.clear();
    RecordingReporter reporter;
    ASSERT_TRUE(Run(reporter));
    const std::vector<std::wstring> names = reporter.Names();
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(names[names.size() - 2], L"sub\\x.cat") << "the catalog where the INF expects it";
    EXPECT_EQ(names.back(), L"x.inf");
}

TEST_F(PackageTest, OnlyThePublishedOemNameTakesTheCatalogsName)
{
    WritePackage(CardInf(true), L"phoemix.inf");
    device.infPath = L"phoemix.inf";
    RecordingReporter reporter;
    ASSERT_TRUE(Run(reporter));
    EXPECT_EQ(reporter.Names().back(), L"phoemix.inf");
    EXPECT_TRUE(IsPublishedOemInfName(L"oem0.inf"));
    EXPECT_TRUE(IsPublishedOemInfName(L"OEM123.INF"));
    EXPECT_FALSE(IsPublishedOemInfName(L"oem.inf"));
    EXPECT_FALSE(IsPublishedOemInfName(L"oem1x.inf"));
    EXPECT_FALSE(IsPublishedOemInfName(L"oem1.inf.bak"));
    EXPECT_FALSE(IsPublishedOemInfName(L"myoem1.inf"));
    EXPECT_FALSE(IsPublishedOemInfName(L""));
}

TEST_F(PackageTest, InstalledCatalogPathThatDoesNotFitIsNoCopy)
{
    WritePackage(CardInf(true));
    device.infFullPath = package / L"contoso.inf";
    device.infPath = std::wstring(600, 'n') + L".inf";
    RecordingReporter reporter;
    ASSERT_TRUE(Run(reporter));
    const DriverFile* catalog = FileNamed(device, L"contoso64.cat");
    ASSERT_NE(catalog, nullptr);
    EXPECT_EQ(catalog->target, L"") << "not the relative path \".cat\"";
}

// A file only the last-resort search finds is held against the INF's catalog: another
// package's file of that name is not taken, and where it was found is kept for the log.
TEST_F(PackageTest, FileFoundBySearchIsTakenOnlyWhenTheCatalogListsIt)
{
    const struct {
        const char* what;
        bool catalog;       // the INF names contoso64.cat, which lists the driver's own bytes
        const char* found;  // what the same-named file in the system folder holds
        CatalogCheck check;  // and the file is taken unless it is a Mismatch
    } rows[] = {
        {"the driver's own copy", true, "the driver's own dll", CatalogCheck::Matches},
        {"another package's file", true, "another package's dll", CatalogCheck::Mismatch},
        {"no catalog", false, "another package's dll", CatalogCheck::Unchecked},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        device.files.clear();
        WritePackage(CardInf(row.catalog));
        ASSERT_TRUE(WriteFileBytes(package / L"contoso64.cat", fixture::MakeCatalog({"the driver's own dll"})));
        const std::wstring searched = WriteSystemFile(L"tarnwick-test\\other\\contoso-search.dll", row.found);
        RecordingReporter reporter;
        ASSERT_TRUE(Run(reporter));
        const DriverFile* file = FileNamed(device, L"contoso-search.dll");
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->catalogCheck, row.check);
        EXPECT_EQ(file->searchFound, searched);
        EXPECT_EQ(file->path, row.check == CatalogCheck::Mismatch ? std::wstring() : searched);
    }
}
