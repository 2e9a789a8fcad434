// One file of a device in a device report: where it lies in the device folder (or, for a
// device that was only listed, its name in the set), its size and digest, and where it was
// read.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

struct ReportFile {
    std::wstring path;   // relative to the device folder
    uint64_t size = 0;
    std::string sha256;  // lowercase hexadecimal
    // Where the file was read (its full path) and the last-write time it had then; empty and
    // none when it was found nowhere.
    std::wstring source;
    std::optional<FILETIME> sourceTime;
};

// A file time of zero is no time at all (the file was found nowhere): none.
inline std::optional<FILETIME> KnownFileTime(const FILETIME& time)
{
    if (time.dwLowDateTime == 0 && time.dwHighDateTime == 0)
        return std::nullopt;
    return time;
}
