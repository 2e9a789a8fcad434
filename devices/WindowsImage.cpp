#include "devices/WindowsImage.h"

#include <objbase.h>
#include <shlwapi.h>

#include <cwchar>

#include "devices/DeviceList.h"
#include "platform/LoadedHive.h"
#include "platform/RegistryKey.h"
#include "platform/SystemIdentity.h"

namespace {

const wchar_t kUnknownClass[] = L"Unknown device";

UniqueRegKey OpenKey(HKEY parent, const std::wstring& name)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return UniqueRegKey();
    return UniqueRegKey(key);
}

std::vector<std::wstring> SubkeyNames(HKEY key)
{
    std::vector<std::wstring> names;
    std::vector<wchar_t> name(256);
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(name.size());
        const LSTATUS status = ::RegEnumKeyExW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) {
            name.resize(name.size() * 2);
            continue;
        }
        if (status != ERROR_SUCCESS)
            return names;
        names.emplace_back(name.data(), length);
        ++index;
    }
}

// A REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ value's first string as stored, whatever its
// length; empty for a missing value or any other type. Expanding is left out on purpose: the
// variables of the running system say nothing about the image.
std::wstring ReadStoredText(HKEY key, const wchar_t* name)
{
    std::vector<wchar_t> buffer(256);
    for (;;) {
        DWORD type = REG_NONE;
        DWORD size = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
        const LSTATUS status =
            ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (status == ERROR_MORE_DATA) {
            buffer.assign(size / sizeof(wchar_t) + 2, L'\0');
            continue;
        }
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ))
            return std::wstring();
        buffer[size / sizeof(wchar_t)] = L'\0';
        return buffer.data();  // up to the first null: the first string of a multi-string
    }
}

// The control set the image boots with, as its Select key names it.
std::wstring CurrentControlSet(HKEY system)
{
    const UniqueRegKey select = OpenKey(system, L"Select");
    DWORD current = 0;
    DWORD size = sizeof(current);
    DWORD type = REG_NONE;
    if (!select || ::RegQueryValueExW(select.get(), L"Current", nullptr, &type, reinterpret_cast<BYTE*>(&current), &size)
            != ERROR_SUCCESS || type != REG_DWORD || current == 0 || current > 999)
        return std::wstring();
    wchar_t name[32];
    std::swprintf(name, ARRAYSIZE(name), L"ControlSet%03lu", static_cast<unsigned long>(current));
    return name;
}

// The processors the image's Windows is for, as its control set's environment names them.
std::wstring ReadArchitecture(HKEY system, const std::wstring& controlSet)
{
    const UniqueRegKey environment = OpenKey(system, controlSet + L"\\Control\\Session Manager\\Environment");
    return environment ? ReadStoredText(environment.get(), L"PROCESSOR_ARCHITECTURE") : std::wstring();
}

std::wstring ReadComputerName(HKEY system, const std::wstring& controlSet)
{
    const UniqueRegKey name = OpenKey(system, controlSet + L"\\Control\\ComputerName\\ComputerName");
    return name ? ReadStoredText(name.get(), L"ComputerName") : std::wstring();
}

// Reads the devices of one control set.
class ControlSetReader {
public:
    ControlSetReader(UniqueRegKey enumKey, UniqueRegKey classKey)
        : enum_(std::move(enumKey)), class_(std::move(classKey))
    { }

    // Every instance key below Enum: enumerator\device\instance.
    std::vector<std::wstring> InstanceIds() const
    {
        std::vector<std::wstring> ids;
        for (const std::wstring& enumerator : SubkeyNames(enum_.get())) {
            const UniqueRegKey enumeratorKey = OpenKey(enum_.get(), enumerator);
            for (const std::wstring& device : SubkeyNames(enumeratorKey.get())) {
                const UniqueRegKey deviceKey = OpenKey(enumeratorKey.get(), device);
                for (const std::wstring& instance : SubkeyNames(deviceKey.get()))
                    ids.push_back(enumerator + L"\\" + device + L"\\" + instance);
            }
        }
        return ids;
    }

    // The same rules as a scan of the running system: a device needs an INF and a section,
    // an INF of its own unless includeAll, and a name.
    std::unique_ptr<DeviceInfo> Read(const std::wstring& instanceId, bool includeAll) const
    {
        const UniqueRegKey device = OpenKey(enum_.get(), instanceId);
        const std::wstring driver = ReadStoredText(device.get(), L"Driver");
        if (!device || driver.empty())
            return nullptr;
        auto record = std::make_unique<DeviceInfo>();
        if (!ReadDriverKey(driver, *record) || (!includeAll && !record->isOemInf))
            return nullptr;

        record->description = DirectText(ReadStoredText(device.get(), L"DeviceDesc"));
        record->name = DirectText(ReadStoredText(device.get(), L"FriendlyName"));
        if (record->name.empty())
            record->name = record->description;
        if (record->name.empty())
            return nullptr;

        record->devInfoData.cbSize = sizeof(record->devInfoData);
        const std::wstring classGuid = ReadStoredText(device.get(), L"ClassGUID");
        if (::CLSIDFromString(classGuid.c_str(), &record->devInfoData.ClassGuid) != NOERROR)
            record->devInfoData.ClassGuid = GUID_NULL;
        const UniqueRegKey classKey = OpenKey(class_.get(), classGuid);
        record->className = ReadStoredText(device.get(), L"Class");
        if (record->className.empty())
            record->className = ReadStoredText(classKey.get(), L"Class");
        record->classDescription = classKey ? DirectText(ReadStoredText(classKey.get(), nullptr)) : std::wstring();
        if (record->classDescription.empty() || record->classDescription[0] == L'@')
            record->classDescription = record->className;
        if (record->classDescription.empty())
            record->classDescription = kUnknownClass;
        record->manufacturer = DirectText(ReadStoredText(device.get(), L"Mfg"));
        record->hardwareId = ReadStoredText(device.get(), L"HardwareID");
        record->instanceId = instanceId;
        return record;
    }

private:
    bool ReadDriverKey(const std::wstring& driver, DeviceInfo& record) const
    {
        const UniqueRegKey key = OpenKey(class_.get(), driver);
        if (!key)
            return false;
        TakeDriverKey(ReadDriverKeyValues(key.get(), ReadStoredText), record);
        return !record.infPath.empty() && !record.infSection.empty();
    }

    UniqueRegKey enum_;
    UniqueRegKey class_;
};

} // namespace

const wchar_t* ProgramArchitecture() noexcept
{
#if defined(_M_ARM64) || defined(__aarch64__)
    return L"ARM64";
#elif defined(_M_X64) || defined(__x86_64__)
    return L"AMD64";
#else
    return L"x86";
#endif
}

std::wstring DirectText(const std::wstring& stored)
{
    if (stored.empty() || stored[0] != L'@')
        return stored;
    const size_t separator = stored.find(L';');
    return separator == std::wstring::npos ? stored : stored.substr(separator + 1);
}

std::wstring WindowsImage::WindowsFolder() const
{
    return root_.WithSeparator() + L"Windows\\";
}

std::wstring WindowsImage::HiveFile() const
{
    return WindowsFolder() + L"System32\\config\\SYSTEM";
}

std::wstring WindowsImage::ReadWindowsName() const
{
    std::wstring product;
    std::wstring build;
    std::wstring architecture;
    LSTATUS error = ERROR_SUCCESS;
    {
        const LoadedHive software = LoadedHive::Load(WindowsFolder() + L"System32\\config\\SOFTWARE", error);
        // Closed before the hive goes.
        const UniqueRegKey version = software.IsLoaded()
                                         ? OpenKey(software.Root(), L"Microsoft\\Windows NT\\CurrentVersion")
                                         : UniqueRegKey();
        product = version ? ReadStoredText(version.get(), L"ProductName") : std::wstring();
        build = version ? ReadStoredText(version.get(), L"CurrentBuildNumber") : std::wstring();
    }
    const LoadedHive system = LoadedHive::Load(HiveFile(), error);
    if (system.IsLoaded())
        architecture = ReadArchitecture(system.Root(), CurrentControlSet(system.Root()));
    return WindowsName(product, build, architecture);
}

ImageProblem WindowsImage::CheckFolder() const
{
    if (!::PathIsDirectoryW(WindowsFolder().c_str()))
        return ImageProblem::NotWindowsFolder;
    const DWORD attributes = ::GetFileAttributesW(HiveFile().c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return ImageProblem::HiveMissing;
    return ImageProblem::None;
}

ImageProblem WindowsImage::ReadDevices(bool includeAll, IProgressReporter& reporter,
                                       std::vector<std::unique_ptr<DeviceInfo>>& records)
{
    records.clear();
    architecture_.clear();
    loadError_ = ERROR_SUCCESS;
    const ImageProblem folderProblem = CheckFolder();
    if (folderProblem != ImageProblem::None)
        return folderProblem;

    LoadedHive hive = LoadedHive::Load(HiveFile(), loadError_);
    if (!hive.IsLoaded())
        return loadError_ == ERROR_PRIVILEGE_NOT_HELD ? ImageProblem::NotAdministrator : ImageProblem::HiveUnreadable;
    // Every key of the hive is closed before the hive goes: the reader is scoped inside it.
    const std::wstring controlSet = CurrentControlSet(hive.Root());
    UniqueRegKey enumKey = OpenKey(hive.Root(), controlSet + L"\\Enum");
    UniqueRegKey classKey = OpenKey(hive.Root(), controlSet + L"\\Control\\Class");
    if (controlSet.empty() || !enumKey || !classKey)
        return ImageProblem::HiveUnreadable;
    architecture_ = ReadArchitecture(hive.Root(), controlSet);
    computerName_ = ReadComputerName(hive.Root(), controlSet);

    const ControlSetReader reader(std::move(enumKey), std::move(classKey));
    const PathResult<FolderPath> infFolder = root_.Folder(L"Windows\\INF");
    const std::vector<std::wstring> ids = reader.InstanceIds();
    const double count = ids.empty() ? 1.0 : static_cast<double>(ids.size());
    for (size_t i = 0; i < ids.size(); ++i) {
        reporter.Progress(static_cast<double>(i + 1) / count);
        std::unique_ptr<DeviceInfo> record = reader.Read(ids[i], includeAll);
        if (!record)
            continue;
        // The driver key names its INF by its name in the image's INF folder; one that climbs
        // out of it, or names another drive, would be a file of this PC.
        const PathResult<PathInside> inf =
            infFolder ? infFolder->Inside(record->infPath) : PathResult<PathInside>(infFolder.refusal());
        if (inf)
            record->infFullPath = inf->full;
        else
            record->infRefusal = inf.refusal();
        records.push_back(std::move(record));
    }
    return ImageProblem::None;
}
