#include "restore/PackageInstaller.h"

#include <setupapi.h>
#include <newdev.h>

#include <memory>
#include <vector>

#include "platform/BackgroundTask.h"
#include "platform/FileNameCompare.h"
#include "platform/Handles.h"
#include "platform/ShellPath.h"
#include "platform/Trace.h"
#include "restore/RestoreDecision.h"

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

// The call is shared with its task, so that a call given up on can finish alone.
InstallRun RunCall(const std::shared_ptr<InstallCall>& call, IProgressReporter& reporter, double fraction,
                   DWORD timeLimitMs)
{
    BackgroundTask task;
    if (!task.Start([call](const std::atomic<bool>&) { MakeCall(*call); })) {
        MakeCall(*call);
        return InstallRun::Finished;
    }
    const ULONGLONG start = ::GetTickCount64();
    while (!task.Wait(kPollMs)) {
        if (!reporter.Progress(fraction))
            return InstallRun::Abandoned;
        if (::GetTickCount64() - start >= timeLimitMs)
            return InstallRun::TimedOut;
    }
    return InstallRun::Finished;
}

// The call as planned: the installer is forced exactly where the plan says.
std::shared_ptr<InstallCall> CallFor(const DriverPackage& package, const PlannedCall& planned)
{
    auto call = std::make_shared<InstallCall>();
    call->hardwareId = planned.hardwareId;
    call->infPath = package.infPath;
    call->flags = planned.force ? INSTALLFLAG_FORCE : 0;
    return call;
}

// The devices of the ID that a call given up on was for.
void GiveUp(DriverPackage& package, const std::wstring& hardwareId, const wchar_t* reason)
{
    for (MatchedDevice& device : package.devices) {
        if (device.action == DeviceAction::Install && EqualsFoldingAsciiCase(device.hardwareId, hardwareId))
            device.error = reason;
    }
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
            device.error = SystemErrorText(call.error);
        else if (key.found)
            device.error = L"its driver key names " + key.infPath + L" [" + key.infSection + L"]";
        else
            device.error = L"it has no driver key";
    }
}

} // namespace

bool StagePackage(DriverPackage& package)
{
    const std::wstring media = package.folder ? package.folder->Full() : std::wstring();
    std::vector<wchar_t> published(kPathBufferLength, L'\0');
    DWORD required = 0;
    ::SetLastError(NO_ERROR);
    BOOL staged = ::SetupCopyOEMInfW(package.infPath.c_str(), media.c_str(), SPOST_PATH, 0,
                                     published.data(), static_cast<DWORD>(published.size()), &required, nullptr);
    if (!staged && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER && required > published.size()) {
        published.assign(required, L'\0');
        staged = ::SetupCopyOEMInfW(package.infPath.c_str(), media.c_str(), SPOST_PATH, 0,
                                    published.data(), required, nullptr, nullptr);
    }
    if (!staged) {
        package.error = L"the system refused to stage it: " + SystemErrorText(::GetLastError());
        return false;
    }
    package.publishedInf = FileNamePart(published.data());
    return true;
}

InstallRun InstallOnDevices(DriverPackage& package, const std::vector<PlannedCall>& calls, IProgressReporter& reporter,
                            double fraction, DWORD timeLimitMs)
{
    // The installer works per hardware ID: one call serves every device of it.
    for (const PlannedCall& planned : calls) {
        const std::shared_ptr<InstallCall> call = CallFor(package, planned);
        const InstallRun run = RunCall(call, reporter, fraction, timeLimitMs);
        if (run == InstallRun::TimedOut)
            GiveUp(package, planned.hardwareId, L"the installer did not finish");
        if (run != InstallRun::Finished)
            return run;
        ReadOutcomes(package, *call);
        package.restartNeeded = package.restartNeeded || call->rebootRequired;
    }
    return InstallRun::Finished;
}

std::vector<std::wstring> FilesNotInstalled(const DriverPackage& package)
{
    std::vector<std::wstring> absent;
    for (const PackageFile& file : package.files) {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        const bool present = ::GetFileAttributesExW(file.target.c_str(), GetFileExInfoStandard, &data) &&
                             !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        const unsigned long long size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        if (!present || (!file.compressed && size != file.size))
            absent.push_back(file.target);
    }
    return absent;
}

bool NamesPackage(const DriverKeyValues& key, const std::wstring& publishedInf, const std::wstring& section)
{
    return key.found && !publishedInf.empty() && SameFileName(key.infPath, publishedInf) &&
           EqualsFoldingAsciiCase(key.infSection, section);
}
