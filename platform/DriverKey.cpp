#include "platform/DriverKey.h"

#include "platform/Handles.h"
#include "platform/RegistryText.h"

namespace {

std::optional<FILETIME> ReadFileTime(HKEY key, const wchar_t* valueName)
{
    FILETIME time = {};
    DWORD type = REG_NONE;
    DWORD size = sizeof(time);
    if (::RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(&time), &size) != ERROR_SUCCESS ||
        type != REG_BINARY || size != sizeof(time) || (time.dwLowDateTime == 0 && time.dwHighDateTime == 0))
        return std::nullopt;
    return time;
}

} // namespace

DriverKeyValues ReadDriverKeyValues(HKEY key, std::wstring (*readText)(HKEY, const wchar_t*))
{
    DriverKeyValues values;
    values.found = true;
    values.providerName = readText(key, L"ProviderName");
    values.infPath = readText(key, L"InfPath");
    values.infSection = readText(key, L"InfSection");
    values.infSectionExt = readText(key, L"InfSectionExt");
    values.driverDate = readText(key, L"DriverDate");
    values.driverDateData = ReadFileTime(key, L"DriverDateData");
    values.driverVersion = readText(key, L"DriverVersion");
    return values;
}

DriverKeyValues ReadDriverKey(HDEVINFO set, const SP_DEVINFO_DATA& element)
{
    SP_DEVINFO_DATA data = element;
    const UniqueRegKey key(::SetupDiOpenDevRegKey(set, &data, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ));
    if (!key)
        return DriverKeyValues();
    return ReadDriverKeyValues(key.get(), ReadRegistryText);
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
