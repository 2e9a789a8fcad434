// Scan time and memory for prefixes with 50 to 10,000 fixture devices, so the cost per device
// can be seen to stay flat as the device count grows. Each size is measured by a program of its
// own (this one, started with /measure), so that its peak memory is the scan's and the tree's,
// not the installs': the scans, then the tree filled in the window's batches.
//   bench_scan.exe                 installs the devices step by step and measures each size
//   bench_scan.exe /measure <n>    measures the devices installed now (n: the size, for the table)
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "devices/DeviceList.h"
#include "devices/TreeFill.h"
#include "tests/devices/ScanHelpers.h"
#include "tests/fixtures/DriverFixture.h"
#include "tests/support/ChildProcess.h"

namespace {

const int kRepeats = 7;
// As many devices per batch as the main window fills.
const size_t kFillBatch = 200;

// Adds `count` devices on one package (one INF, many devices: the fast path); model takes the
// first one's instance ID.
bool AddDevices(int first, int count, std::wstring& model)
{
    const std::wstring hardwareId = L"ROOT\\TARNWICK_BENCH_" + std::to_wstring(first);
    const fixture::SimpleDriver driver =
        fixture::OneModelDriver(L"bench" + std::to_wstring(first), L"Bench device", hardwareId);
    std::vector<fixture::DeviceSpec> devices;
    for (int i = first; i < first + count; ++i) {
        fixture::DeviceSpec deviceSpec{hardwareId};
        deviceSpec.friendlyName = L"Bench device " + std::to_wstring(i);  // distinct keys: every device is kept
        devices.push_back(deviceSpec);
    }
    const fixture::InstallResult result = fixture::InstallPackage(fixture::MakePackage(driver, devices));
    if (!result.ok)
        std::fwprintf(stderr, L"bench_scan: install failed: %ls\n", result.error.c_str());
    if (result.ok && model.empty() && !result.devices.empty())
        model = result.devices[0].instanceId;
    return result.ok;
}

const wchar_t kEnumKey[] = L"SYSTEM\\CurrentControlSet\\Enum\\";
const wchar_t kClassKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Class\\";

// Copies every value of key from into key to (made when missing), with the values named in
// changed given other texts.
bool CopyValues(const std::wstring& from, const std::wstring& to, const std::vector<std::pair<std::wstring, std::wstring>>& changed)
{
    HKEY source = nullptr, target = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, from.c_str(), 0, KEY_READ, &source) != ERROR_SUCCESS)
        return false;
    bool ok = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, to.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &target, nullptr) == ERROR_SUCCESS;
    for (DWORD index = 0; ok; ++index) {
        wchar_t name[256];
        BYTE data[4096];
        DWORD nameLength = 256, size = sizeof(data), type = 0;
        if (::RegEnumValueW(source, index, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS)
            break;
        ok = ::RegSetValueExW(target, name, 0, type, data, size) == ERROR_SUCCESS;
    }
    for (const auto& value : changed) {
        ok = ok && ::RegSetValueExW(target, value.first.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.second.c_str()),
                                    static_cast<DWORD>((value.second.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    ::RegCloseKey(source);
    if (target)
        ::RegCloseKey(target);
    return ok;
}

// Adds `count` devices as the setup services keep an installed one, by copying the device
// key and the driver key of the installed model: installing thousands under Wine one by one
// takes hours (each install takes longer the more devices there are). The setup services
// enumerate and read them as any installed device.
bool RegisterCopies(const std::wstring& model, int first, int count)
{
    wchar_t driver[256] = L"";
    DWORD size = sizeof(driver);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, (kEnumKey + model).c_str(), L"Driver", RRF_RT_REG_SZ, nullptr, driver, &size) !=
        ERROR_SUCCESS)
        return false;
    const std::wstring classGuid = std::wstring(driver).substr(0, std::wstring(driver).find(L'\\'));
    for (int i = first; i < first + count; ++i) {
        wchar_t number[8];
        std::swprintf(number, 8, L"%04d", i);
        const std::wstring copyDriver = classGuid + L"\\" + number;
        if (!CopyValues(kClassKey + std::wstring(driver), kClassKey + copyDriver, {}) ||
            !CopyValues(kEnumKey + model, kEnumKey + std::wstring(L"ROOT\\TARNWICKBENCHCOPY\\") + number,
                        {{L"Driver", copyDriver}, {L"FriendlyName", L"Bench device " + std::to_wstring(i)}})) {
            std::fwprintf(stderr, L"bench_scan: could not register device %d\n", i);
            return false;
        }
    }
    return true;
}

struct FillTimes {
    double totalMs = 0;
    double longestBatchMs = 0;
};

// The tree filled in the window's batches on this thread; the longest batch is the longest the
// window's message loop waits.
FillTimes TimeTreeFill(const DeviceList& list)
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    HWND tree = ::CreateWindowExW(0, WC_TREEVIEWW, L"", WS_POPUP | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_CHECKBOXES, 0,
                                  0, 400, 600, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    FillTimes times;
    const Stopwatch whole;
    TreeFill fill(list, tree);
    for (bool done = false; !done;) {
        const Stopwatch batch;
        done = fill.Next(kFillBatch);
        times.longestBatchMs = std::max(times.longestBatchMs, batch.Milliseconds());
    }
    times.totalMs = whole.Milliseconds();
    ::DestroyWindow(tree);
    return times;
}

int Measure(int size)
{
    std::vector<double> times, setTimes, closeTimes;
    size_t elements = 0;
    size_t records = 0;
    double heldPerRecord = 0;
    FillTimes fill;
    for (int run = 0; run < kRepeats; ++run) {
        const PROCESS_MEMORY_COUNTERS before = ProcessMemory();
        auto list = std::make_unique<DeviceList>();
        IgnoreProgress progress;
        const Stopwatch scanTime;
        list->Scan(true, false, progress);
        times.push_back(scanTime.Milliseconds());
        const PROCESS_MEMORY_COUNTERS after = ProcessMemory();
        records = list->Devices().size();
        HDEVINFO set = list->DeviceInfoSet();
        SP_DEVINFO_DATA element = {};
        element.cbSize = sizeof(element);
        for (elements = 0; set && ::SetupDiEnumDeviceInfo(set, static_cast<DWORD>(elements), &element); ++elements) {
        }
        if (records > 0 && after.PagefileUsage > before.PagefileUsage)
            heldPerRecord = static_cast<double>(after.PagefileUsage - before.PagefileUsage) / 1024.0 / records;
        if (run == kRepeats - 1)
            fill = TimeTreeFill(*list);
        const Stopwatch closeTime;
        list.reset();
        closeTimes.push_back(closeTime.Milliseconds());
        // The setup services' own share: making the set of every device, which the scan reads.
        const Stopwatch setTime;
        UniqueDeviceInfoSet alone(SystemDeviceSet(DIGCF_ALLCLASSES));
        setTimes.push_back(setTime.Milliseconds());
    }
    const double perElement = 1000.0 / static_cast<double>(elements ? elements : 1);
    const PROCESS_MEMORY_COUNTERS peak = ProcessMemory();
    const double mib = 1024.0 * 1024.0;
    std::printf("%8d %8zu %8zu %10.2f %11.2f %10.1f %10.1f %10.1f %9.2f %8.0f %9.1f %11.1f %11.1f\n", size, elements,
                records, *std::min_element(times.begin(), times.end()), Median(times), Median(times) * perElement,
                Median(setTimes) * perElement, Median(closeTimes) * perElement, heldPerRecord, fill.totalMs,
                fill.longestBatchMs, static_cast<double>(peak.PeakWorkingSetSize) / mib,
                static_cast<double>(peak.PeakPagefileUsage) / mib);
    return 0;
}

// This program again, measuring the devices installed now.
bool MeasureInChild(int size)
{
    wchar_t self[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const ProgramRun run =
        RunWithOutputToFile(L"\"" + std::wstring(self) + L"\" /measure " + std::to_wstring(size), 30 * 60 * 1000);
    std::fputs(run.output.c_str(), stdout);
    std::fflush(stdout);
    return run.finished && run.exitCode == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "/measure")
        return Measure(std::atoi(argv[2]));

    // Installed one by one up to this many; beyond it registered as copies (RegisterCopies).
    const int installedAtMost = 1000;
    const int sizes[] = {50, 200, 1000, 5000, 10000};
    std::printf("%8s %8s %8s %10s %11s %10s %10s %10s %9s %8s %9s %11s %11s\n", "devices", "elements", "records",
                "best ms", "median ms", "us/elem", "set us/el", "close us/el", "held KB/r", "fill ms", "batch ms",
                "peak WS MB", "peak PF MB");
    std::fflush(stdout);
    int installed = 0;
    std::wstring model;
    for (int size : sizes) {
        const Stopwatch installTime;
        if (size <= installedAtMost ? !AddDevices(installed, size - installed, model)
                                    : !RegisterCopies(model, installed, size - installed))
            return 1;
        std::fprintf(stderr, "bench_scan: %d devices installed in %.1f s\n", size, installTime.Milliseconds() / 1000.0);
        installed = size;
        // Wine's plug-and-play service goes on handling the new devices for a while after an
        // install; scans measured meanwhile share the machine with it.
        ::Sleep(3000);
        if (!MeasureInChild(size))
            return 1;
    }
    std::printf("\nelements: devices in the set (the fixture's plus Wine's own); records: devices kept. Up to %d devices\n"
                "installed one by one, beyond that registered as copies of an installed one.\n", installedAtMost);
    std::printf("best/median of %d scans (includeAll, all devices); us/elem from the median; set: the setup services\n"
                "making the device set alone (part of the scan); close: freeing the list and its set after a scan;\n"
                "held KB/r: private bytes the list holds after a scan, per record; fill: the tree filled in batches of\n"
                "%zu devices as the main window fills it, batch: its longest batch (the longest the window waits);\n"
                "peak WS / PF: the measuring program's peak working set and peak private bytes\n"
                "(PROCESS_MEMORY_COUNTERS PeakWorkingSetSize, PeakPagefileUsage).\n",
                kRepeats, kFillBatch);
    return 0;
}
