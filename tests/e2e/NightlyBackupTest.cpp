// Nightly runs of tarnwick.exe into one named folder on a share, as a fleet's deployment tool
// starts them: the second run on an unchanged PC copies and reads none of the drivers' files,
// a run after one driver was updated copies that device alone.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/RegistryKey.h"
#include "saving/ReportWriter.h"
#include "tests/e2e/TarnwickRun.h"
#include "tests/support/TempFolder.h"

namespace {

struct NightlyRun {
    DWORD exitCode = STILL_ACTIVE;
    std::wstring target;
    std::string log;
    std::optional<DeviceReport> report;

    size_t Count(const std::string& part) const
    {
        size_t count = 0;
        for (size_t at = log.find(part); at != std::string::npos; at = log.find(part, at + 1))
            ++count;
        return count;
    }
};

NightlyRun RunNightly()
{
    const ProgramRun run = RunTarnwick(PathArgument(L"\\\\srv\\share\\{os}\\{manufacturer}\\{model}"));
    // A scripted run names its log, in the target folder, as its last line (ASCII here).
    const std::string output = run.output.substr(0, run.output.find_last_not_of("\r\n") + 1);
    const std::string logLine = output.substr(output.rfind('\n') + 1);
    const std::wstring log(logLine.begin(), logLine.end());
    const std::wstring target = log.substr(0, log.rfind(L'\\'));
    return {run.exitCode, target, ReadFileBytes(log), ReadReportFile(target + L"\\" + kBackupReportName)};
}

} // namespace

TEST(NightlyBackup, SecondRunCopiesNothingAndALaterOneOnlyTheUpdatedDriver)
{
    // Wine keeps the share \\srv\share of its prefix in dosdevices\unc.
    const wchar_t* prefix = ::_wgetenv(L"WINEPREFIX");
    ASSERT_NE(prefix, nullptr) << "the share is made in Wine's prefix";
    std::wstring share = L"Z:" + std::wstring(prefix) + L"/dosdevices/unc/srv/share";
    std::replace(share.begin(), share.end(), L'/', L'\\');
    ASSERT_TRUE(MakeFolders(share));
    RegistryKey firmware(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\BIOS", true);
    ASSERT_EQ(firmware.WriteText(L"SystemManufacturer", L"Fabrikam, Inc."), ERROR_SUCCESS);
    ASSERT_EQ(firmware.WriteText(L"SystemProductName", L"Nightly 15"), ERROR_SUCCESS);
    const fixture::ScopedPackage widget(fixture::MakePackage(
        fixture::OneModelDriver(L"nightlyw", L"Nightly Widget", L"ROOT\\NIGHTLY_W"), {{L"ROOT\\NIGHTLY_W"}}));
    const fixture::ScopedPackage gadget(fixture::MakePackage(
        fixture::OneModelDriver(L"nightlyg", L"Nightly Gadget", L"ROOT\\NIGHTLY_G"), {{L"ROOT\\NIGHTLY_G"}}));
    const fixture::ScopedPackage layout(fixture::LayoutPackage(L"ROOT\\NIGHTLY_L"));
    ASSERT_TRUE(widget.ok() && gadget.ok() && layout.ok());

    const NightlyRun first = RunNightly();
    ASSERT_EQ(first.exitCode, 0u) << first.log;
    EXPECT_TRUE(first.target.find(L"\\\\srv\\share\\Windows ") == 0 &&
                first.target.find(L"\\Fabrikam, Inc\\Nightly 15") != std::wstring::npos)
        << ::testing::PrintToString(first.target);
    ASSERT_TRUE(first.report);
    ASSERT_EQ(first.report->devices.size(), 3u);

    // Every copy (the program's too) is locked against writers, and the drivers' files but the
    // INFs (which the scan's setup services read) against readers: a file read or copied fails.
    std::vector<UniqueFileHandle> locks;
    const auto lock = [&locks](const std::wstring& path) {
        locks.emplace_back(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        return locks.back().valid();
    };
    ASSERT_TRUE(lock(first.target + L"\\tarnwick.exe"));
    for (const ReportDevice& device : first.report->devices) {
        for (const ReportFile& file : device.files) {
            ASSERT_TRUE(lock(first.target + L"\\" + *device.folder + L"\\" + file.path));
            ASSERT_TRUE(file.path.find(L".inf") != std::wstring::npos || lock(file.source));
        }
    }

    const NightlyRun second = RunNightly();
    EXPECT_EQ(second.exitCode, 0u) << second.log;
    EXPECT_EQ(second.Count("\n  Unchanged since "), 3u) << second.log;
    EXPECT_EQ(second.Count("Searching") + second.Count("Saving to") + second.Count("ERROR"), 0u);
    ASSERT_TRUE(second.report);
    EXPECT_EQ(second.report->devices[2].unchangedSince, first.report->createdUtc);
    locks.clear();

    // The widget's driver is updated: a new version with another driver file.
    ASSERT_TRUE(WriteFileBytes(widget.result().packageFolder + L"\\nightlyw.sys", "the widget driver, version 2"));
    ASSERT_TRUE(fixture::SetDriverText(widget.result().devices.at(0).instanceId, L"DriverVersion", L"2.0.0.0"));
    const NightlyRun third = RunNightly();
    EXPECT_EQ(third.exitCode, 0u) << third.log;
    EXPECT_EQ(third.Count("\n  Unchanged since "), 2u) << third.log;
    const std::wstring widgetFolder = first.target + L"\\" + fixture::kTestClassDescription + L"\\Nightly Widget[1]";
    EXPECT_EQ(third.Count("  Saving to "), 1u);
    EXPECT_EQ(ReadFileBytes(widgetFolder + L"\\nightlyw.sys"), "the widget driver, version 2");
    ASSERT_TRUE(third.report);
    ASSERT_EQ(third.report->devices.size(), 4u) << "the widget's earlier folder is listed too";
    EXPECT_EQ(third.report->devices.back().status, L"kept");
}
