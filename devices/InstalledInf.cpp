#include "devices/InstalledInf.h"

namespace {

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

} // namespace

void ResolveInfFullPath(HDEVINFO set, DeviceInfo& device)
{
    // The records of an offline Windows have no device set: their scan names their INF.
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
