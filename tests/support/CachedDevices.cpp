#include "tests/support/CachedDevices.h"

DriverFile CachedDevices::Payload(const std::wstring& name, const std::string& content, FILETIME time)
{
    DriverFile file;
    file.name = name;
    file.path = folder_ / (L"payload\\" + std::to_wstring(++payloadCount_) + L"\\" + name);
    WriteFileBytes(file.path, content);
    file.source = file.path;
    file.size = static_cast<DWORD>(content.size());
    file.time = time;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (::GetFileAttributesExW(file.path.c_str(), GetFileExInfoStandard, &data))
        file.lastWrite = data.ftLastWriteTime;
    return file;
}

DriverFile CachedDevices::Missing(const std::wstring& name)
{
    DriverFile file;
    file.name = name;
    return file;
}

DeviceInfo& CachedDevices::Add(
    const std::wstring& classDescription, const std::wstring& name, std::deque<DriverFile> files)
{
    devices_.push_back(std::make_unique<DeviceInfo>());
    DeviceInfo& device = *devices_.back();
    device.className = L"MEDIA";
    device.classDescription = classDescription;
    device.name = name;
    device.providerName = L"Contoso";
    device.driverVersion = L"1.2.3.4";
    device.files = std::move(files);
    return device;
}

FILETIME TimeOfDay(WORD year, WORD month, WORD day, WORD hour, WORD minute)
{
    SYSTEMTIME system = {};
    system.wYear = year;
    system.wMonth = month;
    system.wDay = day;
    system.wHour = hour;
    system.wMinute = minute;
    FILETIME time = {};
    ::SystemTimeToFileTime(&system, &time);
    return time;
}
