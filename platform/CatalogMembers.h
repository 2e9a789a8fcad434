// The members of a driver package's catalog: the hash tags of the files it vouches for, read
// through the system's catalog services once the file has been shown to be a catalog at all.
#pragma once

#include <set>
#include <string>

// The use that a certificate trust list names when it is a catalog (szOID_CATALOG_LIST, which
// not every SDK's headers define).
extern const char kCatalogListOid[];

struct CatalogMembers {
    bool ok = false;
    std::wstring reason;         // why the file gives no members, when not ok
    std::set<std::wstring> tags;  // uppercase hex, as the catalog's entries name their files
};

// Reads the catalog at path. Not ok when the file cannot be read, is empty, is no PKCS #7
// trust list, is a trust list of another use than catalogs, or the catalog services refuse it.
CatalogMembers ReadCatalogMembers(const std::wstring& path);
