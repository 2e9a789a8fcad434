// The devices of the last scan: records keyed by DeviceKey, in ordinal key order, and the
// device information set they came from.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/DeviceInfo.h"
#include "model/IProgressReporter.h"
#include "platform/DriverKey.h"
#include "platform/Handles.h"

// std::less on std::wstring compares UTF-16 code units as unsigned values, shorter prefix
// first: the ordinal, case-sensitive order the list is kept in.
using DeviceMap = std::map<std::wstring, std::unique_ptr<DeviceInfo>>;

// Opens the device information set a scan enumerates, given the SetupDiGetClassDevsW flags;
// returns INVALID_HANDLE_VALUE or null when there is none. The list owns what it returns.
using DeviceSetSource = std::function<HDEVINFO(DWORD flags)>;

// The system's devices of every class: SetupDiGetClassDevsW with no class, enumerator or window.
HDEVINFO SystemDeviceSet(DWORD flags);

// Reads the records of a system that is not running (an image of another Windows), by the
// same rules as a scan: with includeAll also devices whose INF is one of the system's own.
// The reporter sees (i + 1) / n before each device. False when that system cannot be read.
using DeviceRecordSource =
    std::function<bool(bool includeAll, IProgressReporter& reporter, std::vector<std::unique_ptr<DeviceInfo>>& records)>;

// Puts a driver key's values into the device's record (the oem test included); a key that was
// not found leaves the record as it was.
void TakeDriverKey(DriverKeyValues values, DeviceInfo& device);

class DeviceList {
public:
    // Tests hand in a source of their own to scan a set whose content they control.
    explicit DeviceList(DeviceSetSource source = SystemDeviceSet);
    ~DeviceList();
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;

    // Replaces the content by a new scan. includeAll keeps devices whose INF is one of the
    // system's own; presentOnly enumerates only devices attached now. True when the
    // enumeration ran to its end. The reporter sees (i + 1) / n before each device is read;
    // its answer is ignored.
    bool Scan(bool includeAll, bool presentOnly, IProgressReporter& reporter);
    void Clear();
    // Closes the device set and keeps the records: for a caller done with the set once the
    // records are read and their INFs resolved. DeviceInfoSet() is null afterwards, and the
    // records' devInfoData name nothing. Touches nothing but the set, so it may run on
    // another thread while the records are used.
    void CloseDeviceSet();

    // Later scans read their records from source instead of the device set; an empty source
    // goes back to the device set. Records read so have no device set behind them, none is
    // present, and DeviceInfoSet() stays null.
    void SetRecordSource(DeviceRecordSource source);

    const DeviceMap& Devices() const { return devices; }
    // Null before the first scan and after Clear.
    HDEVINFO DeviceInfoSet() const { return deviceInfoSet.valid() ? deviceInfoSet.get() : nullptr; }

    // The tree's class image list (not owned); looks up the Computer class's image.
    void SetClassImageList(SP_CLASSIMAGELIST_DATA* images);
    SP_CLASSIMAGELIST_DATA* ClassImages() const noexcept { return classImageList; }
    int ComputerImage() const noexcept { return computerImage; }
    // Empties the tree control and fills it with the computer, class and device nodes, all at
    // once (a window fills it in batches: devices/TreeFill.h).
    void FillTree(HWND tree) const;

private:
    void ReadDevice(const SP_DEVINFO_DATA& element, bool includeAll);
    // The values of the device's driver key; none when it has no key.
    void ReadDriverKey(DeviceInfo& device) const;
    // The class's description as the system gives it, asked once per class and scan; none
    // when the system has none.
    const std::optional<std::wstring>& ClassDescriptionOf(const GUID& classGuid);

    bool ScanRecords(bool includeAll, IProgressReporter& reporter);

    DeviceSetSource source;
    DeviceRecordSource recordSource;
    UniqueDeviceInfoSet deviceInfoSet;
    std::vector<SP_DEVINFO_DATA> elements;
    std::vector<std::pair<GUID, std::optional<std::wstring>>> classDescriptions;
    DeviceMap devices;
    SP_CLASSIMAGELIST_DATA* classImageList = nullptr;
    int computerImage = -1;
};

// className|name|infPath|infSection, joined as they stand.
std::wstring DeviceKey(const DeviceInfo& device);

