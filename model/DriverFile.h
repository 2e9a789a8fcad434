// One file of a driver's file set.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/FolderPath.h"

// How a file that the last-resort search found was held against the driver's catalog: a file
// of the same name elsewhere (another package's co-installer in the driver store, an older
// backup) must not be saved as this driver's.
enum class CatalogCheck {
    NotSearched,  // found at its source or its target, or nowhere
    Matches,      // the catalog vouches for the file found: it is taken
    Mismatch,     // the catalog does not: it is not taken (path stays empty)
    Unchecked,    // there is no catalog to hold it against: it is taken, uncheckedReason says why
};

struct DriverFile {
    std::wstring source;  // where the file is expected as installation source
    std::wstring target;  // where the installation put it (may be empty)
    std::wstring name;    // relative path inside the driver's folder; the key of the set
    std::wstring path;    // the existing copy that was found; empty when none was
    uint64_t size = 0;    // the found file's size in bytes, whole; 0 when none was found
    FILETIME time = {0, 0};  // creation time of the found file; zero when none was found
    FILETIME lastWrite = {0, 0};  // last-write time of the found file; zero when none was found
    // Why a copy that is there was not taken (it leads out of the offline Windows it was
    // looked for in): it was never read. None when one was found, or none was there at all.
    PathRefusal refusal = PathRefusal::None;
    CatalogCheck catalogCheck = CatalogCheck::NotSearched;
    std::wstring searchFound;      // the file the last-resort search found, taken or not
    std::wstring uncheckedReason;  // why it could not be checked, when Unchecked
};
