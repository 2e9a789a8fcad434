#include "restore/PackageInstaller.h"

#include <setupapi.h>
#include <newdev.h>

#include <memory>
#include <vector>

#include "platform/BackgroundTask.h"
#include "platform/RegistryText.h"
#include "platform/Handles.h"
#include "platform/ShellPath.h"

namespace {

const DWORD kPollMs = 200;

// One call of the installer.
struct InstallCall {
    std::wstring hardwareId;
    std::wstring infPath;
    DWORD flags = 0;
    bool succeeded = false;
    DWORD error = NO_ERROR;
    bool rebootRequired = false;  // the installer says Windows must restart to finish
};

void MakeCall(InstallCall& call)
{
    BOOL rebootRequired = FALSE;
    ::SetLastError(NO_ERROR);
    call.succeeded = ::UpdateDriverForPlugAndPlayDevicesW(nullptr, call.hardwareId.c_str(), call.infPath.c_str(),
                                                          call.flags, &rebootRequired) != FALSE;
    call.error = call.succeeded ? NO_ERROR : ::GetLastError();
    call.rebootRequired = call.succeeded && rebootRequired != FALSE;
}

// False when the reporter gave up before the call returned. The call is shared with its task,
// so that a call given up on can finish alone.
bool RunCall(const std::shared_ptr<InstallCall>& call, IProgressReporter& reporter, double fraction)
{
    BackgroundTask task;
    if (!task.Start([call](const std::atomic<bool>&) { MakeCall(*call); })) {
        MakeCall(*call);
        return true;
    }
    while (!task.Wait(kPollMs)) {
        if (!reporter.Progress(fraction))
            return false;
    }
    return true;
}

// Whether a device gets the package was decided already, so the installer is forced past its
// own ranking. When a device of the same ID keeps its newer driver, the installer is left to
// its ranking instead, so that it does not downgrade that device.
std::shared_ptr<InstallCall> CallFor(const DriverPackage& package, const std::wstring& hardwareId)
{
    auto call = std::make_shared<InstallCall>();
    call->hardwareId = hardwareId;
    call->infPath = package.infPath;
    bool everyDevice = true;
    for (const MatchedDevice& device : package.devices) {
        if (EqualsFoldingAsciiCase(device.hardwareId, hardwareId))
            everyDevice = everyDevice && device.action == DeviceAction::Install;
    }
    call->flags = everyDevice ? INSTALLFLAG_FORCE : 0;
    return call;
}

// Each device of the ID that was to get the package reads it back from its driver key, or
// says why not.
void ReadOutcomes(DriverPackage& package, const InstallCall& call)
{
    for (MatchedDevice& device : package.devices) {
        if (device.action != DeviceAction::Install || !EqualsFoldingAsciiCase(device.hardwareId, call.hardwareId))
            continue;
        const DriverKeyValues key = ReadDriverKey(device.instanceId);
        device.installed = NamesPackage(key, package.publishedInf, device.section);
        if (device.installed)
            device.error.clear();
        else if (!call.succeeded)
            device.error = ErrorText(call.error);
        else if (key.found)
            device.error = L"its driver key names " + key.infPath + L" [" + key.infSection + L"]";
        else
            device.error = L"it has no driver key";
    }
}

} // namespace

std::wstring ErrorText(DWORD error)
{
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length && buffer ? std::wstring(buffer, length) : std::wstring();
    if (buffer)
        ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    wchar_t code[16] = L"";
    swprintf_s(code, (error & 0xF0000000) ? L"0x%08X" : L"%u", error);
    return (text.empty() ? std::wstring() : text + L" ") + L"(error " + code + L")";
}

bool StagePackage(DriverPackage& package)
{
    std::vector<wchar_t> published(kPathBufferLength, L'\0');
    DWORD required = 0;
    ::SetLastError(NO_ERROR);
    BOOL staged = ::SetupCopyOEMInfW(package.infPath.c_str(), package.sourceRoot.c_str(), SPOST_PATH, 0,
                                     published.data(), static_cast<DWORD>(published.size()), &required, nullptr);
    if (!staged && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER && required > published.size()) {
        published.assign(required, L'\0');
        staged = ::SetupCopyOEMInfW(package.infPath.c_str(), package.sourceRoot.c_str(), SPOST_PATH, 0,
                                    published.data(), required, nullptr, nullptr);
    }
    if (!staged) {
        package.error = L"the system refused to stage it: " + ErrorText(::GetLastError());
        return false;
    }
    package.publishedInf = FileNamePart(published.data());
    return true;
}

InstallRun InstallOnDevices(DriverPackage& package, IProgressReporter& reporter, double fraction)
{
    // The installer works per hardware ID: one call serves every device of it.
    std::vector<std::wstring> done;
    for (const MatchedDevice& device : package.devices) {
        bool known = device.action != DeviceAction::Install;
        for (const std::wstring& id : done)
            known = known || EqualsFoldingAsciiCase(id, device.hardwareId);
        if (known)
            continue;
        done.push_back(device.hardwareId);
        const std::shared_ptr<InstallCall> call = CallFor(package, device.hardwareId);
        if (!RunCall(call, reporter, fraction))
            return InstallRun::Abandoned;
        ReadOutcomes(package, *call);
        package.restartNeeded = package.restartNeeded || call->rebootRequired;
    }
    return InstallRun::Finished;
}

DriverKeyValues ReadDriverKey(const std::wstring& instanceId)
{
    DriverKeyValues values;
    UniqueDeviceInfoSet set(::SetupDiCreateDeviceInfoList(nullptr, nullptr));
    SP_DEVINFO_DATA element = {};
    element.cbSize = sizeof(element);
    if (!set || !::SetupDiOpenDeviceInfoW(set.get(), instanceId.c_str(), nullptr, 0, &element))
        return values;
    UniqueRegKey key(::SetupDiOpenDevRegKey(set.get(), &element, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ));
    if (!key)
        return values;
    values.found = true;
    values.infPath = ReadRegistryText(key.get(), L"InfPath");
    values.infSection = ReadRegistryText(key.get(), L"InfSection");
    values.driverVersion = ReadRegistryText(key.get(), L"DriverVersion");
    return values;
}

bool NamesPackage(const DriverKeyValues& key, const std::wstring& publishedInf, const std::wstring& section)
{
    return key.found && !publishedInf.empty() && EqualsFoldingAsciiCase(key.infPath, publishedInf) &&
           EqualsFoldingAsciiCase(key.infSection, section);
}
