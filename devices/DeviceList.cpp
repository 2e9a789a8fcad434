#include "devices/DeviceList.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "devices/InstalledInf.h"
#include "model/OemInfName.h"
#include "platform/DeviceProperty.h"
#include "platform/DriverKey.h"

HDEVINFO SystemDeviceSet(DWORD flags)
{
    return ::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, flags);
}

DeviceList::DeviceList(DeviceSetSource source) : source(std::move(source)) {}

DeviceList::~DeviceList()
{
    Clear();
}

void DeviceList::Clear()
{
    deviceInfoSet.reset();
    elements.clear();
    classDescriptions.clear();
    devices.clear();
}

void DeviceList::CloseDeviceSet()
{
    deviceInfoSet.reset();
}

void DeviceList::SetRecordSource(DeviceRecordSource records)
{
    recordSource = std::move(records);
}

bool DeviceList::ScanRecords(bool includeAll, IProgressReporter& reporter)
{
    std::vector<std::unique_ptr<DeviceInfo>> records;
    const bool read = recordSource(includeAll, reporter, records);
    // The first record under a key stays, as in a scan of the device set.
    for (auto& record : records) {
        if (record)
            devices.try_emplace(DeviceKey(*record), std::move(record));
    }
    return read;
}

bool DeviceList::Scan(bool includeAll, bool presentOnly, IProgressReporter& reporter)
{
    Clear();
    // No device of another system is attached here, so "present only" would empty the list
    // of an image: that choice applies to this PC's own devices only.
    if (recordSource)
        return ScanRecords(includeAll, reporter);
    const DWORD flags = DIGCF_ALLCLASSES | (presentOnly ? DIGCF_PRESENT : 0);
    deviceInfoSet.reset(source ? source(flags) : nullptr);
    if (!deviceInfoSet)
        return false;

    SP_DEVINFO_DATA element = {};
    element.cbSize = sizeof(element);
    for (DWORD index = 0; ::SetupDiEnumDeviceInfo(deviceInfoSet.get(), index, &element); ++index)
        elements.push_back(element);
    if (::GetLastError() != ERROR_NO_MORE_ITEMS)
        return false;

    // A scan cannot be stopped, so the reporter's answer is not looked at.
    const double count = elements.empty() ? 1.0 : static_cast<double>(elements.size());
    for (size_t i = 0; i < elements.size(); ++i) {
        reporter.Progress(static_cast<double>(i + 1) / count);
        ReadDevice(elements[i], includeAll);
    }
    return true;
}

void DeviceList::ReadDevice(const SP_DEVINFO_DATA& element, bool includeAll)
{
    auto device = std::make_unique<DeviceInfo>();
    device->devInfoData = element;
    ReadDriverKey(*device);
    // Without an INF and section there is no driver to save; drivers from the system's own
    // INFs are listed only on request. Such a device is not read any further: on a usual PC
    // most devices run on the system's own drivers.
    if (device->infPath.empty() || device->infSection.empty() || (!includeAll && !device->isOemInf))
        return;

    HDEVINFO set = deviceInfoSet.get();
    device->className = ReadDeviceProperty(set, element, SPDRP_CLASS);
    device->description = ReadDeviceProperty(set, element, SPDRP_DEVICEDESC);
    device->name = ReadDeviceProperty(set, element, SPDRP_FRIENDLYNAME);
    if (device->name.empty())
        device->name = device->description;
    if (device->name.empty())
        return;

    const std::optional<std::wstring>& classText = ClassDescriptionOf(element.ClassGuid);
    device->classDescription = classText ? *classText : device->className;
    if (device->classDescription.empty())
        device->classDescription = L"Unknown device";
    device->manufacturer = ReadDeviceProperty(set, element, SPDRP_MFG);
    device->hardwareId = ReadDeviceProperty(set, element, SPDRP_HARDWAREID);
    wchar_t instanceId[1024] = L"";
    if (::SetupDiGetDeviceInstanceIdW(set, &device->devInfoData, instanceId, ARRAYSIZE(instanceId), nullptr))
        device->instanceId = instanceId;
    device->driverKey = DriverKeyName(set, element);
    // Asked once here, so that the records are ready for every use: the file search, the
    // save, the report.
    ResolveInfFullPath(set, *device);

    // The first device enumerated under a key stays; a later one is dropped.
    const std::wstring key = DeviceKey(*device);
    devices.try_emplace(key, std::move(device));
}

void TakeDriverKey(DriverKeyValues values, DeviceInfo& device)
{
    if (!values.found)
        return;
    device.providerName = std::move(values.providerName);
    device.infPath = std::move(values.infPath);
    device.infSection = std::move(values.infSection);
    device.infSectionExt = std::move(values.infSectionExt);
    device.driverDate = std::move(values.driverDate);
    device.driverDateData = values.driverDateData;
    device.driverDay = DriverDay(device.driverDateData, device.driverDate);
    device.driverVersion = std::move(values.driverVersion);
    device.isOemInf = IsOemInfName(device.infPath);
}

void DeviceList::ReadDriverKey(DeviceInfo& device) const
{
    TakeDriverKey(::ReadDriverKey(deviceInfoSet.get(), device.devInfoData), device);
}

const std::optional<std::wstring>& DeviceList::ClassDescriptionOf(const GUID& classGuid)
{
    for (const auto& known : classDescriptions) {
        if (::IsEqualGUID(known.first, classGuid))
            return known.second;
    }
    wchar_t text[512] = L"";
    std::optional<std::wstring> description;
    if (::SetupDiGetClassDescriptionW(&classGuid, text, ARRAYSIZE(text), nullptr))
        description = text;
    classDescriptions.emplace_back(classGuid, std::move(description));
    return classDescriptions.back().second;
}

std::wstring DeviceKey(const DeviceInfo& device)
{
    return device.className + L"|" + device.name + L"|" + device.infPath + L"|" + device.infSection;
}
