// Device records whose driver file sets are known already, with payload files written at
// test time: a save or a driver files list replays such a set without any INF.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "model/DeviceInfo.h"
#include "tests/support/TempFolder.h"

class CachedDevices {
public:
    // A payload file of these bytes and creation time, as discovery would have found it.
    DriverFile Payload(const std::wstring& name, const std::string& content, FILETIME time);
    // A file of the set that was found nowhere on disk.
    static DriverFile Missing(const std::wstring& name);

    DeviceInfo& Add(const std::wstring& classDescription, const std::wstring& name, std::deque<DriverFile> files);

    const TempFolder& folder() const { return folder_; }

private:
    TempFolder folder_;
    std::vector<std::unique_ptr<DeviceInfo>> devices_;
    int payloadCount_ = 0;
};

FILETIME TimeOfDay(WORD year, WORD month, WORD day, WORD hour = 12, WORD minute = 0);
