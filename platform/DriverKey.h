// The values a device's driver key (its software key, Control\Class\{guid}\NNNN) names: which
// INF and section installed its driver, by whom and in which version.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <optional>
#include <string>

struct DriverKeyValues {
    bool found = false;  // the device and its driver key exist
    std::wstring providerName;
    std::wstring infPath;
    std::wstring infSection;
    std::wstring infSectionExt;
    std::wstring driverDate;
    // "DriverDateData": the driver's date as a file time; none when the value is missing, is
    // not an 8-byte binary value, or is zero.
    std::optional<FILETIME> driverDateData;
    std::wstring driverVersion;
};

// The day of a driver's date as its driver key stores it: the file time of "DriverDateData"
// where there is one, else the text of "DriverDate" ("m-d-yyyy", with or without leading
// zeros); none when neither holds a date. Only the year, month and day are set.
std::optional<SYSTEMTIME> DriverDay(const std::optional<FILETIME>& dateData, const std::wstring& storedDate);

// The values of an open driver key, each text read with `readText` (the registry text reader of
// the running system, or one that leaves an offline image's variables unexpanded).
DriverKeyValues ReadDriverKeyValues(HKEY key, std::wstring (*readText)(HKEY, const wchar_t*));
// The driver key of a device of an open device set.
DriverKeyValues ReadDriverKey(HDEVINFO set, const SP_DEVINFO_DATA& element);
// The driver key of the device with this instance ID, as it is now.
DriverKeyValues ReadDriverKey(const std::wstring& instanceId);

// The name the device gives its driver key below the setup classes' key ("{class guid}\0001");
// empty when it has none.
std::wstring DriverKeyName(HDEVINFO set, const SP_DEVINFO_DATA& element);
// The driver key of that name, as it is now: the one key opened, where the lookup by instance
// ID makes and opens a device set first (a save reads the key again before each device).
DriverKeyValues ReadDriverKeyNamed(const std::wstring& name);
