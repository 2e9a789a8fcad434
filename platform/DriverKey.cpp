#include "platform/DriverKey.h"

#include "platform/Handles.h"
#include "platform/RegistryText.h"

DriverKeyValues ReadDriverKey(HDEVINFO set, const SP_DEVINFO_DATA& element)
{
    DriverKeyValues values;
    SP_DEVINFO_DATA data = element;
    const UniqueRegKey key(::SetupDiOpenDevRegKey(set, &data, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ));
    if (!key)
        return values;
    values.found = true;
    values.providerName = ReadRegistryText(key.get(), L"ProviderName");
    values.infPath = ReadRegistryText(key.get(), L"InfPath");
    values.infSection = ReadRegistryText(key.get(), L"InfSection");
    values.infSectionExt = ReadRegistryText(key.get(), L"InfSectionExt");
    values.driverDate = ReadRegistryText(key.get(), L"DriverDate");
    values.driverVersion = ReadRegistryText(key.get(), L"DriverVersion");
    return values;
}

DriverKeyValues ReadDriverKey(const std::wstring& instanceId)
{
    const UniqueDeviceInfoSet set(::SetupDiCreateDeviceInfoList(nullptr, nullptr));
    SP_DEVINFO_DATA element = {};
    element.cbSize = sizeof(element);
    if (!set || !::SetupDiOpenDeviceInfoW(set.get(), instanceId.c_str(), nullptr, 0, &element))
        return DriverKeyValues();
    return ReadDriverKey(set.get(), element);
}
