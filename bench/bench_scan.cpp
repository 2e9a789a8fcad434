// Scan time and memory for prefixes with 50, 200 and 1,000 fixture devices, so the cost per
// device can be seen to stay flat as the device count grows.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench/BenchSupport.h"
#include "devices/DeviceList.h"
#include "tests/devices/ScanHelpers.h"
#include "tests/fixtures/DriverFixture.h"

namespace {

// Adds `count` devices on one package (one INF, many devices: the fast path).
bool AddDevices(int first, int count)
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
    return result.ok;
}

} // namespace

int main()
{
    const int sizes[] = {50, 200, 1000};
    const int repeats = 7;
    std::printf("%8s %8s %8s %10s %10s %11s %12s %12s %12s %14s %12s\n", "devices", "elements", "records", "install s",
                "best ms", "median ms", "us/element", "set us/el", "close us/el", "peak WS MB", "held KB/rec");
    int installed = 0;
    for (int size : sizes) {
        const Stopwatch installTime;
        if (!AddDevices(installed, size - installed))
            return 1;
        const double installSeconds = installTime.Milliseconds() / 1000.0;
        installed = size;
        // Wine's plug-and-play service goes on handling the new devices for a while after an
        // install; scans measured meanwhile share the machine with it.
        ::Sleep(3000);

        std::vector<double> times, setTimes, closeTimes;
        size_t elements = 0;
        size_t records = 0;
        double heldPerRecord = 0;
        for (int run = 0; run < repeats; ++run) {
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
            const Stopwatch closeTime;
            list.reset();
            closeTimes.push_back(closeTime.Milliseconds());
            // The setup services' own share: making the set of every device, which the scan reads.
            const Stopwatch setTime;
            UniqueDeviceInfoSet alone(SystemDeviceSet(DIGCF_ALLCLASSES));
            setTimes.push_back(setTime.Milliseconds());
        }
        const double perElement = 1000.0 / static_cast<double>(elements ? elements : 1);
        std::printf("%8d %8zu %8zu %10.1f %10.2f %11.2f %12.1f %12.1f %12.1f %14.1f %12.2f\n", size, elements, records,
                    installSeconds, *std::min_element(times.begin(), times.end()), Median(times),
                    Median(times) * perElement, Median(setTimes) * perElement, Median(closeTimes) * perElement,
                    PeakWorkingSetMiB(), heldPerRecord);
    }
    std::printf("\nelements: devices in the set (the fixture's plus Wine's own); records: devices kept.\n"
                "best/median of %d scans (includeAll, all devices); us/element from the median; set: the setup services\n"
                "making the device set alone (part of the scan); close: freeing the list and its set after a scan;\n"
                "held KB/rec: private bytes the list holds after a scan, per record.\n",
                repeats);
    return 0;
}
