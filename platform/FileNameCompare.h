// File names compared the way the file system compares them: code unit by code unit, each
// upper-cased with the system's own table (CompareStringOrdinal, ignoring case). Every letter
// with a case counts, not only A to Z: "драйвер.sys" and "ДРАЙВЕР.sys" are one file on disk.
// Nothing here depends on the user's language.
#pragma once

#include <string>

// Negative, zero or positive as left sorts before, with or after right (a name that is the
// start of the other sorts first). Copies nothing and never throws, so a sort callback that
// the system calls can use it.
int CompareFileNames(const std::wstring& left, const std::wstring& right) noexcept;

// True when both name the same file on disk.
bool SameFileName(const std::wstring& left, const std::wstring& right) noexcept;

// True when path starts with prefix under the same comparison.
bool StartsWithFileName(const std::wstring& path, const std::wstring& prefix) noexcept;

// Orders names as CompareFileNames does, for sets and maps keyed by file name.
struct FileNameLess {
    bool operator()(const std::wstring& left, const std::wstring& right) const noexcept
    {
        return CompareFileNames(left, right) < 0;
    }
};
