// The members of a driver package's catalog: the hash tags of the files it vouches for and,
// where a member records it (as signing tools do), the name of its file, read from a file
// already opened once it has been shown to be a catalog at all.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

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

// Whether a file whose tags (CatalogHasher) are these is what the catalog vouches for under
// fileName (a bare file name). Where members record the names of their files, the file must
// match a member of its own name: two files that exchanged their contents are both listed, but
// neither under its own name. Else any member will do. The one rule by which a backup is
// verified and a file found by the last-resort search is taken.
struct CatalogMatch {
    bool matches = false;
    std::wstring holds;  // the name under which the catalog lists the file's contents instead
};
CatalogMatch MatchCatalog(const std::wstring& fileName, const std::vector<std::wstring>& tags,
                          const CatalogMembers& members);
