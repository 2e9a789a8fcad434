// tarnwick.exe "/report:<file>" on a prefix with fixture drivers: with "/path:" the report of
// the backup (the devices of the log in its order, their IDs as the setup services give them,
// every saved file with its size and digest), alone the device list with nothing saved; JSON
// and CSV; a report that cannot be written.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <memory>
#include <nlohmann/json.hpp>

#include "app/CStandaloneTarnwick.h"
#include "app/CommandLineOptions.h"
#include "discovery/SystemFolders.h"
#include "log/SaveLog.h"
#include "platform/ShellPath.h"
#include "tests/e2e/TarnwickRun.h"
#include "tests/saving/SavingTestSupport.h"
#include "tests/support/ReferenceHash.h"
#include "tests/support/ShellOpenRecorder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestFiles.h"

namespace {

using Json = nlohmann::ordered_json;

// A friendly name with what JSON escapes and CSV quotes, and letters beyond ISO 8859-1.
const wchar_t kAwkwardName[] = L"Widget \"Pro\" \\ \x0414\x0440\x0430\x0439\x0432\x0435\x0440 \x9a71\x52a8 \xd83d\xde80";

std::string Utf8(const std::wstring& text)
{
    const int size = static_cast<int>(text.size());
    const int needed = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &converted[0], needed, nullptr, nullptr);
    return converted;
}

struct InstalledDrivers {
    std::unique_ptr<fixture::ScopedPackage> widget;
    std::unique_ptr<fixture::ScopedPackage> layout;
};

std::unique_ptr<InstalledDrivers> g_drivers;

// The device names a log lists, in its order: each device's messages start with its name,
// followed by its class line.
std::vector<std::string> DeviceNamesOfLog(const std::string& log)
{
    std::vector<std::string> lines;
    for (size_t start = 0; start < log.size();) {
        const size_t end = log.find("\r\n", start);
        lines.push_back(log.substr(start, end - start));
        start = end == std::string::npos ? log.size() : end + 2;
    }
    std::vector<std::string> names;
    for (size_t i = 0; i + 1 < lines.size(); ++i)
        if (lines[i + 1].compare(0, 7, "Class: ") == 0)
            names.push_back(lines[i]);
    return names;
}

std::wstring Wide(const std::string& utf8)
{
    const int size = static_cast<int>(utf8.size());
    const int needed = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring converted(static_cast<size_t>(needed), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, &converted[0], needed);
    return converted;
}

class CommandLineReportTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        g_drivers = std::make_unique<InstalledDrivers>();
        fixture::SimpleDriver widget =
            fixture::OneModelDriver(L"reportwidget", L"Report Widget", L"ROOT\\TARNWICK_REPORT_WIDGET");
        widget.driverVer = L"03/04/2021,2.4.1.7";
        fixture::DeviceSpec awkward(L"ROOT\\TARNWICK_REPORT_WIDGET");
        awkward.friendlyName = kAwkwardName;
        g_drivers->widget = std::make_unique<fixture::ScopedPackage>(
            fixture::MakePackage(widget, {awkward, {L"ROOT\\TARNWICK_REPORT_WIDGET"}}));
        g_drivers->layout =
            std::make_unique<fixture::ScopedPackage>(fixture::LayoutPackage(L"ROOT\\TARNWICK_REPORT_LAYOUT"));
    }

    static void TearDownTestSuite() { g_drivers.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(g_drivers->widget->ok()) << ::testing::PrintToString(g_drivers->widget->error());
        ASSERT_TRUE(g_drivers->layout->ok()) << ::testing::PrintToString(g_drivers->layout->error());
        target = sandbox / L"Driver Backup";
    }

    void TearDown() override { RemoveLogsInTemp(); }

    // The fixture's devices of the report, by instance ID.
    static std::map<std::wstring, Json> OurDevices(const Json& root)
    {
        std::map<std::wstring, Json> ours;
        for (const auto* package : {&g_drivers->widget, &g_drivers->layout})
            for (const fixture::InstalledDevice& device : (*package)->result().devices)
                for (const Json& reported : root["devices"])
                    if (Wide(reported["instanceId"].get<std::string>()) == device.instanceId)
                        ours[device.instanceId] = reported;
        return ours;
    }

    static std::wstring HardwareIdOf(const std::wstring& instanceId)
    {
        for (const auto* package : {&g_drivers->widget, &g_drivers->layout})
            for (const fixture::InstalledDevice& device : (*package)->result().devices)
                if (device.instanceId == instanceId)
                    return device.hardwareId;
        return std::wstring();
    }

    TempFolder sandbox;
    std::wstring target;
};

} // namespace

TEST_F(CommandLineReportTest, BackupReportListsTheLogsDevicesInItsOrderWithEverySavedFile)
{
    const std::wstring reportFile = sandbox / L"report.json";
    const ProgramRun run = RunTarnwick(PathArgument(target) + L" \"/report:" + reportFile + L"\"");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    const Json root = Json::parse(ReadFileBytes(reportFile));
    EXPECT_EQ(root["tool"], "Tarnwick");
    EXPECT_EQ(root["target"], Utf8(target));
    const std::vector<std::wstring> logs = LogsIn(target);
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(root["log"], Utf8(target + L"\\" + logs[0]));
    EXPECT_NE(run.output.find(Latin1(L"Report: " + reportFile) + "\r\n"), std::string::npos) << run.output;
    EXPECT_EQ(ReadFileBytes(target + L"\\report.json"), ReadFileBytes(reportFile)) << "the backup holds the same report";

    // The same devices as the log, in its order; the log shows each name as 8-bit text.
    std::vector<std::string> reported;
    for (const Json& device : root["devices"])
        reported.push_back(ToLogText(Wide(device["name"].get<std::string>())));
    EXPECT_EQ(reported, DeviceNamesOfLog(OnlyLogIn(target)));
    EXPECT_EQ(root["summary"]["devices"], root["devices"].size());
    EXPECT_EQ(root["summary"]["saved"], root["devices"].size());
    EXPECT_EQ(root["summary"]["failed"], 0);

    const std::map<std::wstring, Json> ours = OurDevices(root);
    ASSERT_EQ(ours.size(), 3u);
    bool awkwardSeen = false;
    for (const auto& entry : ours) {
        SCOPED_TRACE(::testing::PrintToString(entry.first));
        const Json& device = entry.second;
        awkwardSeen = awkwardSeen || device["name"] == Utf8(kAwkwardName);
        EXPECT_EQ(device["hardwareIds"], Json::array({Utf8(HardwareIdOf(entry.first))}));
        EXPECT_EQ(device["status"], "saved");
        EXPECT_TRUE(device["error"].is_null());
        EXPECT_EQ(device["present"], true);
        // Every file in the device folder is listed once, with the size and digest it has there.
        const std::wstring folder = target + L"\\" + Wide(device["folder"].get<std::string>());
        std::vector<std::wstring> listed;
        for (const Json& file : device["files"]) {
            const std::wstring path = Wide(file["path"].get<std::string>());
            const std::string content = ReadFileBytes(folder + L"\\" + path);
            EXPECT_EQ(file["size"], content.size()) << ::testing::PrintToString(path);
            EXPECT_EQ(file["sha256"], ReferenceSha256(content)) << ::testing::PrintToString(path);
            listed.push_back(path);
        }
        std::vector<std::wstring> onDisk;
        for (const std::wstring& entryName : ListTree(folder))
            if (entryName.back() != L'\\')
                onDisk.push_back(entryName);
        EXPECT_EQ(Sorted(listed), onDisk);
        EXPECT_FALSE(listed.empty());
    }
    EXPECT_TRUE(awkwardSeen) << "the friendly name as the setup services give it";
    const Json& widget = ours.at(g_drivers->widget->result().devices.at(0).instanceId);
    EXPECT_EQ(widget["driverDate"], "2021-03-04");
    EXPECT_EQ(widget["driverVersion"], "2.4.1.7");
    EXPECT_EQ(widget["inf"], Utf8(g_drivers->widget->result().publishedInf));
    EXPECT_EQ(widget["class"], Utf8(fixture::kTestClassName));
    EXPECT_EQ(widget["classGuid"], Utf8(fixture::kTestClassGuid));
}

TEST_F(CommandLineReportTest, ReportAloneListsTheDevicesAsCsvAndSavesNothing)
{
    const std::wstring reportFile = sandbox / L"devices.csv";
    const ProgramRun run = RunTarnwick(L"\"/report:" + reportFile + L"\"");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(run.output, "Scanning devices...\r\n" + Latin1(L"Report: " + reportFile) + "\r\n");
    EXPECT_EQ(ListTree(sandbox.path()), std::vector<std::wstring>{L"devices.csv"}) << "nothing saved";
    EXPECT_TRUE(LogsIn(ReadSystemFolders().tempDir).empty()) << "no log is written";

    const std::string csv = ReadFileBytes(reportFile);
    ASSERT_EQ(csv.compare(0, 3, "\xEF\xBB\xBF"), 0);
    for (const auto* package : {&g_drivers->widget, &g_drivers->layout})
        for (const fixture::InstalledDevice& device : (*package)->result().devices) {
            SCOPED_TRACE(::testing::PrintToString(device.instanceId));
            const size_t row = csv.find("\r\n" + Utf8(device.instanceId) + ",");
            ASSERT_NE(row, std::string::npos);
            const std::string line = csv.substr(row + 2, csv.find("\r\n", row + 2) - row - 2);
            EXPECT_NE(line.find(",true," + Utf8(device.hardwareId) + ","), std::string::npos) << line;
            EXPECT_NE(line.find(",listed,,,,,"), std::string::npos) << "no folder, error or files: " << line;
        }
    EXPECT_NE(csv.find("\"" + Utf8(L"Widget \"\"Pro\"\" \\ \x0414")), std::string::npos) << "quoted, quotes doubled";
}

TEST_F(CommandLineReportTest, ReportThatCannotBeWrittenFailsTheRun)
{
    const std::wstring reportFile = sandbox / L"no such folder\\report.json";
    const ProgramRun run = RunTarnwick(L"\"/report:" + reportFile + L"\"");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.output.find(Latin1(L"ERROR: Could not write the report " + reportFile)), std::string::npos)
        << run.output;
}

// "/verify" after a save: a file damaged between the save and the check (the run's seam) makes
// its devices "damaged" in the report and the exit code 1; the other driver's stays "intact".
TEST_F(CommandLineReportTest, VerifyAfterSaveCatchesAFileDamagedBeforeTheCheck)
{
    const std::wstring reportFile = sandbox / L"verified.json";
    ShellOpenRecorder shell;
    CStandaloneTarnwick run(shell);
    run.beforeVerify = [](const FolderPath& backup) {
        for (const std::wstring& entry : ListTree(backup.Full())) {
            if (FileNamePart(entry) != L"reportwidget.sys")
                continue;
            std::string bytes = ReadFileBytes(backup.WithSeparator() + entry);
            bytes[bytes.size() / 2] ^= 0x20;
            EXPECT_TRUE(WriteFileBytes(backup.WithSeparator() + entry, bytes));
        }
    };
    CommandLineOptions options;
    const std::wstring commandLine = L"tarnwick.exe " + PathArgument(target) + L" /verify \"/report:" + reportFile + L"\"";
    ASSERT_EQ(ChooseRun(commandLine.c_str(), options), CommandLineRun::CommandLine);
    EXPECT_EQ(run.Run(options), 1);
    const std::map<std::wstring, Json> ours = OurDevices(Json::parse(ReadFileBytes(reportFile)));
    ASSERT_EQ(ours.size(), 3u);
    for (const auto& device : ours) {
        const bool widget = HardwareIdOf(device.first) == L"ROOT\\TARNWICK_REPORT_WIDGET";
        EXPECT_EQ(device.second["verified"], widget ? "damaged" : "intact") << device.second["name"];
    }
}
