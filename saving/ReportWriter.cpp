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

Json FileJson(const ReportFile& file)
{
    Json entry;
    entry["path"] = Utf8(file.path);
    entry["size"] = file.size;
    entry["sha256"] = file.sha256.empty() ? Json(nullptr) : Json(file.sha256);
    return entry;
}

Json DeviceJson(const ReportDevice& device)
{
    Json entry;
    entry["instanceId"] = Utf8(device.instanceId);
    entry["name"] = Utf8(device.name);
    entry["description"] = Utf8(device.description);
    entry["class"] = Utf8(device.className);
    entry["classGuid"] = Utf8(device.classGuid);
    entry["present"] = device.present;
    entry["hardwareIds"] = TextList(device.hardwareIds);
    entry["compatibleIds"] = TextList(device.compatibleIds);
    entry["inf"] = Utf8(device.inf);
    entry["originalInf"] = Utf8(device.originalInf);
    entry["infSection"] = Utf8(device.infSection);
    entry["provider"] = Utf8(device.provider);
    entry["manufacturer"] = Utf8(device.manufacturer);
    entry["driverVersion"] = Utf8(device.driverVersion);
    entry["driverDate"] = TextOrNull(device.driverDate);
    entry["status"] = Utf8(device.status);
    entry["folder"] = TextOrNull(device.folder);
    entry["error"] = TextOrNull(device.error);
    entry["files"] = Json::array();
    for (const ReportFile& file : device.files)
        entry["files"].push_back(FileJson(file));
    return entry;
}

// One CSV field: quoted when it holds a comma, a quote or a line break, its quotes doubled.
std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string JoinIds(const std::vector<std::wstring>& ids)
{
    std::string joined;
    for (const std::wstring& id : ids)
        joined += (joined.empty() ? "" : ";") + Utf8(id);
    return joined;
}

std::string CsvRow(const std::vector<std::string>& fields)
{
    std::string row;
    for (const std::string& field : fields)
        row += (row.empty() ? "" : ",") + CsvField(field);
    return row + "\r\n";
}

std::vector<std::string> DeviceColumns(const ReportDevice& device)
{
    return {Utf8(device.instanceId),     Utf8(device.name),          Utf8(device.description),
            Utf8(device.className),      Utf8(device.classGuid),     device.present ? "true" : "false",
            JoinIds(device.hardwareIds), JoinIds(device.compatibleIds), Utf8(device.inf),
            Utf8(device.originalInf),    Utf8(device.infSection),    Utf8(device.provider),
            Utf8(device.manufacturer),   Utf8(device.driverVersion), Utf8(device.driverDate.value_or(L"")),
            Utf8(device.status),         Utf8(device.folder.value_or(L"")), Utf8(device.error.value_or(L""))};
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

std::string ReportCsv(const DeviceReport& report)
{
    std::string csv = "\xEF\xBB\xBF" +
                      CsvRow({"instanceId", "name", "description", "class", "classGuid", "present", "hardwareIds",
                              "compatibleIds", "inf", "originalInf", "infSection", "provider", "manufacturer",
                              "driverVersion", "driverDate", "status", "folder", "error", "path", "size", "sha256"});
    for (const ReportDevice& device : report.devices) {
        const std::vector<std::string> columns = DeviceColumns(device);
        if (device.files.empty()) {
            std::vector<std::string> row = columns;
            row.insert(row.end(), {"", "", ""});
            csv += CsvRow(row);
        }
        for (const ReportFile& file : device.files) {
            std::vector<std::string> row = columns;
            row.insert(row.end(), {Utf8(file.path), std::to_string(file.size), file.sha256});
            csv += CsvRow(row);
        }
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
