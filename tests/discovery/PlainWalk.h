// The plain last-resort search that the file search index must agree with, and is measured
// against: the whole tree depth first in listing order, folders searched as soon as they are
// listed, the first file of the name (compared as the file system compares names) wins.
#pragma once

#include <windows.h>

#include <string>

#include "platform/Handles.h"
#include "platform/FileNameCompare.h"

inline bool PlainWalk(const std::wstring& folder, const std::wstring& fileName, std::wstring& found)
{
    WIN32_FIND_DATAW entry;
    UniqueFindHandle listing(::FindFirstFileW((folder + L"\\*.*").c_str(), &entry));
    if (!listing)
        return false;
    do {
        const std::wstring name = entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name != L"." && name != L".." && PlainWalk(folder + L"\\" + name, fileName, found))
                return true;
        } else if (SameFileName(name, fileName)) {
            found = folder + L"\\" + name;
            return true;
        }
    } while (::FindNextFileW(listing.get(), &entry));
    return false;
}
