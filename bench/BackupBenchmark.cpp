// The command-line backup against the physical floor: 200 fixture devices of five files each
// (every tenth with a 4 MiB driver) installed in this prefix, then, in turns, tarnwick.exe
// /path:... and a plain copy of the same files in the same prefix. Prints the medians, the
// ratio, the cost per device, the peak memory of the backup process, and where an in-process
// save spends its time (scan, file sets, copying).
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "devices/DeviceList.h"
#include "discovery/DriverFileFinder.h"
#include "discovery/InfLocation.h"
#include "discovery/SystemFolders.h"
#include "saving/SystemShellOpen.h"
#include "platform/Handles.h"
#include "saving/CDeviceSaver.h"
#include "tests/fixtures/DriverFixture.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/OpenVerbRecorder.h"
#include "tests/support/TempFolder.h"

namespace {

const int kDevices = 200;
const int kRounds = 5;
const size_t kLargeDriverBytes = 4u << 20;

class QuietReporter : public IFileReporter {
public:
    bool Progress(double) override { return true; }
    void OnFile(const DriverFile&) override {}
};

// The build folder: this program runs from its bench\ subfolder.
std::wstring BuildFolder()
{
    wchar_t path[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    folder.resize(folder.rfind(L'\\'));
    folder.resize(folder.rfind(L'\\'));
    return folder;
}

fixture::Package BenchPackage(int index)
{
    wchar_t number[8];
    std::swprintf(number, 8, L"%03d", index);
    fixture::SimpleDriver driver;
    driver.name = std::wstring(L"bench") + number;
    const std::wstring hardwareId = L"ROOT\\TARNWICK_BENCH_" + std::wstring(number);
    driver.models = {{std::wstring(L"Bench Device ") + number, hardwareId}};
    fixture::Package package = fixture::MakePackage(driver, {{hardwareId}});
    if (index % 10 == 0)
        package.files[0].content.resize(kLargeDriverBytes, 'x');
    return package;
}

struct Installed {
    std::vector<fixture::InstallResult> packages;
    unsigned long long bytes = 0;
    int files = 0;
};

// The files a backup of the device copies: the media's files and the published INF.
std::vector<std::wstring> FilesOf(const fixture::InstallResult& installed)
{
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW entry;
    UniqueFindHandle listing(::FindFirstFileW((installed.packageFolder + L"\\*").c_str(), &entry));
    if (listing) {
        do {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                std::wstring(entry.cFileName).find(L".inf") == std::wstring::npos)
                files.push_back(installed.packageFolder + L"\\" + entry.cFileName);
        } while (::FindNextFileW(listing.get(), &entry));
    }
    files.push_back(installed.publishedInfPath);
    return files;
}

double PlainCopy(const Installed& installed, const std::wstring& into)
{
    Stopwatch watch;
    int device = 0;
    for (const fixture::InstallResult& package : installed.packages) {
        const std::wstring folder = into + L"\\" + std::to_wstring(++device);
        ::CreateDirectoryW(folder.c_str(), nullptr);
        for (const std::wstring& file : FilesOf(package)) {
            const std::wstring name = file.substr(file.rfind(L'\\') + 1);
            ::CopyFileW(file.c_str(), (folder + L"\\" + name).c_str(), FALSE);
        }
    }
    return watch.Milliseconds();
}

struct CliRun {
    double milliseconds = 0;
    DWORD exitCode = STILL_ACTIVE;
    double peakMiB = 0;
};

CliRun RunBackup(const std::wstring& tarnwick, const std::wstring& target, const std::wstring& output)
{
    CliRun run;
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    UniqueFileHandle out(::CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS, 0, nullptr));
    if (!out)
        return run;
    Stopwatch watch;
    ChildProcess child(L"\"" + tarnwick + L"\" \"/path:" + target + L"\"", out.get());
    out.reset();
    if (!child.started())
        return run;
    // Sampled while it runs: Wine reads another process's memory from the live process only.
    SIZE_T peak = 0;
    while (!child.Wait(5)) {
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof(counters);
        if (::GetProcessMemoryInfo(child.handle(), &counters, sizeof(counters)))
            peak = std::max({peak, counters.PeakWorkingSetSize, counters.WorkingSetSize});
    }
    run.milliseconds = watch.Milliseconds();
    run.exitCode = child.ExitCode();
    run.peakMiB = static_cast<double>(peak) / (1024.0 * 1024.0);
    return run;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Scan, file sets and copying timed apart, in this process.
void InProcessBreakdown(const std::wstring& target, double& scanMs, double& setsMs, double& copyMs, int& devices)
{
    const SystemFolders folders = ReadSystemFolders();
    DeviceList list;
    QuietReporter quiet;
    Stopwatch scan;
    list.Scan(false, false, quiet);
    scanMs = scan.Milliseconds();
    Stopwatch sets;
    std::vector<DeviceInfo*> records;
    for (const auto& entry : list.Devices()) {
        ResolveInfFullPath(list.DeviceInfoSet(), *entry.second);
        DriverFileFinder finder(*entry.second, quiet, folders);
        finder.Run();
        records.push_back(entry.second.get());
    }
    setsMs = sets.Milliseconds();
    devices = static_cast<int>(records.size());
    Stopwatch copy;
    {
        SystemShellOpen shell;
        CDeviceSaver saver(quiet, shell, folders);
        for (DeviceInfo* record : records)
            saver.AddDevice(record);
        saver.SaveAll(target, nullptr);
    }
    copyMs = copy.Milliseconds();
}

} // namespace

int wmain()
{
    const std::wstring build = BuildFolder();
    ::SetEnvironmentVariableW(L"TARNWICK_OPEN_RECORDER", (build + L"\\tests\\support\\open_recorder.exe").c_str());
    OpenVerbRecorder recorder;  // no viewer opens the logs of the runs below

    Installed installed;
    Stopwatch installWatch;
    for (int i = 1; i <= kDevices; ++i) {
        fixture::InstallResult result = fixture::InstallPackage(BenchPackage(i));
        if (!result.ok) {
            std::fwprintf(stderr, L"bench_backup: install %d failed: %ls\n", i, result.error.c_str());
            return 1;
        }
        for (const std::wstring& file : FilesOf(result)) {
            WIN32_FILE_ATTRIBUTE_DATA data;
            if (::GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data))
                installed.bytes += data.nFileSizeLow;
            ++installed.files;
        }
        installed.packages.push_back(std::move(result));
    }
    std::printf("installed %d devices, %d files, %.1f MiB in %.1f s\n\n", kDevices, installed.files,
                static_cast<double>(installed.bytes) / (1024.0 * 1024.0), installWatch.Milliseconds() / 1000.0);

    TempFolder work;
    std::vector<double> plain, cli, peaks;
    DWORD exitCode = 0;
    for (int round = 0; round < kRounds; ++round) {
        const std::wstring copyFolder = work / (L"plain" + std::to_wstring(round));
        ::CreateDirectoryW(copyFolder.c_str(), nullptr);
        plain.push_back(PlainCopy(installed, copyFolder));
        RemoveTree(copyFolder);
        const std::wstring target = work / (L"backup" + std::to_wstring(round));
        const CliRun run = RunBackup(build + L"\\tarnwick.exe", target, work / L"output.txt");
        cli.push_back(run.milliseconds);
        peaks.push_back(run.peakMiB);
        exitCode = std::max(exitCode, run.exitCode);
        RemoveTree(target);
    }
    double scanMs = 0, setsMs = 0, copyMs = 0;
    int listed = 0;
    InProcessBreakdown(work / L"inprocess", scanMs, setsMs, copyMs, listed);

    const double cliMs = Median(cli);
    const double plainMs = Median(plain);
    std::printf("| %d devices, %d files, %.1f MiB (median of %d) | time | per device |\n", kDevices, installed.files,
                static_cast<double>(installed.bytes) / (1024.0 * 1024.0), kRounds);
    std::printf("|---|---:|---:|\n");
    std::printf("| tarnwick.exe /path: (exit code %lu) | %.0f ms | %.2f ms |\n", exitCode, cliMs, cliMs / kDevices);
    std::printf("| plain CopyFileW of the same files | %.0f ms | %.2f ms |\n", plainMs, plainMs / kDevices);
    std::printf("| ratio backup / plain copy | %.1fx | |\n", cliMs / plainMs);
    std::printf("| peak working set of tarnwick.exe | %.1f MiB | |\n", Median(peaks));
    std::printf("| in process: scan (%d devices) | %.0f ms | %.2f ms |\n", listed, scanMs, scanMs / kDevices);
    std::printf("| in process: file sets from the INFs | %.0f ms | %.2f ms |\n", setsMs, setsMs / kDevices);
    std::printf("| in process: save of the known sets | %.0f ms | %.2f ms |\n", copyMs, copyMs / kDevices);
    std::printf("| peak working set of this program | %.1f MiB | |\n", PeakWorkingSetMiB());
    return 0;
}
