#include "restore/PackageChecker.h"

#include <cfgmgr32.h>

#include <cwchar>
#include <set>

#include "platform/DriverInfoDetail.h"
#include "platform/InfText.h"
#include "platform/RegistryText.h"
#include "platform/ShellPath.h"
#include "restore/DriverVersion.h"

namespace {

// The platform decoration of this 64-bit program's models sections.
const wchar_t kPlatform[] = L"ntamd64";

bool HasSection(HINF inf, const std::wstring& section)
{
    return ::SetupGetLineCountW(inf, section.c_str()) >= 0;
}

// The section with the decoration this system installs ("Install.NTamd64" before "Install.NT"
// before "Install"); empty when the INF has none of them.
std::wstring ActualSection(HINF inf, const std::wstring& section)
{
    DWORD needed = 0;
    if (!::SetupDiGetActualSectionToInstallW(inf, section.c_str(), nullptr, 0, &needed, nullptr) || needed == 0)
        return std::wstring();
    std::vector<wchar_t> buffer(needed);
    if (!::SetupDiGetActualSectionToInstallW(inf, section.c_str(), buffer.data(), needed, nullptr, nullptr))
        return std::wstring();
    return buffer.data();
}

// The models section of one manufacturer line: the first of its decorations made for this
// platform (NTamd64, with or without an OS version), else the undecorated section.
std::wstring ModelsSection(INFCONTEXT& line)
{
    const std::wstring base = ReadInfField(line, 1);
    const DWORD fields = ::SetupGetFieldCount(&line);
    for (DWORD i = 2; i <= fields; ++i) {
        const std::wstring decoration = ReadInfField(line, i);
        const std::wstring folded = FoldAsciiCase(decoration);
        const size_t length = sizeof(kPlatform) / sizeof(kPlatform[0]) - 1;
        if (folded.compare(0, length, kPlatform) == 0 && (folded.size() == length || folded[length] == L'.'))
            return base + L"." + decoration;
    }
    return base;
}

std::vector<std::wstring> MultiTextProperty(HDEVINFO set, SP_DEVINFO_DATA& element, DWORD property)
{
    std::vector<std::wstring> texts;
    DWORD needed = 0;
    ::SetupDiGetDeviceRegistryPropertyW(set, &element, property, nullptr, nullptr, 0, &needed);
    if (needed == 0)
        return texts;
    // Two spare characters, so a list stored without its closing nulls still ends.
    std::vector<wchar_t> buffer(needed / sizeof(wchar_t) + 2, L'\0');
    if (!::SetupDiGetDeviceRegistryPropertyW(set, &element, property, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                                             needed, nullptr))
        return texts;
    for (const wchar_t* text = buffer.data(); *text; text += std::wcslen(text) + 1)
        texts.push_back(text);
    return texts;
}

std::wstring TextProperty(HDEVINFO set, SP_DEVINFO_DATA& element, DWORD property)
{
    const std::vector<std::wstring> texts = MultiTextProperty(set, element, property);
    return texts.empty() ? std::wstring() : texts.front();
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

// The file under its own name or, as installation media may hold a file compressed, under
// its name ending in "_"; empty when neither exists.
std::wstring ExistingSource(const std::wstring& path)
{
    if (path.empty() || ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return path;
    std::wstring compressed = path;
    compressed.back() = L'_';
    return ::GetFileAttributesW(compressed.c_str()) != INVALID_FILE_ATTRIBUTES ? compressed : std::wstring();
}

std::wstring RelativeTo(const std::wstring& path, const std::wstring& root)
{
    const std::wstring prefix = WithBackslash(root);
    if (path.size() > prefix.size() && EqualsFoldingAsciiCase(path.substr(0, prefix.size()), prefix))
        return WithoutLeadingBackslashes(path.substr(prefix.size()));
    return path;
}

struct ScanContext {
    std::wstring sourceRoot;
    std::set<std::wstring> seen;
    std::vector<PackageFile>* files;
    std::vector<std::wstring>* missing;
    bool failed = false;
};

UINT CALLBACK ScanSources(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR) noexcept
{
    auto* scan = static_cast<ScanContext*>(context);
    if (notification != SPFILENOTIFY_QUEUESCAN_EX || !param1)
        return NO_ERROR;
    // Nothing may escape into the setup services' scan loop.
    try {
        const auto* paths = reinterpret_cast<const FILEPATHS_W*>(param1);
        std::wstring source = paths->Source ? paths->Source : L"";
        std::wstring canonical;
        if (CanonicalizePath(source, canonical))
            source = canonical;
        if (!scan->seen.insert(FoldAsciiCase(source)).second)
            return NO_ERROR;
        PackageFile file;
        file.source = ExistingSource(source);
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (file.source.empty() || !::GetFileAttributesExW(file.source.c_str(), GetFileExInfoStandard, &data)) {
            scan->missing->push_back(RelativeTo(source, scan->sourceRoot));
            return NO_ERROR;
        }
        file.target = paths->Target ? paths->Target : L"";
        file.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        file.compressed = file.source != source;
        scan->files->push_back(std::move(file));
        return NO_ERROR;
    } catch (...) {
        scan->failed = true;
        return ERROR_OUTOFMEMORY;
    }
}

bool QueueSection(HINF inf, HSPFILEQ queue, const std::wstring& section, const std::wstring& sourceRoot,
                  std::wstring& error)
{
    const std::wstring actual = ActualSection(inf, section);
    if (actual.empty() || !HasSection(inf, actual)) {
        error = L"the INF has no install section " + section;
        return false;
    }
    if (!::SetupInstallFilesFromInfSectionW(inf, nullptr, queue, actual.c_str(), sourceRoot.c_str(), 0)) {
        error = L"the files of " + actual + L" cannot be queued";
        return false;
    }
    const std::wstring coInstallers = actual + L".CoInstallers";
    if (HasSection(inf, coInstallers) &&
        !::SetupInstallFilesFromInfSectionW(inf, nullptr, queue, coInstallers.c_str(), sourceRoot.c_str(), 0)) {
        error = L"the files of " + coInstallers + L" cannot be queued";
        return false;
    }
    return true;
}

} // namespace

std::wstring CatalogName(HINF inf)
{
    const std::wstring decorated = ReadInfLine(inf, L"Version", L"CatalogFile.NTamd64");
    return decorated.empty() ? ReadInfLine(inf, L"Version", L"CatalogFile") : decorated;
}

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
            const std::wstring section = ReadInfField(model, 1);
            bool known = section.empty();
            for (const std::wstring& listed : sections)
                known = known || EqualsFoldingAsciiCase(listed, section);
            if (!known)
                sections.push_back(section);
        }
    }
    return sections;
}

bool FindMissingFiles(HINF inf, const std::wstring& sourceRoot, const std::vector<std::wstring>& sections,
                      std::vector<PackageFile>& files, std::vector<std::wstring>& missing, std::wstring& error)
{
    UniqueFileQueue queue(::SetupOpenFileQueue());
    if (!queue) {
        error = L"no file queue could be opened";
        return false;
    }
    for (const std::wstring& section : sections) {
        if (!QueueSection(inf, queue.get(), section, sourceRoot, error))
            return false;
    }
    ScanContext context;
    context.sourceRoot = sourceRoot;
    context.files = &files;
    context.missing = &missing;
    DWORD result = 0;
    if (!::SetupScanFileQueueW(queue.get(), SPQ_SCAN_USE_CALLBACKEX, nullptr, ScanSources, &context, &result) ||
        context.failed) {
        error = L"the file queue cannot be scanned";
        return false;
    }
    const std::wstring catalog = CatalogName(inf);
    if (!catalog.empty() && ExistingSource(JoinPath(sourceRoot, catalog)).empty())
        missing.push_back(catalog);
    return true;
}

void PackageChecker::Check(DriverPackage& package)
{
    package.devices.clear();
    package.missingFiles.clear();
    package.files.clear();
    package.catalogPath.clear();
    package.error.clear();
    // The device install parameters hold the INF's path in MAX_PATH characters.
    if (package.infPath.size() >= MAX_PATH) {
        package.error = L"its path is longer than " + std::to_wstring(MAX_PATH - 1) + L" characters";
        package.status = PlanPackage(false, false, {});
        return;
    }
    UINT errorLine = 0;
    UniqueInfHandle inf(::SetupOpenInfFileW(package.infPath.c_str(), nullptr, INF_STYLE_WIN4, &errorLine));
    if (!inf) {
        package.error = L"the INF cannot be read (line " + std::to_wstring(errorLine) + L")";
        package.status = PlanPackage(false, false, {});
        return;
    }
    const DriverVer driverVer = ParseDriverVer(ReadInfLine(inf.get(), L"Version", L"DriverVer"));
    package.version = driverVer.version;
    package.date = driverVer.date;
    package.provider = ReadInfLine(inf.get(), L"Version", L"Provider");
    const std::wstring catalog = CatalogName(inf.get());
    package.catalogPath = catalog.empty() ? catalog : JoinPath(package.sourceRoot, catalog);

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
        sections = ModelSections(inf.get());

    const bool queued = FindMissingFiles(inf.get(), package.sourceRoot, sections, package.files,
                                         package.missingFiles, package.error);
    std::vector<DeviceAction> actions;
    for (MatchedDevice& device : package.devices) {
        device.action = DecideDevice(device.installedVersion, package.version, package.force);
        actions.push_back(device.action);
    }
    package.status = PlanPackage(queued, package.missingFiles.empty(), actions);
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

    std::vector<std::wstring> deviceIds = MultiTextProperty(devices, element, SPDRP_HARDWAREID);
    for (std::wstring& id : MultiTextProperty(devices, element, SPDRP_COMPATIBLEIDS))
        deviceIds.push_back(std::move(id));
    device.hardwareId = MatchingId(deviceIds, modelIds);
    device.instanceId = InstanceId(devices, element);
    device.name = TextProperty(devices, element, SPDRP_FRIENDLYNAME);
    if (device.name.empty())
        device.name = TextProperty(devices, element, SPDRP_DEVICEDESC);
    if (device.name.empty())
        device.name = device.instanceId;
    UniqueRegKey key(::SetupDiOpenDevRegKey(devices, &element, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ));
    if (key)
        device.installedVersion = ReadRegistryText(key.get(), L"DriverVersion");
    return true;
}
