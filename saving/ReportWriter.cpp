#include <windows.h>

#include "saving/ReportWriter.h"

#include <nlohmann/json.hpp>

#include "platform/FolderPath.h"
#include "platform/Handles.h"
#include "saving/ReportTime.h"

namespace {

using Json = nlohmann::ordered_json;

// UTF-8 of UTF-16 text; a lone surrogate becomes U+FFFD, so the output is always valid.
std::string Utf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int size = static_cast<int>(text.size());
    const int needed = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<size_t>(needed > 0 ? needed : 0), '\0');
    if (needed > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &converted[0], needed, nullptr, nullptr);
    return converted;
}

Json Text(const std::wstring& text)
{
    return Utf8(text);
}

Json TextOrNull(const std::optional<std::wstring>& text)
{
    return text ? Json(Utf8(*text)) : Json(nullptr);
}

Json TextList(const std::vector<std::wstring>& texts)
{
    Json list = Json::array();
    for (const std::wstring& text : texts)
        list.push_back(Utf8(text));
    return list;
}

// Text of UTF-8 read back; empty for anything that is not a string.
std::wstring Wide(const Json& value)
{
    if (!value.is_string())
        return std::wstring();
    const std::string& text = value.get_ref<const std::string&>();
    if (text.empty())
        return std::wstring();
    const int size = static_cast<int>(text.size());
    const int needed = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring converted(static_cast<size_t>(needed > 0 ? needed : 0), L'\0');
    if (needed > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, &converted[0], needed);
    return converted;
}

std::optional<std::wstring> WideOrNone(const Json& value)
{
    if (!value.is_string())
        return std::nullopt;
    return Wide(value);
}

std::vector<std::wstring> WideList(const Json& value)
{
    std::vector<std::wstring> texts;
    if (value.is_array()) {
        for (const Json& item : value)
            texts.push_back(Wide(item));
    }
    return texts;
}

Json TimeOrNull(const std::optional<FILETIME>& time)
{
    return time ? Json(Utf8(ReportTimeText(*time))) : Json(nullptr);
}

// One field of a device or of one of its files: its name, which is the JSON key and the CSV
// column, its value as JSON, from which the CSV cell is made too, and how it is read back from
// JSON. Both writers and the reader follow the one list, so that the formats cannot differ in
// names, order or values.
template <typename Record>
struct Field {
    const char* name;
    Json (*value)(const Record&);
    void (*read)(const Json&, Record&);
};

const Field<ReportDevice> kDeviceFields[] = {
    {"instanceId", [](const ReportDevice& d) { return Text(d.instanceId); },
     [](const Json& j, ReportDevice& d) { d.instanceId = Wide(j); }},
    {"name", [](const ReportDevice& d) { return Text(d.name); }, [](const Json& j, ReportDevice& d) { d.name = Wide(j); }},
    {"description", [](const ReportDevice& d) { return Text(d.description); },
     [](const Json& j, ReportDevice& d) { d.description = Wide(j); }},
    {"class", [](const ReportDevice& d) { return Text(d.className); },
     [](const Json& j, ReportDevice& d) { d.className = Wide(j); }},
    {"classGuid", [](const ReportDevice& d) { return Text(d.classGuid); },
     [](const Json& j, ReportDevice& d) { d.classGuid = Wide(j); }},
    {"present", [](const ReportDevice& d) { return Json(d.present); },
     [](const Json& j, ReportDevice& d) { d.present = j.is_boolean() && j.get<bool>(); }},
    {"hardwareIds", [](const ReportDevice& d) { return TextList(d.hardwareIds); },
     [](const Json& j, ReportDevice& d) { d.hardwareIds = WideList(j); }},
    {"compatibleIds", [](const ReportDevice& d) { return TextList(d.compatibleIds); },
     [](const Json& j, ReportDevice& d) { d.compatibleIds = WideList(j); }},
    {"inf", [](const ReportDevice& d) { return Text(d.inf); }, [](const Json& j, ReportDevice& d) { d.inf = Wide(j); }},
    {"originalInf", [](const ReportDevice& d) { return Text(d.originalInf); },
     [](const Json& j, ReportDevice& d) { d.originalInf = Wide(j); }},
    {"infSection", [](const ReportDevice& d) { return Text(d.infSection); },
     [](const Json& j, ReportDevice& d) { d.infSection = Wide(j); }},
    {"provider", [](const ReportDevice& d) { return Text(d.provider); },
     [](const Json& j, ReportDevice& d) { d.provider = Wide(j); }},
    {"manufacturer", [](const ReportDevice& d) { return Text(d.manufacturer); },
     [](const Json& j, ReportDevice& d) { d.manufacturer = Wide(j); }},
    {"driverVersion", [](const ReportDevice& d) { return Text(d.driverVersion); },
     [](const Json& j, ReportDevice& d) { d.driverVersion = Wide(j); }},
    {"driverDate", [](const ReportDevice& d) { return TextOrNull(d.driverDate); },
     [](const Json& j, ReportDevice& d) { d.driverDate = WideOrNone(j); }},
    {"status", [](const ReportDevice& d) { return Text(d.status); },
     [](const Json& j, ReportDevice& d) { d.status = Wide(j); }},
    {"folder", [](const ReportDevice& d) { return TextOrNull(d.folder); },
     [](const Json& j, ReportDevice& d) { d.folder = WideOrNone(j); }},
    {"error", [](const ReportDevice& d) { return TextOrNull(d.error); },
     [](const Json& j, ReportDevice& d) { d.error = WideOrNone(j); }},
    {"unchangedSince", [](const ReportDevice& d) { return TextOrNull(d.unchangedSince); },
     [](const Json& j, ReportDevice& d) { d.unchangedSince = WideOrNone(j); }},
    {"verified", [](const ReportDevice& d) { return TextOrNull(d.verified); },
     [](const Json& j, ReportDevice& d) { d.verified = WideOrNone(j); }},
};

const Field<ReportFile> kFileFields[] = {
    {"path", [](const ReportFile& f) { return Text(f.path); }, [](const Json& j, ReportFile& f) { f.path = Wide(j); }},
    {"size", [](const ReportFile& f) { return Json(f.size); },
     [](const Json& j, ReportFile& f) { f.size = j.is_number_unsigned() ? j.get<uint64_t>() : 0; }},
    {"sha256", [](const ReportFile& f) { return f.sha256.empty() ? Json(nullptr) : Json(f.sha256); },
     [](const Json& j, ReportFile& f) { f.sha256 = j.is_string() ? j.get<std::string>() : std::string(); }},
    {"source", [](const ReportFile& f) { return f.source.empty() ? Json(nullptr) : Text(f.source); },
     [](const Json& j, ReportFile& f) { f.source = Wide(j); }},
    {"sourceTime", [](const ReportFile& f) { return TimeOrNull(f.sourceTime); },
     [](const Json& j, ReportFile& f) { f.sourceTime = ParseReportTime(Wide(j)); }},
};

template <typename Record, size_t count>
Json ObjectOf(const Field<Record> (&fields)[count], const Record& record)
{
    Json object;
    for (const Field<Record>& field : fields)
        object[field.name] = field.value(record);
    return object;
}

template <typename Record, size_t count>
Record RecordOf(const Field<Record> (&fields)[count], const Json& object)
{
    Record record;
    for (const Field<Record>& field : fields) {
        const auto found = object.find(field.name);
        field.read(found != object.end() ? *found : Json(nullptr), record);
    }
    return record;
}

Json DeviceJson(const ReportDevice& device)
{
    Json entry = ObjectOf(kDeviceFields, device);
    entry["files"] = Json::array();
    for (const ReportFile& file : device.files)
        entry["files"].push_back(ObjectOf(kFileFields, file));
    return entry;
}

// A JSON value as a CSV cell: null is empty, a list is joined by ";", a flag or a number is
// written as JSON writes it.
std::string CsvText(const Json& value)
{
    if (value.is_null())
        return std::string();
    if (value.is_string())
        return value.get<std::string>();
    if (!value.is_array())
        return value.dump();
    std::string joined;
    for (const Json& item : value)
        joined += (joined.empty() ? "" : ";") + CsvText(item);
    return joined;
}

template <typename Record, size_t count>
void AppendCells(const Field<Record> (&fields)[count], const Record* record, std::vector<std::string>& cells)
{
    for (const Field<Record>& field : fields)
        cells.push_back(record ? CsvText(field.value(*record)) : std::string());
}

template <typename Record, size_t count>
void AppendNames(const Field<Record> (&fields)[count], std::vector<std::string>& names)
{
    for (const Field<Record>& field : fields)
        names.push_back(field.name);
}

std::string CsvRow(const std::vector<std::string>& cells)
{
    std::string row;
    for (const std::string& cell : cells)
        row += (row.empty() ? "" : ",") + CsvCell(cell);
    return row + "\r\n";
}

// A device's row with one of its files, or with empty file cells for a device without files.
std::string CsvDeviceRow(const ReportDevice& device, const ReportFile* file)
{
    std::vector<std::string> cells;
    AppendCells(kDeviceFields, &device, cells);
    AppendCells(kFileFields, file, cells);
    return CsvRow(cells);
}

bool EndsWithCsv(const std::wstring& file)
{
    if (file.size() < 4)
        return false;
    std::wstring extension = file.substr(file.size() - 4);
    ::CharLowerW(&extension[0]);
    return extension == L".csv";
}

} // namespace

bool IsReportFileName(const std::wstring& file)
{
    const size_t dot = file.rfind(L'.');
    if (dot == std::wstring::npos || file.find_first_of(L"\\/", dot) != std::wstring::npos)
        return false;
    std::wstring extension = file.substr(dot);
    ::CharLowerW(&extension[0]);
    return extension == L".json" || extension == L".csv";
}

std::string ReportJson(const DeviceReport& report)
{
    Json root;
    root["tool"] = "Tarnwick";
    root["version"] = Utf8(report.version);
    root["computer"] = Utf8(report.computer);
    root["createdUtc"] = Utf8(report.createdUtc);
    root["target"] = TextOrNull(report.target);
    root["targetAsGiven"] = TextOrNull(report.targetAsGiven);
    root["log"] = TextOrNull(report.log);
    root["devices"] = Json::array();
    int saved = 0;
    int failed = 0;
    int unchanged = 0;
    int kept = 0;
    for (const ReportDevice& device : report.devices) {
        root["devices"].push_back(DeviceJson(device));
        saved += device.status == L"saved" ? 1 : 0;
        failed += device.status == L"failed" ? 1 : 0;
        unchanged += device.status == L"saved" && device.unchangedSince ? 1 : 0;
        kept += device.status == L"kept" ? 1 : 0;
    }
    root["summary"] = {{"devices", report.devices.size()}, {"saved", saved},   {"failed", failed},
                       {"unchanged", unchanged},          {"kept", kept}};
    return root.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::optional<DeviceReport> ParseReportJson(const std::string& text)
{
    Json root = Json::parse(text, nullptr, false);
    if (!root.is_object() || !root["tool"].is_string() || root["tool"] != "Tarnwick" || !root["devices"].is_array())
        return std::nullopt;
    DeviceReport report;
    report.version = Wide(root["version"]);
    report.computer = Wide(root["computer"]);
    report.createdUtc = Wide(root["createdUtc"]);
    report.target = WideOrNone(root["target"]);
    report.targetAsGiven = WideOrNone(root["targetAsGiven"]);
    report.log = WideOrNone(root["log"]);
    for (const Json& device : root["devices"]) {
        if (!device.is_object())
            return std::nullopt;
        ReportDevice entry = RecordOf(kDeviceFields, device);
        const auto files = device.find("files");
        if (files != device.end() && files->is_array()) {
            for (const Json& file : *files) {
                if (file.is_object())
                    entry.files.push_back(RecordOf(kFileFields, file));
            }
        }
        report.devices.push_back(std::move(entry));
    }
    return report;
}

std::optional<DeviceReport> ReadReportFile(const std::wstring& file)
{
    const UniqueFileHandle input(
        ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    // A report of thousands of devices is a few MiB: a file of hundreds is no report of ours,
    // and is not read into memory.
    if (!input || !::GetFileSizeEx(input.get(), &size) || size.QuadPart > (256 << 20))
        return std::nullopt;
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() &&
        (!::ReadFile(input.get(), &text[0], static_cast<DWORD>(text.size()), &read, nullptr) || read != text.size()))
        return std::nullopt;
    return ParseReportJson(text);
}

std::string CsvCell(const std::string& text)
{
    // A spreadsheet takes a cell that starts with one of these for a formula: the apostrophe
    // makes it text, as spreadsheet programs write such cells themselves.
    std::string cell = text;
    if (!cell.empty() && std::string("=+-@\t\r").find(cell[0]) != std::string::npos)
        cell.insert(0, 1, '\'');
    if (cell.find_first_of(",\"\r\n") == std::string::npos)
        return cell;
    std::string quoted = "\"";
    for (char c : cell) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string ReportCsv(const DeviceReport& report)
{
    std::vector<std::string> names;
    AppendNames(kDeviceFields, names);
    AppendNames(kFileFields, names);
    std::string csv = "\xEF\xBB\xBF" + CsvRow(names);
    for (const ReportDevice& device : report.devices) {
        if (device.files.empty())
            csv += CsvDeviceRow(device, nullptr);
        for (const ReportFile& file : device.files)
            csv += CsvDeviceRow(device, &file);
    }
    return csv;
}

bool WriteReportFile(const std::wstring& file, const DeviceReport& report)
{
    const std::string content = EndsWithCsv(file) ? ReportCsv(report) : ReportJson(report);
    const UniqueFileHandle output(
        ::CreateFileW(OpenablePath(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!output)
        return false;
    DWORD written = 0;
    return ::WriteFile(output.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
           written == content.size();
}
