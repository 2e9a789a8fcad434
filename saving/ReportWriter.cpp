#include <windows.h>

#include "saving/ReportWriter.h"

#include <nlohmann/json.hpp>

#include "platform/Handles.h"

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

// One field of a device or of one of its files: its name, which is the JSON key and the CSV
// column, and its value as JSON, from which the CSV cell is made too. Both writers follow the
// one list, so that the two formats cannot differ in names, order or values.
template <typename Record>
struct Field {
    const char* name;
    Json (*value)(const Record&);
};

const Field<ReportDevice> kDeviceFields[] = {
    {"instanceId", [](const ReportDevice& d) { return Text(d.instanceId); }},
    {"name", [](const ReportDevice& d) { return Text(d.name); }},
    {"description", [](const ReportDevice& d) { return Text(d.description); }},
    {"class", [](const ReportDevice& d) { return Text(d.className); }},
    {"classGuid", [](const ReportDevice& d) { return Text(d.classGuid); }},
    {"present", [](const ReportDevice& d) { return Json(d.present); }},
    {"hardwareIds", [](const ReportDevice& d) { return TextList(d.hardwareIds); }},
    {"compatibleIds", [](const ReportDevice& d) { return TextList(d.compatibleIds); }},
    {"inf", [](const ReportDevice& d) { return Text(d.inf); }},
    {"originalInf", [](const ReportDevice& d) { return Text(d.originalInf); }},
    {"infSection", [](const ReportDevice& d) { return Text(d.infSection); }},
    {"provider", [](const ReportDevice& d) { return Text(d.provider); }},
    {"manufacturer", [](const ReportDevice& d) { return Text(d.manufacturer); }},
    {"driverVersion", [](const ReportDevice& d) { return Text(d.driverVersion); }},
    {"driverDate", [](const ReportDevice& d) { return TextOrNull(d.driverDate); }},
    {"status", [](const ReportDevice& d) { return Text(d.status); }},
    {"folder", [](const ReportDevice& d) { return TextOrNull(d.folder); }},
    {"error", [](const ReportDevice& d) { return TextOrNull(d.error); }},
};

const Field<ReportFile> kFileFields[] = {
    {"path", [](const ReportFile& f) { return Text(f.path); }},
    {"size", [](const ReportFile& f) { return Json(f.size); }},
    {"sha256", [](const ReportFile& f) { return f.sha256.empty() ? Json(nullptr) : Json(f.sha256); }},
};

template <typename Record, size_t count>
Json ObjectOf(const Field<Record> (&fields)[count], const Record& record)
{
    Json object;
    for (const Field<Record>& field : fields)
        object[field.name] = field.value(record);
    return object;
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
    for (const ReportDevice& device : report.devices) {
        root["devices"].push_back(DeviceJson(device));
        saved += device.status == L"saved" ? 1 : 0;
        failed += device.status == L"failed" ? 1 : 0;
    }
    root["summary"] = {{"devices", report.devices.size()}, {"saved", saved}, {"failed", failed}};
    return root.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
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
        ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!output)
        return false;
    DWORD written = 0;
    return ::WriteFile(output.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
           written == content.size();
}
