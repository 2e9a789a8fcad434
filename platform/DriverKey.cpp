#include "platform/DriverKey.h"

#include "platform/DeviceProperty.h"
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

// Digits of a date part; -1 when there are none or anything else.
int DatePart(const std::wstring& text)
{
    if (text.empty() || text.size() > 4)
        return -1;
    int value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return -1;
        value = value * 10 + (c - L'0');
    }
    return value;
}

} // namespace

std::optional<SYSTEMTIME> DriverDay(const std::optional<FILETIME>& dateData, const std::wstring& storedDate)
{
    // The file time is what the system itself keeps; the text is written for people, and its
    // form has varied.
    int year = 0, month = 0, day = 0;
    SYSTEMTIME date = {};
    if (dateData && ::FileTimeToSystemTime(&*dateData, &date)) {
        year = date.wYear;
        month = date.wMonth;
        day = date.wDay;
    } else {
        const size_t first = storedDate.find(L'-');
        const size_t second = first == std::wstring::npos ? first : storedDate.find(L'-', first + 1);
        if (second == std::wstring::npos)
            return std::nullopt;
        const std::wstring yearText = storedDate.substr(second + 1);
        month = DatePart(storedDate.substr(0, first));
        day = DatePart(storedDate.substr(first + 1, second - first - 1));
        year = yearText.size() == 4 ? DatePart(yearText) : -1;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || year < 1)
        return std::nullopt;
    SYSTEMTIME found = {};
    found.wYear = static_cast<WORD>(year);
    found.wMonth = static_cast<WORD>(month);
    found.wDay = static_cast<WORD>(day);
    return found;
}

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

std::wstring DriverKeyName(HDEVINFO set, const SP_DEVINFO_DATA& element)
{
    return ReadDeviceProperty(set, element, SPDRP_DRIVER);
}

DriverKeyValues ReadDriverKeyNamed(const std::wstring& name)
{
    // The key the setup services open for DIREG_DRV: the device's "Driver" value names it
    // below the classes' key.
    if (name.empty())
        return DriverKeyValues();
    const std::wstring path = std::wstring(L"SYSTEM\\CurrentControlSet\\Control\\Class\\") + name;
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return DriverKeyValues();
    const UniqueRegKey key(opened);
    return ReadDriverKeyValues(key.get(), ReadRegistryText);
}
