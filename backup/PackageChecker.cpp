#include "backup/PackageChecker.h"

#include <cfgmgr32.h>

#include <cwchar>
#include <utility>

#include "platform/DeviceProperty.h"
#include "platform/DriverInfoDetail.h"
#include "platform/DriverKey.h"
#include "platform/InfText.h"
#include "platform/MachinePlatform.h"
#include "platform/ShellPath.h"
#include "backup/DriverVersion.h"
#include "backup/PackageCopy.h"
#include "backup/PackageSources.h"

namespace {

// Whether a decoration names this prefix ("ntamd64", or "nt" alone), with or without an OS
// version after it.
bool DecorationIs(const std::wstring& decoration, const std::wstring& prefix)
{
    const std::wstring folded = FoldAsciiCase(decoration);
    return folded.compare(0, prefix.size(), prefix) == 0 &&
           (folded.size() == prefix.size() || folded[prefix.size()] == L'.');
}

// Whether a decoration serves this machine: its own processor, or none named ("NT", "NT.6.1").
bool ServesThisMachine(const std::wstring& decoration)
{
    return DecorationIs(decoration, FoldAsciiCase(NtMachineDecoration())) || DecorationIs(decoration, L"nt");
}

// The models section of one manufacturer line: the first of its decorations made for this
// machine (NTamd64 on x64, NTarm64 on ARM64, with or without an OS version), else the first
// that names no processor ("NT"), else the undecorated section.
std::wstring ModelsSection(INFCONTEXT& line)
{
    const std::wstring base = ReadInfField(line, kSectionField);
    const std::wstring platform = FoldAsciiCase(NtMachineDecoration());
    const DWORD fields = ::SetupGetFieldCount(&line);
    for (const std::wstring& prefix : {platform, std::wstring(L"nt")}) {
        for (DWORD i = 2; i <= fields; ++i) {
            const std::wstring decoration = ReadInfField(line, i);
            if (DecorationIs(decoration, prefix))
                return base + L"." + decoration;
        }
    }
    return base;
}

std::wstring InstanceId(HDEVINFO set, SP_DEVINFO_DATA& element)
{
    wchar_t id[MAX_DEVICE_ID_LEN] = L"";
    return ::SetupDiGetDeviceInstanceIdW(set, &element, id, MAX_DEVICE_ID_LEN, nullptr) ? id : L"";
}

// The driver that this one INF offers the device, if any: its install section and the IDs its
// model line names (hardware ID first, then compatible IDs).
bool BestDriverOfInf(HDEVINFO set, SP_DEVINFO_DATA& element, std::wstring& section, std::vector<std::wstring>& modelIds)
{
    SP_DRVINFO_DATA_W info = {};
    info.cbSize = sizeof(info);
    if (!::SetupDiEnumDriverInfoW(set, &element, SPDIT_COMPATDRIVER, 0, &info))
        return false;
    std::vector<BYTE> buffer;
    const SP_DRVINFO_DETAIL_DATA_W* detail = ReadDriverInfoDetail(set, element, info, buffer);
    if (!detail)
        return false;
    section = detail->SectionName;
    modelIds.push_back(detail->HardwareID);
    const wchar_t* ids = detail->HardwareID + detail->CompatIDsOffset;
    const wchar_t* end = detail->HardwareID + detail->CompatIDsOffset + detail->CompatIDsLength;
    for (const wchar_t* id = ids; detail->CompatIDsLength > 0 && id < end && *id; id += std::wcslen(id) + 1)
        modelIds.push_back(id);
    return true;
}

// The device's own ID that a model ID matches: the installer is given the device's ID.
std::wstring MatchingId(const std::vector<std::wstring>& deviceIds, const std::vector<std::wstring>& modelIds)
{
    for (const std::wstring& deviceId : deviceIds) {
        for (const std::wstring& modelId : modelIds) {
            if (EqualsFoldingAsciiCase(deviceId, modelId))
                return deviceId;
        }
    }
    return modelIds.empty() ? std::wstring() : modelIds.front();
}

} // namespace

std::vector<std::wstring> ModelSections(HINF inf)
{
    std::vector<std::wstring> sections;
    INFCONTEXT manufacturer = {};
    bool more = ::SetupFindFirstLineW(inf, L"Manufacturer", nullptr, &manufacturer) != FALSE;
    for (; more; more = ::SetupFindNextLine(&manufacturer, &manufacturer) != FALSE) {
        const std::wstring models = ModelsSection(manufacturer);
        INFCONTEXT model = {};
        bool modelMore = ::SetupFindFirstLineW(inf, models.c_str(), nullptr, &model) != FALSE;
        for (; modelMore; modelMore = ::SetupFindNextLine(&model, &model) != FALSE) {
            const std::wstring section = ReadInfField(model, kSectionField);
            bool known = section.empty();
            for (const std::wstring& listed : sections)
                known = known || EqualsFoldingAsciiCase(listed, section);
            if (!known)
                sections.push_back(section);
        }
    }
    return sections;
}

bool ForOtherMachinesOnly(HINF inf)
{
    bool decoratedOnly = false;
    INFCONTEXT manufacturer = {};
    bool more = ::SetupFindFirstLineW(inf, L"Manufacturer", nullptr, &manufacturer) != FALSE;
    for (; more; more = ::SetupFindNextLine(&manufacturer, &manufacturer) != FALSE) {
        const DWORD fields = ::SetupGetFieldCount(&manufacturer);
        // An undecorated line is taken as made for any machine, as before.
        if (fields < 2)
            return false;
        for (DWORD i = 2; i <= fields; ++i) {
            if (ServesThisMachine(ReadInfField(manufacturer, i)))
                return false;
        }
        decoratedOnly = true;
    }
    return decoratedOnly;
}

void PackageChecker::Check(DriverPackage& package, const std::wstring& tempFolder)
{
    package.devices.clear();
    package.missingFiles.clear();
    package.files.clear();
    package.catalogs.clear();
    package.sameIn.clear();
    package.newerPackage.clear();
    package.error.clear();
    // The device install parameters hold the INF's path in MAX_PATH characters.
    std::wstring copyFailure;
    if (!FitsSetupServices(package) && (tempFolder.empty() || !UseShortCopy(package, tempFolder, copyFailure))) {
        Refuse(package, L"its path is longer than " + std::to_wstring(MAX_PATH - 1) + L" characters" +
                            (copyFailure.empty() ? std::wstring() : L", and no copy of it could be made: " + copyFailure));
        return;
    }
    if (!package.folder) {
        Refuse(package, L"its folder cannot be resolved");
        return;
    }
    // The INF is read only once it is shown to lie in its folder as the system opens it.
    const PathRefusal opened = package.folder->OpenInside(package.infPath).refusal();
    if (opened == PathRefusal::Outside) {
        Refuse(package, SourceRefusalText(opened, FileNamePart(package.infPath)));
        return;
    }
    UINT errorLine = 0;
    UniqueInfHandle inf(::SetupOpenInfFileW(package.infPath.c_str(), nullptr, INF_STYLE_WIN4, &errorLine));
    if (!inf) {
        Refuse(package, L"the INF cannot be read (line " + std::to_wstring(errorLine) + L")");
        return;
    }
    const DriverVer driverVer = ParseDriverVer(ReadInfLine(inf.get(), L"Version", L"DriverVer"));
    package.version = driverVer.version;
    package.date = driverVer.date;
    package.provider = ReadInfLine(inf.get(), L"Version", L"Provider");
    // A package made for other processors is no fault of the backup: it is skipped.
    if (ForOtherMachinesOnly(inf.get())) {
        package.outcome = PackageOutcome::NotForArchitecture;
        return;
    }
    // A package without models could never serve a device: staging it would only look like success.
    const std::vector<std::wstring> models = ModelSections(inf.get());
    if (models.empty()) {
        Refuse(package, L"no device models");
        return;
    }

    MatchDevices(package);
    std::vector<std::wstring> sections;
    for (const MatchedDevice& device : package.devices) {
        bool known = false;
        for (const std::wstring& section : sections)
            known = known || EqualsFoldingAsciiCase(section, device.section);
        if (!known)
            sections.push_back(device.section);
    }
    // With no device to install on, the package is staged whole: every model must be complete.
    if (sections.empty())
        sections = models;

    SourceCheck sources;
    const bool usable = CheckSources(inf.get(), *package.folder, sections, sources);
    package.missingFiles = std::move(sources.missing);
    package.files = std::move(sources.files);
    package.catalogs = std::move(sources.catalogs);
    package.error = std::move(sources.error);
    std::vector<DeviceAction> actions;
    for (MatchedDevice& device : package.devices) {
        device.action = DecideDevice(device.installedVersion, package.version, package.force);
        actions.push_back(device.action);
    }
    package.outcome = PlanPackage(usable, package.missingFiles.empty(), actions);
}

void PackageChecker::Refuse(DriverPackage& package, const std::wstring& reason)
{
    package.error = reason;
    package.outcome = PlanPackage(false, false, {});
}

void PackageChecker::MatchDevices(DriverPackage& package)
{
    // A device set of its own for each package: Wine's SetupDiDestroyDriverInfoList leaves a
    // device's list as it was, so a second INF's drivers would be added to the first one's.
    UniqueDeviceInfoSet devices(::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT));
    if (!devices)
        return;
    SP_DEVINFO_DATA element = {};
    element.cbSize = sizeof(element);
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(devices.get(), i, &element); ++i) {
        MatchedDevice device;
        if (MatchDevice(devices.get(), package.infPath, element, device))
            package.devices.push_back(std::move(device));
    }
}

bool PackageChecker::MatchDevice(HDEVINFO devices, const std::wstring& infPath, SP_DEVINFO_DATA& element,
                                 MatchedDevice& device)
{
    SP_DEVINSTALL_PARAMS_W params = {};
    params.cbSize = sizeof(params);
    if (!::SetupDiGetDeviceInstallParamsW(devices, &element, &params))
        return false;
    wcscpy_s(params.DriverPath, MAX_PATH, infPath.c_str());
    params.Flags |= DI_ENUMSINGLEINF;
    if (!::SetupDiSetDeviceInstallParamsW(devices, &element, &params) ||
        !::SetupDiBuildDriverInfoList(devices, &element, SPDIT_COMPATDRIVER))
        return false;
    std::vector<std::wstring> modelIds;
    const bool matched = BestDriverOfInf(devices, element, device.section, modelIds);
    ::SetupDiDestroyDriverInfoList(devices, &element, SPDIT_COMPATDRIVER);
    if (!matched)
        return false;

    std::vector<std::wstring> deviceIds = ReadDeviceTexts(devices, element, SPDRP_HARDWAREID);
    for (std::wstring& id : ReadDeviceTexts(devices, element, SPDRP_COMPATIBLEIDS))
        deviceIds.push_back(std::move(id));
    device.hardwareId = MatchingId(deviceIds, modelIds);
    device.instanceId = InstanceId(devices, element);
    device.name = ReadDeviceProperty(devices, element, SPDRP_FRIENDLYNAME);
    if (device.name.empty())
        device.name = ReadDeviceProperty(devices, element, SPDRP_DEVICEDESC);
    if (device.name.empty())
        device.name = device.instanceId;
    device.installedVersion = ReadDriverKey(devices, element).driverVersion;
    return true;
}
