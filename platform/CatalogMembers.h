// The members of a driver package's catalog: the hash tags of the files it vouches for and,
// where a member records it (as signing tools do), the name of its file, read from a file
// already opened once it has been shown to be a catalog at all.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>

#include "platform/FileNameCompare.h"

// The use that a certificate trust list names when it is a catalog (szOID_CATALOG_LIST, which
// not every SDK's headers define).
extern const char kCatalogListOid[];

struct CatalogMembers {
    bool ok = false;
    std::wstring reason;         // why the file gives no members, when not ok
    std::set<std::wstring> tags;  // uppercase hex, as the catalog's entries name their files
    // The tags of the members that record their file's name ("File"), by that name.
    std::multimap<std::wstring, std::wstring, FileNameLess> tagsByName;
};

// Reads the catalog open as file, from its start. Not ok when the file cannot be read, is
// empty, is no PKCS #7 trust list, is a trust list of another use than catalogs, or one of
// its entries does not decode.
CatalogMembers ReadCatalogMembers(HANDLE file);
