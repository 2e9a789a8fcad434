// Holds a file that the last-resort search found against the catalog that the device's INF
// names, hashed as the system's catalog services hash it and matched by the rule that verifies
// a backup (platform/CatalogMembers.h), so that a backup takes no file that its own restore
// would refuse. The catalog is read once, when the first found file needs it.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "discovery/InfLocation.h"
#include "model/DriverFile.h"
#include "platform/CatalogHasher.h"
#include "platform/CatalogMembers.h"
#include "platform/FolderPath.h"

class SearchedFileCheck {
public:
    // catalog: where the INF's catalog is, as located for the set; image: the offline
    // Windows whose files alone may be read, none for this PC.
    SearchedFileCheck(CatalogLocation catalog, std::optional<FolderPath> image);
    SearchedFileCheck(const SearchedFileCheck&) = delete;
    SearchedFileCheck& operator=(const SearchedFileCheck&) = delete;

    // Judges the file the search found (its path filled in, open as found): Matches, or
    // Mismatch with the file's path, size and times emptied so that it is saved as a file that
    // is missing, or Unchecked with the reason when the driver has no catalog that can be read.
    void Check(DriverFile& file, HANDLE found);

private:
    // The catalog's members, read once; false with unreadable set when there are none.
    bool ReadMembers();
    UniqueFileHandle OpenCatalog(const std::wstring& path) const;

    CatalogLocation catalog;
    std::optional<FolderPath> image;
    bool read = false;
    CatalogMembers members;
    std::wstring unreadable;
    std::unique_ptr<CatalogHasher> hasher;
};
