// The tags under which a catalog lists a file: the file's hash as the system's catalog
// services compute it (on Windows the Authenticode image hash for a program file, else the
// hash of the whole file), in uppercase hex. Catalogs made for Windows 8 and later may use
// SHA-256, older ones SHA-1, so a file gets a tag for each algorithm the system offers.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/CryptHandles.h"

class CatalogHasher {
public:
    // Takes a catalog administrator context for SHA-256 and one for SHA-1, as far as the
    // system offers them.
    CatalogHasher();
    CatalogHasher(const CatalogHasher&) = delete;
    CatalogHasher& operator=(const CatalogHasher&) = delete;

    // The tags of the file open as file (for reading, from its start), one per algorithm.
    // False with the system's error code when no hash could be computed.
    bool Tags(HANDLE file, std::vector<std::wstring>& tags, DWORD& error) const;

private:
    using CalcHash2 = BOOL(WINAPI*)(HCATADMIN, HANDLE, DWORD*, BYTE*, DWORD);

    bool AppendTag(HCATADMIN admin, HANDLE file, std::vector<std::wstring>& tags, DWORD& error) const;

    // Empty when the system lacks the newer functions: then the older SHA-1 one, and the
    // SHA-256 of the whole file.
    std::vector<UniqueCatalogAdmin> admins;
    CalcHash2 calcHash2 = nullptr;
};

// The SHA-256 of the whole file from its start, as an uppercase hex tag (CNG); empty with the
// system's error when the file cannot be read.
std::wstring WholeFileSha256Tag(HANDLE file, DWORD& error);

// Uppercase hex of the bytes, two digits each.
std::wstring HexTag(const BYTE* bytes, DWORD size);
