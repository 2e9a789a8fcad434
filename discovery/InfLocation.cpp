#include "discovery/InfLocation.h"

#include <shlwapi.h>

#include "discovery/SystemFolders.h"
#include "platform/ShellPath.h"

namespace {

const DWORD kLineBuffer = 512;  // characters

// With these flags the class driver list holds the driver installed on the device, excluded
// drivers included.
const DWORD kInstalledDriverFlags = DI_FLAGSEX_INSTALLEDDRIVER | DI_FLAGSEX_ALLOWEXCLUDEDDRVS;

// Destroys a device's class driver list when the lookup ends, however it ends.
class ClassDriverList {
public:
    ClassDriverList(HDEVINFO set, SP_DEVINFO_DATA* element) : set_(set), element_(element)
    {
        built_ = ::SetupDiBuildDriverInfoList(set_, element_, SPDIT_CLASSDRIVER) != FALSE;
    }
    ~ClassDriverList()
    {
        if (built_)
            ::SetupDiDestroyDriverInfoList(set_, element_, SPDIT_CLASSDRIVER);
    }
    ClassDriverList(const ClassDriverList&) = delete;
    ClassDriverList& operator=(const ClassDriverList&) = delete;

    bool built() const { return built_; }
    bool Get(DWORD index, SP_DRVINFO_DATA_V2_W& driver) const
    {
        driver = {};
        driver.cbSize = sizeof(driver);
        return ::SetupDiEnumDriverInfoW(set_, element_, SPDIT_CLASSDRIVER, index, &driver) != FALSE;
    }
    // Only the fixed part is asked for: the hardware ID list that follows it is not needed,
    // so a short-buffer answer counts as read.
    bool Details(SP_DRVINFO_DATA_V2_W& driver, SP_DRVINFO_DETAIL_DATA_W& details) const
    {
        details = {};
        details.cbSize = sizeof(details);
        ::SetLastError(ERROR_SUCCESS);
        if (::SetupDiGetDriverInfoDetailW(set_, element_, &driver, &details, sizeof(details), nullptr))
            return true;
        return ::GetLastError() == ERROR_INSUFFICIENT_BUFFER;
    }

private:
    HDEVINFO set_;
    SP_DEVINFO_DATA* element_;
    bool built_ = false;
};

void AskForInstalledDriver(HDEVINFO set, SP_DEVINFO_DATA& element)
{
    SP_DEVINSTALL_PARAMS_W params = {};
    params.cbSize = sizeof(params);
    if (!::SetupDiGetDeviceInstallParamsW(set, &element, &params))
        return;
    params.FlagsEx |= kInstalledDriverFlags;
    ::SetupDiSetDeviceInstallParamsW(set, &element, &params);
}

std::wstring ReadVersionLine(HINF inf, const std::wstring& key)
{
    wchar_t buffer[kLineBuffer] = L"";
    if (!::SetupGetLineTextW(nullptr, inf, L"Version", key.c_str(), buffer, kLineBuffer, nullptr))
        return std::wstring();
    return buffer;
}

} // namespace

void ResolveInfFullPath(HDEVINFO set, DeviceInfo& device)
{
    // The records of an offline Windows have no device set: their INFs are found by name.
    if (!set || !device.infFullPath.empty())
        return;

    AskForInstalledDriver(set, device.devInfoData);
    ClassDriverList drivers(set, &device.devInfoData);
    if (!drivers.built())
        return;

    SP_DRVINFO_DATA_V2_W driver;
    for (DWORD index = 0; drivers.Get(index, driver); ++index) {
        if (!IsFromDriverSource(device, driver))
            continue;
        SP_DRVINFO_DETAIL_DATA_W details;
        if (drivers.Details(driver, details) && IsInstalledDriver(device, details)) {
            device.infFullPath = details.InfFileName;
            return;
        }
    }
}

bool IsFromDriverSource(const DeviceInfo& device, const SP_DRVINFO_DATA_V2_W& driver)
{
    return device.manufacturer == driver.MfgName && device.providerName == driver.ProviderName;
}

bool IsInstalledDriver(const DeviceInfo& device, const SP_DRVINFO_DETAIL_DATA_W& details)
{
    return device.infSection == details.SectionName && device.description == details.DrvDescription;
}

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
    if (!device.infSectionExt.empty())
        catalog.name = ReadVersionLine(inf, L"CatalogFile" + device.infSectionExt);
    if (catalog.name.empty())
        catalog.name = ReadVersionLine(inf, L"CatalogFile");
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
