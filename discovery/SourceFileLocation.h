// Where a file of a driver package lies on its installation media, read as Windows' setup
// services resolve it: the file's line in the SourceDisksFiles section decorated for this
// platform, else in the undecorated one, each searched through the INF and the layout INFs
// appended to it. The line gives the source disk's id and the file's own subdirectory on
// that disk.
//
// SetupGetSourceFileLocationW makes the same lookup, but Wine's gives the disk's own path
// (from SourceDisksNames) where Windows gives the file's subdirectory; reading the line here
// gives Windows' answer on both.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <string>

struct SourceFileLocation {
    UINT diskId = 0;
    std::wstring subdirectory;  // as the line gives it; empty when it gives none
};

// False when no SourceDisksFiles line names the file, or its disk id is not a number.
bool ReadSourceFileLocation(HINF inf, const std::wstring& fileName, SourceFileLocation& location);
