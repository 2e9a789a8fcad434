#include <windows.h>
#include <setupapi.h>

#include "saving/DeviceReport.h"

#include <cwctype>
#include <set>

#include "Version.h"
#include "platform/DeviceProperties.h"
#include "platform/DriverKey.h"
#include "platform/FileHash.h"
#include "platform/FileNameCompare.h"
#include "platform/ShellPath.h"
#include "platform/SystemIdentity.h"
#include "saving/SavePaths.h"

namespace {

std::wstring Widen(const char* text)
{
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

std::wstring UtcNow()
{
    SYSTEMTIME now = {};
    ::GetSystemTime(&now);
    wchar_t text[32] = L"";
    ::swprintf_s(text, L"%04u-%02u-%02uT%02u:%02u:%02uZ", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                 now.wSecond);
    return text;
}

} // namespace

DeviceReport NewDeviceReport()
{
    DeviceReport report;
    report.version = Widen(TARNWICK_VERSION_TEXT);
    report.computer = ComputerName();
    report.createdUtc = UtcNow();
    return report;
}

std::wstring OriginalInfOf(const DeviceInfo& device)
{
    // An INF path refused by the scan is not looked at: it would name a file of this PC.
    if (device.infRefusal != PathRefusal::None)
        return std::wstring();
    return OriginalInfName(device.infFullPath.empty() ? device.infPath : device.infFullPath);
}

ReportDevice DescribeDevice(HDEVINFO set, const DeviceInfo& device, bool withOriginalInf)
{
    ReportDevice described;
    described.instanceId = device.instanceId;
    described.name = device.name;
    described.description = device.description;
    described.className = device.className;
    described.classGuid = GuidText(device.devInfoData.ClassGuid);
    if (set) {
        described.present = DeviceIsPresent(device.devInfoData.DevInst);
        described.hardwareIds = ReadDeviceTexts(set, device.devInfoData, SPDRP_HARDWAREID);
        described.compatibleIds = ReadDeviceTexts(set, device.devInfoData, SPDRP_COMPATIBLEIDS);
    } else if (!device.hardwareId.empty()) {
        described.hardwareIds.push_back(device.hardwareId);
    }
    described.inf = device.infPath;
    if (withOriginalInf)
        described.originalInf = OriginalInfOf(device);
    described.infSection = device.infSection;
    described.provider = device.providerName;
    described.manufacturer = device.manufacturer;
    described.driverVersion = device.driverVersion;
    described.driverDate = IsoDriverDate(device.driverDateData, device.driverDate);
    return described;
}

std::vector<ReportFile> FoundFiles(const DeviceInfo& device)
{
    std::vector<ReportFile> files;
    for (const DriverFile& file : device.files) {
        ReportFile entry;
        entry.path = file.name;
        entry.size = file.size;
        // A file that was not found, or is gone, is listed with its name and no digest.
        if (file.path.empty() || !Sha256OfFile(file.path, entry.sha256, entry.size))
            entry.sha256.clear();
        if (!file.path.empty()) {
            entry.source = file.path;
            entry.sourceTime = KnownFileTime(file.lastWrite);
        }
        files.push_back(entry);
    }
    return files;
}

DeviceReport ReportOfDevices(HDEVINFO set, const std::vector<DeviceInfo*>& devices)
{
    DeviceReport report = NewDeviceReport();
    for (DeviceInfo* device : devices) {
        ReportDevice described = DescribeDevice(set, *device);
        described.files = FoundFiles(*device);
        report.devices.push_back(std::move(described));
    }
    return report;
}

std::optional<std::wstring> IsoDriverDate(const std::optional<FILETIME>& dateData, const std::wstring& storedDate)
{
    const std::optional<SYSTEMTIME> day = DriverDay(dateData, storedDate);
    if (!day)
        return std::nullopt;
    wchar_t text[16] = L"";
    ::swprintf_s(text, L"%04u-%02u-%02u", day->wYear, day->wMonth, day->wDay);
    return std::wstring(text);
}

SaveReportBuilder::SaveReportBuilder() : report(NewDeviceReport()) {}

void SaveReportBuilder::SetTarget(const FolderPath& targetFolder, const std::wstring& asGiven)
{
    report.target = targetFolder.Full();
    report.targetAsGiven = asGiven;
}

void SaveReportBuilder::Describe(HDEVINFO set, const DeviceInfo& device)
{
    described[&device] = DescribeDevice(set, device, false);
}

void SaveReportBuilder::OnDeviceDone(const DeviceInfo& device, const SaveOutcome& outcome)
{
    const auto found = described.find(&device);
    if (found == described.end())
        return;
    ReportDevice entry = found->second;
    // Asked of the INF only now, and of a device kept unchanged not at all: its earlier report
    // said it, and a nightly run reads no file of an unchanged driver.
    entry.originalInf = outcome.originalInf ? *outcome.originalInf : OriginalInfOf(device);
    entry.status = outcome.saved ? L"saved" : L"failed";
    if (outcome.failure)
        entry.error = FailureText(outcome.failure);
    if (!outcome.folder.empty()) {
        entry.folder = outcome.folder;
        entry.files = outcome.files;
    }
    entry.unchangedSince = outcome.unchangedSince;
    report.devices.push_back(std::move(entry));
}

void SaveReportBuilder::AddKept(std::vector<ReportDevice> kept)
{
    for (ReportDevice& entry : kept)
        report.devices.push_back(std::move(entry));
}

void SaveReportBuilder::OnLogFinished(const std::wstring& logPath)
{
    report.log = logPath;
}
