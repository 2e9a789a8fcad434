#include "discovery/SearchedFileCheck.h"

#include <vector>

#include "platform/FileCopy.h"
#include "platform/ShellPath.h"
#include "platform/Trace.h"

SearchedFileCheck::SearchedFileCheck(CatalogLocation catalog, std::optional<FolderPath> image)
    : catalog(std::move(catalog)), image(std::move(image))
{
}

void SearchedFileCheck::Check(DriverFile& file, HANDLE found)
{
    file.searchFound = file.path;
    if (catalog.name.empty()) {
        file.catalogCheck = CatalogCheck::Unchecked;
        file.uncheckedReason = L"the driver names no catalog";
        return;
    }
    if (!ReadMembers()) {
        file.catalogCheck = CatalogCheck::Unchecked;
        file.uncheckedReason = unreadable;
        return;
    }
    std::vector<std::wstring> tags;
    DWORD error = NO_ERROR;
    // A file that cannot even be hashed cannot be shown to be the driver's.
    if (hasher->Tags(found, tags, error) && MatchCatalog(FileNamePart(file.name), tags, members).matches) {
        file.catalogCheck = CatalogCheck::Matches;
        return;
    }
    file.catalogCheck = CatalogCheck::Mismatch;
    file.path.clear();
    file.size = 0;
    file.time = FILETIME{0, 0};
    file.lastWrite = FILETIME{0, 0};
}

bool SearchedFileCheck::ReadMembers()
{
    if (read)
        return members.ok;
    read = true;
    // The copy beside the INF is the one saved with it; the installed copy stands in for it.
    for (const std::wstring& path : {catalog.besideInf, catalog.installedCopy}) {
        const UniqueFileHandle opened = OpenCatalog(path);
        if (!opened)
            continue;
        members = ReadCatalogMembers(opened.get());
        if (!members.ok) {
            unreadable = L"its catalog " + path + L" cannot be used: " + members.reason;
            return false;
        }
        hasher = std::make_unique<CatalogHasher>();
        return true;
    }
    unreadable = L"its catalog " + catalog.name + L" was not found";
    return false;
}

UniqueFileHandle SearchedFileCheck::OpenCatalog(const std::wstring& path) const
{
    if (path.empty())
        return UniqueFileHandle();
    if (!image)
        return OpenCopySource(path);
    // A catalog of an offline Windows is read only as opened inside it.
    PathResult<UniqueFileHandle> opened = image->OpenInside(path);
    return opened ? std::move(*std::move(opened)) : UniqueFileHandle();
}
