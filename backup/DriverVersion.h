// The version an INF states for its driver ("DriverVer=mm/dd/yyyy,a.b.c.d"), and the order of
// two driver versions, which decides whether a restore would downgrade a device.
#pragma once

#include <string>

struct DriverVer {
    std::wstring date;     // as written, "mm/dd/yyyy"; empty when the INF gives none
    std::wstring version;  // as written, "a.b.c.d"; empty when the INF gives none
};

// Splits a DriverVer value at its comma; blanks around either part are dropped.
DriverVer ParseDriverVer(const std::wstring& text);

// Compares two dotted versions part by part as numbers (missing parts count as 0, so "1.2"
// equals "1.2.0.0"). False when either is empty or holds anything but up to four numbers of
// at most 65535 separated by dots; order is then left as it was.
bool CompareDriverVersions(const std::wstring& left, const std::wstring& right, int& order);
