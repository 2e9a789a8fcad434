// Nightly runs of tarnwick.exe into one named folder on a share, as a fleet's deployment tool
// starts them: the second run on an unchanged PC copies no file and reads none of the drivers'
// files, a run after one driver was updated copies that device alone, and "/full" copies
// every device again. Each run's report parses and lists the folders the backup holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "platform/Handles.h"
#include "platform/RegistryKey.h"
#include "saving/ReportWriter.h"
#include "tests/e2e/TarnwickRun.h"
#include "tests/saving/SavingTestSupport.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestShare.h"

namespace {

const wchar_t kFirmwareKey[] = L"HARDWARE\\DESCRIPTION\\System\\BIOS";
const wchar_t kNamedTarget[] = L"\\\\srv\\share\\{os}\\{manufacturer}\\{model}";

struct Drivers {
    fixture::SimpleDriver widget = fixture::OneModelDriver(L"nightlyw", L"Nightly Widget", L"ROOT\\TARNWICK_NIGHTLY_W");
    fixture::SimpleDriver gadget = fixture::OneModelDriver(L"nightlyg", L"Nightly Gadget", L"ROOT\\TARNWICK_NIGHTLY_G");
    std::unique_ptr<fixture::ScopedPackage> widgetPackage;
    std::unique_ptr<fixture::ScopedPackage> gadgetPackage;
    std::unique_ptr<fixture::ScopedPackage> layoutPackage;
};

std::unique_ptr<Drivers> g_drivers;

bool SetFirmwareText(const wchar_t* name, const std::wstring& text)
{
    RegistryKey key(HKEY_LOCAL_MACHINE, kFirmwareKey, true);
    return key.IsOpen() && key.WriteText(name, text) == ERROR_SUCCESS;
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// One run into the named target: its exit code, its log and its report, read back.
struct NightlyRun {
    DWORD exitCode = STILL_ACTIVE;
    std::wstring target;
    std::string log;
    std::optional<DeviceReport> report;
};

NightlyRun RunNightly(const std::wstring& extra = std::wstring())
{
    NightlyRun nightly;
    const ProgramRun run = RunTarnwick(PathArgument(kNamedTarget) + extra);
    nightly.exitCode = run.exitCode;
    // A scripted run names its log, in the target folder, as its last line.
    std::string output = run.output;
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    const std::string logPath = output.substr(output.rfind('\n') + 1);
    nightly.target = std::wstring(logPath.begin(), logPath.begin() + static_cast<std::ptrdiff_t>(logPath.rfind('\\')));
    nightly.log = ReadFileBytes(std::wstring(logPath.begin(), logPath.end()));
    nightly.report = ReadReportFile(nightly.target + L"\\" + kBackupReportName);
    return nightly;
}

// The saved copies of the devices a report lists, each with the size the report gives, and
// the program's copy beside them.
std::vector<std::pair<std::wstring, uint64_t>> SavedCopies(const NightlyRun& run)
{
    std::vector<std::pair<std::wstring, uint64_t>> copies;
    for (const ReportDevice& device : run.report->devices)
        for (const ReportFile& file : device.files)
            copies.push_back({run.target + L"\\" + *device.folder + L"\\" + file.path, file.size});
    const std::wstring program = run.target + L"\\tarnwick.exe";
    copies.push_back({program, ReadFileBytes(program).size()});
    return copies;
}

// Blanks a file: as many zero bytes as it held, and the last-write time it had.
bool Blank(const std::wstring& path, uint64_t size)
{
    FILETIME creation = {}, lastWrite = {};
    if (!ReadFileTimes(path, creation, lastWrite) || !WriteFileBytes(path, std::string(size, '\0')))
        return false;
    const UniqueFileHandle file(
        ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    return file && ::SetFileTime(file.get(), nullptr, nullptr, &lastWrite);
}

class NightlyBackupTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        g_drivers = std::make_unique<Drivers>();
        Drivers& d = *g_drivers;
        d.widgetPackage = std::make_unique<fixture::ScopedPackage>(
            fixture::MakePackage(d.widget, {{L"ROOT\\TARNWICK_NIGHTLY_W"}}));
        d.gadgetPackage = std::make_unique<fixture::ScopedPackage>(
            fixture::MakePackage(d.gadget, {{L"ROOT\\TARNWICK_NIGHTLY_G"}}));
        d.layoutPackage = std::make_unique<fixture::ScopedPackage>(fixture::LayoutPackage(L"ROOT\\TARNWICK_NIGHTLY_L"));
    }

    static void TearDownTestSuite() { g_drivers.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(recorder.installed()) << "TARNWICK_OPEN_RECORDER is not set";
        for (const auto* package : {&g_drivers->widgetPackage, &g_drivers->gadgetPackage, &g_drivers->layoutPackage})
            ASSERT_TRUE((*package)->ok()) << ::testing::PrintToString((*package)->error());
        if (WineShares().empty())
            GTEST_SKIP() << "the share is made in Wine's prefix";
        share = WineShares() + L"\\share";
        ASSERT_TRUE(MakeFolders(share));
        ASSERT_TRUE(SetFirmwareText(L"SystemManufacturer", L"Fabrikam, Inc."));
        ASSERT_TRUE(SetFirmwareText(L"SystemProductName", L"Nightly 15"));
    }

    void TearDown() override
    {
        if (!share.empty())
            RemoveTree(share);
        RemoveLogsInTemp();
    }

    OpenVerbRecorder recorder;
    std::wstring share;
};

} // namespace

TEST_F(NightlyBackupTest, SecondRunCopiesNothingAndALaterOneOnlyTheUpdatedDriver)
{
    const NightlyRun first = RunNightly();
    ASSERT_EQ(first.exitCode, 0u) << first.log;
    ASSERT_TRUE(first.report);
    const size_t devices = first.report->devices.size();
    ASSERT_EQ(devices, 3u);
    EXPECT_EQ(first.target.compare(0, 12, L"\\\\srv\\share\\"), 0) << ::testing::PrintToString(first.target);
    EXPECT_NE(first.target.find(L"\\Fabrikam, Inc\\Nightly 15"), std::wstring::npos)
        << ::testing::PrintToString(first.target);

    // Every copy is blanked, its size and time kept: a copy made again would hold its bytes.
    const std::vector<std::pair<std::wstring, uint64_t>> copies = SavedCopies(first);
    for (const auto& copy : copies)
        ASSERT_TRUE(Blank(copy.first, copy.second)) << ::testing::PrintToString(copy.first);
    // The drivers' files (all but the INFs, which the scan's setup services read) are locked
    // against any reader.
    std::vector<UniqueFileHandle> locks;
    for (const ReportDevice& device : first.report->devices)
        for (const ReportFile& file : device.files)
            if (file.path.size() < 4 || file.path.substr(file.path.size() - 4) != L".inf")
                locks.emplace_back(::CreateFileW(file.source.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    for (const UniqueFileHandle& lock : locks)
        ASSERT_TRUE(lock);

    const NightlyRun second = RunNightly();
    EXPECT_EQ(second.exitCode, 0u) << second.log;
    EXPECT_EQ(second.target, first.target);
    EXPECT_EQ(Count(second.log, "  Unchanged since "), devices) << second.log;
    EXPECT_EQ(Count(second.log, "Saving to"), 0u);
    EXPECT_EQ(Count(second.log, "Searching for driver files"), 0u);
    for (const auto& copy : copies)
        EXPECT_EQ(ReadFileBytes(copy.first), std::string(copy.second, '\0'))
            << "copied again: " << ::testing::PrintToString(copy.first);
    ASSERT_TRUE(second.report);
    ASSERT_EQ(second.report->devices.size(), devices);
    for (size_t i = 0; i < devices; ++i) {
        EXPECT_EQ(second.report->devices[i].status, L"saved");
        EXPECT_EQ(second.report->devices[i].folder, first.report->devices[i].folder);
        EXPECT_EQ(second.report->devices[i].unchangedSince, first.report->createdUtc);
    }
    locks.clear();

    // The widget's driver is updated: a new version with another driver file.
    const fixture::InstallResult& widget = g_drivers->widgetPackage->result();
    ASSERT_TRUE(WriteFileBytes(widget.packageFolder + L"\\nightlyw.sys", "the widget driver, version 2"));
    ASSERT_TRUE(fixture::SetDriverText(widget.devices.at(0).instanceId, L"DriverVersion", L"2.0.0.0"));

    const NightlyRun third = RunNightly();
    EXPECT_EQ(third.exitCode, 0u) << third.log;
    EXPECT_EQ(Count(third.log, "  Unchanged since "), devices - 1) << third.log;
    const std::wstring widgetFolder = first.target + L"\\" + fixture::kTestClassDescription + L"\\Nightly Widget";
    const std::string saving = "  Saving to " + Latin1(widgetFolder) + "[1]...";
    EXPECT_EQ(Count(third.log, "Saving to"), 1u);
    EXPECT_EQ(Count(third.log, saving), 1u) << third.log;
    EXPECT_EQ(ReadFileBytes(widgetFolder + L"[1]\\nightlyw.sys"), "the widget driver, version 2");
    EXPECT_EQ(ReadFileBytes(widgetFolder + L"\\nightlyw.sys").find_first_not_of('\0'), std::string::npos)
        << "the earlier folder stays as it was";
    ASSERT_TRUE(third.report);
    ASSERT_EQ(third.report->devices.size(), devices + 1);
    const ReportDevice& kept = third.report->devices.back();
    EXPECT_EQ(kept.status, L"kept");
    EXPECT_EQ(kept.folder, std::wstring(fixture::kTestClassDescription) + L"\\Nightly Widget");
    EXPECT_EQ(kept.driverVersion, L"1.2.3.4");

    const NightlyRun full = RunNightly(L" /full");
    EXPECT_EQ(full.exitCode, 0u) << full.log;
    EXPECT_EQ(Count(full.log, "Unchanged since"), 0u);
    EXPECT_EQ(Count(full.log, "  Saving to "), devices);
    ASSERT_TRUE(full.report);
    EXPECT_EQ(full.report->devices.size(), devices + devices + 1) << "every earlier folder is kept";
}
