// The device report: what a run knows of each device it lists (names, IDs, driver) and, for
// a save, how each device's save ended and what its folder holds. Built here, written by
// ReportWriter as JSON or CSV.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model/DeviceInfo.h"
#include "platform/FolderPath.h"
#include "saving/ISaveObserver.h"

struct ReportDevice {
    std::wstring instanceId;
    std::wstring name;
    std::wstring description;
    std::wstring className;
    std::wstring classGuid;
    bool present = true;
    std::vector<std::wstring> hardwareIds;
    std::vector<std::wstring> compatibleIds;
    std::wstring inf;
    std::wstring originalInf;
    std::wstring infSection;
    std::wstring provider;
    std::wstring manufacturer;
    std::wstring driverVersion;
    std::optional<std::wstring> driverDate;  // "yyyy-mm-dd"; none when the stored text is no date
    std::wstring status = L"listed";         // "saved", "failed", "listed" or "kept"
    std::optional<std::wstring> folder;      // relative to the target
    std::optional<std::wstring> error;
    // Of a device saved unchanged (nothing copied, its earlier folder kept) and of a folder an
    // earlier run saved ("kept"): the time of the run that copied its files.
    std::optional<std::wstring> unchangedSince;
    // What checking the finished backup against its catalogs found in the device's folder
    // ("/verify" with "/path:"): "intact", "damaged" or "unsigned"; none when not verified.
    std::optional<std::wstring> verified;
    std::vector<ReportFile> files;
};

struct DeviceReport {
    std::wstring version;
    std::wstring computer;
    std::wstring createdUtc;  // ISO 8601, "yyyy-mm-ddThh:mm:ssZ"
    std::optional<std::wstring> target;
    // The target as it was given, before its names were filled in and it was resolved.
    std::optional<std::wstring> targetAsGiven;
    std::optional<std::wstring> log;
    std::vector<ReportDevice> devices;
};

// A report with the program's version, this computer's name and the time now, and no devices.
DeviceReport NewDeviceReport();

// What the setup services and the record say of a device. set is the device set of the scan
// that made the record; with none (closed already) the IDs are the record's first hardware ID
// only. The INF's original name is asked of the record's INF full path when it is resolved,
// else of its name in the system's INF folders.
// withOriginalInf: the INF's original name too, which reads the INF.
ReportDevice DescribeDevice(HDEVINFO set, const DeviceInfo& device, bool withOriginalInf = true);

// The name the device's INF had before Windows published it, read from the INF; empty when the
// setup services do not say or the scan refused the INF's path.
std::wstring OriginalInfOf(const DeviceInfo& device);

// The files of a device's set where they were found (for a list of devices that were not
// saved): their name in the set, size and digest of the found copy.
std::vector<ReportFile> FoundFiles(const DeviceInfo& device);

// The report of listed devices (nothing saved), in the given order: each device described,
// with the files of its set where one was worked out.
DeviceReport ReportOfDevices(HDEVINFO set, const std::vector<DeviceInfo*>& devices);

// "yyyy-mm-dd" of a driver's date as its driver key stores it: the file time of
// "DriverDateData" where there is one, else the text of "DriverDate" ("m-d-yyyy", with or
// without leading zeros); none when neither holds a date.
std::optional<std::wstring> IsoDriverDate(const std::optional<FILETIME>& dateData, const std::wstring& storedDate);

// Collects a save run's outcomes for the report: each device described before the save (while
// the device set is open), then given its outcome and files in the order the log lists them.
class SaveReportBuilder : public ISaveObserver {
public:
    SaveReportBuilder();

    // target: the folder the run saves into, the one the saver is given; asGiven: its text as
    // the user gave it, names and all ("\\srv\Drivers\{model}").
    void SetTarget(const FolderPath& target, const std::wstring& asGiven);

    // Describes the device now, while set is open; devices never described are not reported.
    void Describe(HDEVINFO set, const DeviceInfo& device);

    void OnDeviceDone(const DeviceInfo& device, const SaveOutcome& outcome) override;
    void OnLogFinished(const std::wstring& logPath) override;
    // Lists the folders of earlier runs that the target still holds, after the run's devices.
    void AddKept(std::vector<ReportDevice> kept);

    // The report: the devices the log listed, in its order.
    const DeviceReport& Report() const { return report; }

private:
    DeviceReport report;
    std::map<const DeviceInfo*, ReportDevice> described;
};
