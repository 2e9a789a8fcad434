// One file of a driver's file set.
#pragma once

#include <windows.h>

#include <string>

struct DriverFile {
    std::wstring source;  // where the file is expected as installation source
    std::wstring target;  // where the installation put it (may be empty)
    std::wstring name;    // relative path inside the driver's folder; the key of the set
    std::wstring path;    // the existing copy that was found; empty when none was
    DWORD size = 0;       // low 32 bits of the found file's size; 0 when none was found
    FILETIME time = {0, 0};  // creation time of the found file; zero when none was found
};
