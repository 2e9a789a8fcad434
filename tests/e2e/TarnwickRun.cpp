#include "tests/e2e/TarnwickRun.h"

#include <algorithm>

#include "devices/DeviceList.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

namespace {

const DWORD kRunTimeoutMs = 300000;

} // namespace

TarnwickRun RunTarnwick(const std::wstring& arguments)
{
    TarnwickRun run;
    TempFolder folder;
    const std::wstring outputPath = folder / L"output.txt";
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    HANDLE output = ::CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS, 0,
                                  nullptr);
    if (output == INVALID_HANDLE_VALUE)
        return run;
    {
        ChildProcess child(L"\"" + BuildProgramPath("TARNWICK_EXE") + L"\" " + arguments, output);
        ::CloseHandle(output);
        run.finished = child.Wait(kRunTimeoutMs);
        run.exitCode = child.ExitCode();
        if (!run.finished)
            child.Terminate();
    }
    run.output = ReadFileBytes(outputPath);
    return run;
}

std::wstring PathArgument(const std::wstring& folder)
{
    return L"\"/path:" + folder + L"\"";
}

ExpectedDevice SimpleDevice(const fixture::SimpleDriver& driver, const fixture::InstallResult& installed,
                            const std::wstring& name)
{
    ExpectedDevice device;
    device.name = name;
    device.className = driver.className;
    device.classDescription = driver.classDescription;
    device.provider = driver.provider;
    device.version = driver.driverVer.substr(driver.driverVer.find(L',') + 1);
    device.infPath = installed.publishedInf;
    device.infSection = L"DeviceInstall";
    for (const wchar_t* suffix : {L".sys", L".dll", L"co.dll"})
        device.files.push_back({driver.name + suffix, installed.packageFolder + L"\\" + driver.name + suffix});
    device.files.push_back({driver.name + L".cat", installed.catalogPath});
    device.files.push_back({driver.name + L".inf", installed.publishedInfPath});
    return device;
}

std::vector<ExpectedDevice> InListOrder(std::vector<ExpectedDevice> devices)
{
    auto key = [](const ExpectedDevice& expected) {
        DeviceInfo record;
        record.className = expected.className;
        record.name = expected.name;
        record.infPath = expected.infPath;
        record.infSection = expected.infSection;
        return DeviceKey(record);
    };
    std::sort(devices.begin(), devices.end(),
              [&](const ExpectedDevice& left, const ExpectedDevice& right) { return key(left) < key(right); });
    return devices;
}

std::wstring SavedDeviceLog(const ExpectedDevice& device, const std::wstring& folder)
{
    std::wstring log = device.name + L"\nClass: " + device.classDescription + L" [" + device.className +
                       L"]\nProvider: " + device.provider + L"\nVersion: " + device.version +
                       L"\n  Searching for driver files...\n";
    for (const ExpectedFile& file : device.files)
        log += L"    " + file.name + L"\n";
    return log + L"  Saving to " + folder + L"...\n  Done.\n\n";
}

std::wstring RunStartLog(const std::wstring& target)
{
    return L"Saving devices...\n  Target path is " + target + L"\n\n";
}

std::wstring RunSummaryLog(int saved, int total)
{
    return L"\nDone: " + std::to_wstring(saved) + L" of " + std::to_wstring(total) +
           L" device driver(s) succesefully saved.\n";
}
