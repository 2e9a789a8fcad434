#include "tests/e2e/TarnwickRun.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "devices/DeviceList.h"
#include "saving/SavePaths.h"
#include "tests/saving/SavingTestSupport.h"
#include "tests/support/TempFolder.h"

namespace {

const DWORD kRunTimeoutMs = 300000;

} // namespace

ProgramRun RunTarnwick(const std::wstring& arguments)
{
    return RunWithOutputToFile(L"\"" + BuildProgramPath("TARNWICK_EXE") + L"\" " + arguments, kRunTimeoutMs);
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

ExpectedDevice StoreDevice(const fixture::SimpleDriver& driver, const fixture::InstallResult& installed)
{
    ExpectedDevice device = SimpleDevice(driver, installed, driver.models.at(0).description);
    device.files.clear();
    for (const std::wstring& suffix : fixture::PayloadSuffixes(driver)) {
        const std::wstring name = fixture::MediaPath(driver, suffix);
        device.files.push_back({name, installed.storeFolder + L"\\" + name});
    }
    for (const wchar_t* suffix : {L".cat", L".inf"})
        device.files.push_back({driver.name + suffix, installed.storeFolder + L"\\" + driver.name + suffix});
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

void ExpectScriptedRunLog(const ProgramRun& run, const OpenVerbRecorder& recorder, const std::wstring& folder,
                          const std::wstring& messages)
{
    ASSERT_TRUE(run.finished);
    const std::vector<std::wstring> logs = LogsIn(folder);
    ASSERT_EQ(logs.size(), 1u) << "logs in " << ::testing::PrintToString(folder);
    const std::wstring log = WithBackslash(folder) + logs[0];
    EXPECT_EQ(ReadFileBytes(log), LogBytes(messages));
    EXPECT_EQ(run.output, LogBytes(L"Scanning devices...\n" + messages + log + L"\n"));
    // The shell starts a viewer after the call returns: give it the time to show up.
    ::Sleep(1000);
    EXPECT_TRUE(recorder.WaitForOpened(0, 0).empty()) << "no viewer is left behind a scripted run";
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
