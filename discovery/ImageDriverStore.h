// The driver store of an offline Windows. Its own lookup cannot be asked (it answers only
// for the running system), so the package folder is found the way the system made it: the
// published INF (oem3.inf in the INF folder) is a copy of the INF in the package folder that
// it was published from.
#pragma once

#include <string>

#include "discovery/DriverStore.h"
#include "discovery/SystemFolders.h"
#include "platform/FolderPath.h"

// The store of the image that folders describe: the INF of a name (oem3.inf, or a path
// ending in it) is looked up in the image's INF folder and its copy in the image's store.
DriverStore ImageDriverStore(const SystemFolders& folders);

// The INF at the top of a package folder under repository whose bytes equal publishedInf's;
// empty when there is none or publishedInf cannot be read. Every file is read as it is opened
// inside image: one that leads out of it is not read.
std::wstring FindStoreCopyByContent(const FolderPath& image, const std::wstring& publishedInf,
                                    const std::wstring& repository);
