// The device report as JSON and CSV: the fixed names in their order, text of any kind
// round-tripped, nulls, the summary, CSV quoting and rows, cells a spreadsheet would run as
// formulas, the file chosen by extension, and driver dates turned into ISO dates.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "saving/DeviceReport.h"
#include "saving/ReportWriter.h"
#include "tests/support/TempFolder.h"

namespace {

using Json = nlohmann::ordered_json;

// Names that need escaping in JSON and quoting in CSV, and text beyond ASCII: Cyrillic, CJK,
// and an emoji (a surrogate pair in UTF-16).
const wchar_t kAwkwardName[] = L"Q\"uote\\Back,slash\tTab\nLine\x01\x1f \x0414\x0440\x0430\x0439\x0432\x0435\x0440 "
                               L"\x9a71\x52a8 \xd83d\xde80";
const char kAwkwardNameUtf8[] = "Q\"uote\\Back,slash\tTab\nLine\x01\x1f \xd0\x94\xd1\x80\xd0\xb0\xd0\xb9\xd0\xb2\xd0\xb5"
                                "\xd1\x80 \xe9\xa9\xb1\xe5\x8a\xa8 \xf0\x9f\x9a\x80";

ReportDevice SavedDevice()
{
    ReportDevice device;
    device.instanceId = L"ROOT\\TARNWICK\\0000";
    device.name = kAwkwardName;
    device.description = L"Widget";
    device.className = L"TarnwickWidget";
    device.classGuid = L"{0B5E7C1A-93D4-4E0F-8A2B-6C7D8E9F0A1B}";
    device.present = true;
    device.hardwareIds = {L"ROOT\\TARNWICK", L"TARNWICK"};
    device.compatibleIds = {L"GENERIC"};
    device.inf = L"oem3.inf";
    device.originalInf = L"widget.inf";
    device.infSection = L"WidgetInstall";
    device.provider = L"Contoso, Ltd.";
    device.manufacturer = L"Contoso";
    device.driverVersion = L"2.4.1.7";
    device.driverDate = L"2021-03-04";
    device.status = L"saved";
    device.folder = L"Widgets\\Widget";
    FILETIME read = {};
    read.dwHighDateTime = 0x01d71234;
    read.dwLowDateTime = 0x89abcdef;
    device.files = {{L"widget.sys", 3, "ab", L"C:\\Windows\\System32\\drivers\\widget.sys", read},
                    {L"sub\\x,y.dll", 12345678901ull, "cd", L"", std::nullopt}};
    return device;
}

ReportDevice FailedDevice()
{
    ReportDevice device;
    device.instanceId = L"ROOT\\OTHER\\0000";
    device.name = L"Other";
    device.present = false;
    device.status = L"failed";
    device.error = L"Failed to find driver files.";
    return device;
}

DeviceReport TwoDevices()
{
    DeviceReport report;
    report.version = L"3.1";
    report.computer = L"PC-1";
    report.createdUtc = L"2026-12-08T09:30:00Z";
    report.target = L"D:\\Drivers";
    report.targetAsGiven = L"D:\\{model}";
    report.log = L"D:\\Drivers\\Tarnwick-08.12.2026-10.30.00-log.txt";
    report.devices = {SavedDevice(), FailedDevice()};
    return report;
}

std::vector<std::string> Keys(const Json& object)
{
    std::vector<std::string> keys;
    for (auto it = object.begin(); it != object.end(); ++it)
        keys.push_back(it.key());
    return keys;
}

} // namespace

TEST(ReportWriter, JsonHasTheFixedNamesInTheirOrder)
{
    const Json root = Json::parse(ReportJson(TwoDevices()));
    EXPECT_EQ(Keys(root), (std::vector<std::string>{"tool", "version", "computer", "createdUtc", "target",
                                                    "targetAsGiven", "log", "devices", "summary"}));
    EXPECT_EQ(root["tool"], "Tarnwick");
    EXPECT_EQ(root["version"], "3.1");
    EXPECT_EQ(root["computer"], "PC-1");
    EXPECT_EQ(root["createdUtc"], "2026-12-08T09:30:00Z");
    EXPECT_EQ(root["target"], "D:\\Drivers");
    EXPECT_EQ(root["targetAsGiven"], "D:\\{model}");
    EXPECT_EQ(root["log"], "D:\\Drivers\\Tarnwick-08.12.2026-10.30.00-log.txt");
    ASSERT_EQ(root["devices"].size(), 2u);
    const Json& device = root["devices"][0];
    EXPECT_EQ(Keys(device),
              (std::vector<std::string>{"instanceId", "name", "description", "class", "classGuid", "present",
                                        "hardwareIds", "compatibleIds", "inf", "originalInf", "infSection", "provider",
                                        "manufacturer", "driverVersion", "driverDate", "status", "folder", "error",
                                        "unchangedSince", "verified", "files"}));
    EXPECT_EQ(device["class"], "TarnwickWidget");
    EXPECT_EQ(device["hardwareIds"], Json::array({"ROOT\\TARNWICK", "TARNWICK"}));
    EXPECT_EQ(device["compatibleIds"], Json::array({"GENERIC"}));
    EXPECT_EQ(device["present"], true);
    EXPECT_EQ(device["driverDate"], "2021-03-04");
    EXPECT_EQ(device["status"], "saved");
    EXPECT_EQ(device["folder"], "Widgets\\Widget");
    EXPECT_TRUE(device["error"].is_null());
    ASSERT_EQ(device["files"].size(), 2u);
    EXPECT_EQ(Keys(device["files"][1]), (std::vector<std::string>{"path", "size", "sha256", "source", "sourceTime"}));
    EXPECT_EQ(device["files"][0]["source"], "C:\\Windows\\System32\\drivers\\widget.sys");
    EXPECT_EQ(device["files"][0]["sourceTime"], "2021-03-06T02:58:08.8056303Z");
    EXPECT_TRUE(device["files"][1]["source"].is_null());
    EXPECT_TRUE(device["files"][1]["sourceTime"].is_null());
    EXPECT_EQ(device["files"][1]["path"], "sub\\x,y.dll");
    EXPECT_EQ(device["files"][1]["size"], 12345678901ull);
    EXPECT_EQ(device["files"][1]["sha256"], "cd");
    EXPECT_EQ(root["summary"], Json({{"devices", 2}, {"saved", 1}, {"failed", 1}, {"unchanged", 0}, {"kept", 0}}));
}

TEST(ReportWriter, JsonNullsWhereNothingIsKnown)
{
    DeviceReport report = TwoDevices();
    report.target.reset();
    report.targetAsGiven.reset();
    report.log.reset();
    report.devices[1].files = {{L"lost.sys", 0, "", L"", std::nullopt}};
    const Json root = Json::parse(ReportJson(report));
    EXPECT_TRUE(root["target"].is_null());
    EXPECT_TRUE(root["targetAsGiven"].is_null());
    EXPECT_TRUE(root["log"].is_null());
    const Json& failed = root["devices"][1];
    EXPECT_TRUE(failed["folder"].is_null());
    EXPECT_TRUE(failed["driverDate"].is_null());
    EXPECT_EQ(failed["error"], "Failed to find driver files.");
    EXPECT_EQ(failed["present"], false);
    EXPECT_EQ(failed["hardwareIds"], Json::array());
    EXPECT_TRUE(failed["files"][0]["sha256"].is_null()) << "a file that could not be read has no digest";
}

TEST(ReportWriter, JsonRoundTripsQuotesBackslashesControlCharactersAndNonAscii)
{
    const std::string text = ReportJson(TwoDevices());
    // Control characters are escaped, never written raw.
    for (char c : text)
        EXPECT_TRUE(static_cast<unsigned char>(c) >= 0x20 || c == '\n') << static_cast<int>(c);
    const Json root = Json::parse(text);
    EXPECT_EQ(root["devices"][0]["name"].get<std::string>(), kAwkwardNameUtf8);
}

TEST(ReportWriter, JsonReadsBackAsWritten)
{
    DeviceReport report = TwoDevices();
    report.targetAsGiven = L"\\\\srv\\{model}";
    report.devices[0].unchangedSince = L"2026-12-01T22:00:00Z";
    report.devices[1].status = L"kept";
    report.devices[1].verified = L"damaged";
    const std::optional<DeviceReport> read = ParseReportJson(ReportJson(report));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(ReportJson(*read), ReportJson(report));
    ASSERT_EQ(read->devices.size(), 2u);
    EXPECT_EQ(read->devices[0].name, kAwkwardName);
    ASSERT_TRUE(read->devices[0].files[0].sourceTime.has_value());
    EXPECT_EQ(read->devices[0].files[0].sourceTime->dwLowDateTime, 0x89abcdefu) << "exact to 100 ns";
    EXPECT_EQ(read->devices[0].files[1].size, 12345678901ull);

    // Anything but this program's report is no report.
    for (const char* text : {"", "{", "[]", "{\"tool\":\"Other\",\"devices\":[]}", "{\"tool\":1,\"devices\":[]}",
                             "{\"tool\":\"Tarnwick\"}", "{\"tool\":\"Tarnwick\",\"devices\":[1]}"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ParseReportJson(text).has_value());
    }
    // A field of another type reads as empty.
    const std::optional<DeviceReport> odd =
        ParseReportJson("{\"tool\":\"Tarnwick\",\"devices\":[{\"name\":5,\"files\":[{\"size\":-1,\"sourceTime\":\"x\"}]}]}");
    ASSERT_TRUE(odd.has_value());
    EXPECT_EQ(odd->devices.at(0).name, L"");
    EXPECT_EQ(odd->devices[0].files.at(0).size, 0u);
    EXPECT_FALSE(odd->devices[0].files[0].sourceTime.has_value());
}

TEST(ReportWriter, LoneSurrogateBecomesTheReplacementCharacter)
{
    DeviceReport report = TwoDevices();
    report.devices[0].name = std::wstring(L"A") + wchar_t(0xd800) + L"B";
    const Json root = Json::parse(ReportJson(report));
    EXPECT_EQ(root["devices"][0]["name"].get<std::string>(), "A\xef\xbf\xbd" "B");
}

TEST(ReportWriter, CsvHasABomAHeaderAndOneRowPerFile)
{
    const std::string csv = ReportCsv(TwoDevices());
    ASSERT_EQ(csv.compare(0, 3, "\xEF\xBB\xBF"), 0) << "UTF-8 byte order mark";
    const std::string header =
        "instanceId,name,description,class,classGuid,present,hardwareIds,compatibleIds,inf,originalInf,infSection,"
        "provider,manufacturer,driverVersion,driverDate,status,folder,error,unchangedSince,verified,path,size,sha256,source,"
        "sourceTime\r\n";
    ASSERT_EQ(csv.compare(3, header.size(), header), 0);
    std::string quotedName = "\"";
    for (const char* c = kAwkwardNameUtf8; *c; ++c)
        quotedName += *c == '"' ? std::string("\"\"") : std::string(1, *c);
    const std::string device = "ROOT\\TARNWICK\\0000," + quotedName +
                               "\",Widget,TarnwickWidget,{0B5E7C1A-93D4-4E0F-8A2B-6C7D8E9F0A1B},true,"
                               "ROOT\\TARNWICK;TARNWICK,GENERIC,oem3.inf,widget.inf,WidgetInstall,\"Contoso, Ltd.\","
                               "Contoso,2.4.1.7,2021-03-04,saved,Widgets\\Widget,,,,";
    const std::string expected =
        header + device + "widget.sys,3,ab,C:\\Windows\\System32\\drivers\\widget.sys,2021-03-06T02:58:08.8056303Z\r\n" +
        device + "\"sub\\x,y.dll\",12345678901,cd,,\r\n" +
        "ROOT\\OTHER\\0000,Other,,,,false,,,,,,,,,,failed,,Failed to find driver files.,,,,,,,\r\n";
    EXPECT_EQ(csv.substr(3), expected);
}

TEST(ReportWriter, FileKindFollowsTheExtension)
{
    const TempFolder folder;
    const DeviceReport report = TwoDevices();
    ASSERT_TRUE(WriteReportFile(folder / L"report.CSV", report));
    EXPECT_EQ(ReadFileBytes(folder / L"report.CSV"), ReportCsv(report));
    ASSERT_TRUE(WriteReportFile(folder / L"report.json", report));
    EXPECT_EQ(ReadFileBytes(folder / L"report.json"), ReportJson(report));
    EXPECT_FALSE(WriteReportFile(folder / L"no such folder\\report.json", report));
}

namespace {

std::optional<FILETIME> FileTimeOf(WORD year, WORD month, WORD day)
{
    SYSTEMTIME date = {};
    date.wYear = year;
    date.wMonth = month;
    date.wDay = day;
    FILETIME time = {};
    if (!::SystemTimeToFileTime(&date, &time))
        return std::nullopt;
    return time;
}

} // namespace

TEST(ReportWriter, DriverDatesBecomeIsoDates)
{
    const std::optional<FILETIME> march11 = FileTimeOf(2023, 3, 11);
    ASSERT_TRUE(march11);
    const struct {
        std::optional<FILETIME> data;
        const wchar_t* stored;
        const wchar_t* iso;  // null: no date
    } cases[] = {
        {std::nullopt, L"6-21-2006", L"2006-06-21"},  {std::nullopt, L"03-04-2021", L"2021-03-04"},
        {std::nullopt, L"12-31-1999", L"1999-12-31"}, {std::nullopt, L"", nullptr},
        {std::nullopt, L"2021-03-04", nullptr},       {std::nullopt, L"13-01-2020", nullptr},
        {std::nullopt, L"1-32-2020", nullptr},        {std::nullopt, L"1-x-2020", nullptr},
        {std::nullopt, L"1-1-20", nullptr},
        // The file time first, whatever the text says.
        {march11, L"03-11-2023", L"2023-03-11"},      {march11, L"3-11-2023", L"2023-03-11"},
        {march11, L"11.03.2023", L"2023-03-11"},      {march11, L"", L"2023-03-11"},
        {march11, L"6-21-2006", L"2023-03-11"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(std::wstring(test.data ? L"file time, " : L"") + test.stored);
        const std::optional<std::wstring> iso = IsoDriverDate(test.data, test.stored);
        if (test.iso)
            EXPECT_EQ(iso.value_or(L"none"), test.iso);
        else
            EXPECT_FALSE(iso.has_value());
    }
}

TEST(ReportWriter, CsvCellsThatASpreadsheetWouldRunAreWrittenAsText)
{
    const struct {
        const char* text;
        const char* cell;
    } cases[] = {
        {"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""}, {"+1", "'+1"},  {"-2+3", "'-2+3"},
        {"@SUM(A1)", "'@SUM(A1)"},   {"\tTab", "'\tTab"},           {"\rcmd", "\"'\rcmd\""},
        {"a=b", "a=b"},              {"", ""},                       {"x,y", "\"x,y\""},
        {" =1", " =1"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.text);
        EXPECT_EQ(CsvCell(test.text), test.cell);
    }
    // Both writers: the CSV cell made safe, the JSON text as it is.
    DeviceReport report = TwoDevices();
    report.devices[1].name = L"=cmd|' /C calc'!A0";
    EXPECT_NE(ReportCsv(report).find("\r\nROOT\\OTHER\\0000,'=cmd|' /C calc'!A0,"), std::string::npos);
    EXPECT_EQ(Json::parse(ReportJson(report))["devices"][1]["name"], "=cmd|' /C calc'!A0");
}
