#include "discovery/InfLocation.h"

#include <shlwapi.h>

#include "discovery/SystemFolders.h"
#include "platform/InfText.h"
#include "platform/ShellPath.h"

std::wstring FindInfInFolders(const DeviceInfo& device, const std::vector<std::wstring>& infFolders)
{
    if (!device.infFullPath.empty() && ::PathFileExistsW(device.infFullPath.c_str()))
        return device.infFullPath;
    for (const std::wstring& folder : infFolders) {
        std::wstring candidate = folder;
        if (AppendPath(candidate, device.infPath) && ::PathFileExistsW(candidate.c_str()))
            return candidate;
    }
    return std::wstring();
}

std::wstring FindInfInDriverStore(const DeviceInfo& device, const DriverStore& store)
{
    return store.Locate(device.infFullPath.empty() ? device.infPath : device.infFullPath);
}

bool ChooseInf(const DeviceInfo& device, const SystemFolders& folders, InfChoice& choice, const DriverStore& store)
{
    choice.folderInf = FindInfInFolders(device, folders.infFolders);
    std::wstring storeInf = FindInfInDriverStore(device, store);
    if (!storeInf.empty() && !::PathFileExistsW(storeInf.c_str()))
        storeInf.clear();
    choice.chosenInf = storeInf.empty() ? choice.folderInf : storeInf;
    return !choice.chosenInf.empty();
}

CatalogLocation LocateCatalog(HINF inf, const DeviceInfo& device, const std::wstring& chosenInf,
                              const std::wstring& catalogFolder)
{
    CatalogLocation catalog;
    catalog.name = ReadCatalogName(inf, device.infSectionExt);
    if (catalog.name.empty())
        return catalog;

    // The system keeps an installed driver's catalog under the installed INF's name.
    // A path that does not fit is no copy at all (an empty join renamed would be ".cat").
    catalog.installedCopy = JoinPath(catalogFolder, device.infPath);
    if (catalog.installedCopy.empty() || !RenameExtension(catalog.installedCopy, L".cat"))
        catalog.installedCopy.clear();
    catalog.besideInf = JoinPath(WithoutFileName(chosenInf), catalog.name);
    return catalog;
}
