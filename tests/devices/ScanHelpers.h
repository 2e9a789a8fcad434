// Helpers for tests that scan fixture devices: progress receivers, a device source limited to
// chosen devices, and finding a test's own records among Wine's devices.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <string>
#include <vector>

#include "devices/DeviceList.h"
#include "tests/fixtures/DriverFixture.h"

class IgnoreProgress : public IProgressReporter {
public:
    bool Progress(double) override { return true; }
};

// The record whose device has this instance ID; null when the scan did not keep it.
inline const DeviceInfo* FindRecord(const DeviceList& list, const std::wstring& instanceId)
{
    for (const auto& entry : list.Devices()) {
        if (entry.second->instanceId == instanceId)
            return entry.second.get();
    }
    return nullptr;
}

// A source whose set holds exactly these devices, enumerated in this order; it remembers the
// flags it was asked with.
inline DeviceSetSource ChosenDevices(std::vector<std::wstring> instanceIds, DWORD* flagsSeen = nullptr)
{
    return [instanceIds, flagsSeen](DWORD flags) -> HDEVINFO {
        if (flagsSeen)
            *flagsSeen = flags;
        HDEVINFO set = ::SetupDiCreateDeviceInfoList(nullptr, nullptr);
        for (const std::wstring& id : instanceIds)
            ::SetupDiOpenDeviceInfoW(set, id.c_str(), nullptr, 0, nullptr);
        return set;
    };
}

inline fixture::DeviceSpec Named(const std::wstring& hardwareId, const std::wstring& friendlyName)
{
    fixture::DeviceSpec deviceSpec{hardwareId};
    deviceSpec.friendlyName = friendlyName;
    return deviceSpec;
}

// A package of the test class with one model, and one device of that model per friendly name.
inline fixture::Package NamedDevices(const std::wstring& name, const std::wstring& hardwareId,
                                     const std::wstring& description, const std::vector<std::wstring>& friendlyNames)
{
    std::vector<fixture::DeviceSpec> devices;
    for (const std::wstring& friendlyName : friendlyNames)
        devices.push_back(Named(hardwareId, friendlyName));
    return fixture::MakePackage(fixture::OneModelDriver(name, description, hardwareId), devices);
}

inline std::vector<std::wstring> InstanceIds(const fixture::InstallResult& installed)
{
    std::vector<std::wstring> ids;
    for (const auto& device : installed.devices)
        ids.push_back(device.instanceId);
    return ids;
}
