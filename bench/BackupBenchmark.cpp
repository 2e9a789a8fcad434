// The command-line backup against its floor, a plain CopyFileW copy of the same files in the
// same prefix. Two sets, each in a prefix of its own:
//   small: 200 fixture devices of five files each, every tenth with a 4 MiB driver;
//   mixed: 95 devices of five 100 KB files and 5 devices of ten 20 MB files.
// Both sides run as programs of their own, in alternating order round after round, each timed
// run after an untimed one of the same program and what each wrote removed before the next
// starts, so Wine's start-up and the disk hit both alike; the medians are compared. Also
// prints the peak memory of the backup, its cost per device, and where an in-process save
// spends its time. The copies are written under the folder TARNWICK_BENCH_WORK names, when it
// is set, instead of the temporary folder: a RAM disk there keeps the disk's write-back and
// discards, which come at times of their own, out of the comparison.
//   bench_backup.exe small|mixed [/installed]   (/installed: the set is installed already)
//   bench_backup.exe /floor <file list> <target>     (the floor; started by the above)
#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "bench/BenchPackages.h"
#include "bench/BenchSupport.h"
#include "devices/DeviceList.h"
#include "discovery/DriverFileFinder.h"
#include "discovery/SystemFolders.h"
#include "platform/FileHash.h"
#include "platform/Handles.h"
#include "saving/CDeviceSaver.h"
#include "log/SystemShellOpen.h"
#include "tests/fixtures/DriverFixture.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/OpenVerbRecorder.h"
#include "tests/support/TempFolder.h"

namespace {

// Even, so that backup and floor each run first in half of the rounds.
const int kRounds = 8;

class QuietReporter : public IFileReporter {
public:
    bool Progress(double) override { return true; }
    void OnFile(const DriverFile&) override {}
};

std::wstring Numbered(const wchar_t* prefix, int index)
{
    wchar_t number[8];
    std::swprintf(number, 8, L"%03d", index);
    return prefix + std::wstring(number);
}

// A device of the small set: the fixture's usual driver.
fixture::Package SmallSetPackage(int index)
{
    fixture::SimpleDriver driver;
    driver.name = Numbered(L"bench", index);
    const std::wstring hardwareId = Numbered(L"ROOT\\TARNWICK_BENCH_", index);
    driver.models = {{Numbered(L"Bench Device ", index), hardwareId}};
    fixture::Package package = fixture::MakePackage(driver, {{hardwareId}});
    if (index % 10 == 0)
        package.files[0].content.resize(4u << 20, 'x');
    return package;
}

struct BenchSet {
    const wchar_t* title;
    int devices;
    std::function<fixture::Package(int)> package;
};

BenchSet SetNamed(const std::wstring& name)
{
    if (name == L"mixed") {
        return {L"mixed set", kMixedSetDevices, MixedSetPackage};
    }
    return {L"small set", 200, SmallSetPackage};
}

// One copy the floor makes: the device's folder number, the file to copy, its name in there.
struct FloorCopy {
    std::wstring device;
    std::wstring path;
    std::wstring name;
};

std::vector<FloorCopy> ReadFloorList(const std::wstring& listFile)
{
    std::vector<FloorCopy> copies;
    FILE* file = _wfopen(listFile.c_str(), L"rb");
    if (!file)
        return copies;
    std::wstring text;
    wchar_t buffer[4096];
    for (size_t read; (read = std::fread(buffer, sizeof(wchar_t), 4096, file)) > 0;)
        text.append(buffer, read);
    std::fclose(file);
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find(L'\n', start), text.size());
        const std::wstring line = text.substr(start, end - start);
        const size_t first = line.find(L'\t'), second = line.find(L'\t', first + 1);
        if (second != std::wstring::npos)
            copies.push_back({line.substr(0, first), line.substr(first + 1, second - first - 1), line.substr(second + 1)});
        start = end + 1;
    }
    return copies;
}

// The floor: the same files copied into one folder per device, creating the folders they need.
int RunFloor(const std::wstring& listFile, const std::wstring& target)
{
    ::CreateDirectoryW(target.c_str(), nullptr);
    int failures = 0;
    for (const FloorCopy& copy : ReadFloorList(listFile)) {
        const std::wstring destination = target + L"\\" + copy.device + L"\\" + copy.name;
        for (size_t slash = target.size() + 1; (slash = destination.find(L'\\', slash + 1)) != std::wstring::npos;)
            ::CreateDirectoryW(destination.substr(0, slash).c_str(), nullptr);
        if (!::CopyFileW(copy.path.c_str(), destination.c_str(), FALSE))
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}

struct Installed {
    int devices = 0;
    int files = 0;
    unsigned long long bytes = 0;
    double scanMs = 0, setsMs = 0, saveMs = 0, hashMs = 0;
};

// Scan, file sets and a save of the known sets timed apart in this process; the file sets
// also give the floor its list.
Installed MeasureInProcess(const std::wstring& listFile, const std::wstring& target)
{
    Installed installed;
    const SystemFolders folders = ReadSystemFolders();
    DeviceList list;
    QuietReporter quiet;
    Stopwatch scan;
    list.Scan(false, false, quiet);
    installed.scanMs = scan.Milliseconds();
    Stopwatch sets;
    std::vector<DeviceInfo*> records;
    for (const auto& entry : list.Devices()) {
        DriverFileFinder finder(*entry.second, quiet, folders);
        finder.Run();
        records.push_back(entry.second.get());
    }
    installed.setsMs = sets.Milliseconds();
    std::wstring lines;
    for (const DeviceInfo* record : records) {
        ++installed.devices;
        for (const DriverFile& file : record->files) {
            lines += std::to_wstring(installed.devices) + L"\t" + file.path + L"\t" + file.name + L"\n";
            installed.bytes += file.size;
            ++installed.files;
        }
    }
    if (FILE* out = _wfopen(listFile.c_str(), L"wb")) {
        std::fwrite(lines.data(), sizeof(wchar_t), lines.size(), out);
        std::fclose(out);
    }
    Stopwatch save;
    {
        SystemShellOpen shell;
        CDeviceSaver saver(quiet, shell, folders);
        for (DeviceInfo* record : records)
            saver.AddDevice(record);
        const PathResult<FolderPath> folder = FolderPath::Resolve(target);
        if (folder)
            saver.SaveAll(*folder, nullptr);
    }
    installed.saveMs = save.Milliseconds();
    // The report's digest of every byte saved, alone: a part of the save that the floor has not.
    Stopwatch hash;
    for (const DeviceInfo* record : records) {
        for (const DriverFile& file : record->files) {
            std::string digest;
            uint64_t size = 0;
            Sha256OfFile(file.path, digest, size);
        }
    }
    installed.hashMs = hash.Milliseconds();
    return installed;
}

struct ProgramRun {
    double milliseconds = 0;
    DWORD exitCode = STILL_ACTIVE;
    double peakMiB = 0;
};

// Runs a program with its output going to a file, timing it and sampling its memory while it
// runs (Wine reads another process's memory from the live process only).
ProgramRun Run(const std::wstring& commandLine, const std::wstring& output)
{
    ProgramRun run;
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    UniqueFileHandle out(::CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS, 0, nullptr));
    if (!out)
        return run;
    Stopwatch watch;
    ChildProcess child(commandLine, out.get());
    out.reset();
    if (!child.started())
        return run;
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

int RunBenchmark(const BenchSet& set, bool installedAlready)
{
    const std::wstring build = BuildFolder();
    ::SetEnvironmentVariableW(L"TARNWICK_OPEN_RECORDER", (build + L"\\tests\\support\\open_recorder.exe").c_str());
    OpenVerbRecorder recorder;  // no viewer opens the logs of the runs below

    Stopwatch installWatch;
    for (int i = 1; i <= set.devices && !installedAlready; ++i) {
        const fixture::InstallResult result = fixture::InstallPackage(set.package(i));
        if (!result.ok) {
            std::fwprintf(stderr, L"bench_backup: install %d failed: %ls\n", i, result.error.c_str());
            return 1;
        }
    }
    const double installSeconds = installWatch.Milliseconds() / 1000.0;

    TempFolder work(WorkParent());
    const std::wstring listFile = work / L"floor-files.txt";
    const Installed installed = MeasureInProcess(listFile, work / L"inprocess");
    RemoveTree(work / L"inprocess");
    std::wprintf(L"%ls: installed %d devices in %.1f s; a backup copies %d files, %.1f MiB into %ls\n\n", set.title,
                 installed.devices, installSeconds, installed.files, static_cast<double>(installed.bytes) / (1024.0 * 1024.0),
                 work.path().c_str());

    const std::wstring self = build + L"\\bench\\bench_backup.exe";
    std::vector<double> floor, backup, backupPeak, floorPeak;
    DWORD exitCode = 0;
    for (int round = 0; round < kRounds; ++round) {
        const std::wstring floorTarget = work / (L"floor" + std::to_wstring(round));
        const std::wstring backupTarget = work / (L"backup" + std::to_wstring(round));
        // Each timed run follows an untimed run of the same program: a program that follows the
        // other one runs up to half again as long, whichever the two are (the disk and page
        // cache are left in the other's state).
        auto runFloor = [&] {
            for (int pass = 0; pass < 2; ++pass) {
                const ProgramRun run =
                    Run(L"\"" + self + L"\" /floor \"" + listFile + L"\" \"" + floorTarget + L"\"", work / L"floor.txt");
                RemoveTree(floorTarget);
                if (pass == 1) {
                    floor.push_back(run.milliseconds);
                    floorPeak.push_back(run.peakMiB);
                }
            }
        };
        auto runBackup = [&] {
            for (int pass = 0; pass < 2; ++pass) {
                const ProgramRun run = Run(L"\"" + build + L"\\tarnwick.exe\" \"/path:" + backupTarget + L"\"", work / L"output.txt");
                RemoveTree(backupTarget);
                exitCode = std::max(exitCode, run.exitCode);
                if (pass == 1) {
                    backup.push_back(run.milliseconds);
                    backupPeak.push_back(run.peakMiB);
                }
            }
        };
        if (round % 2 == 0) {
            runFloor();
            runBackup();
        } else {
            runBackup();
            runFloor();
        }
        std::fwprintf(stderr, L"round %d: backup %.0f ms, floor %.0f ms\n", round + 1, backup.back(), floor.back());
    }

    const double backupMs = Median(backup);
    const double floorMs = Median(floor);
    const double devices = installed.devices > 0 ? installed.devices : 1;
    std::wprintf(L"| %ls: %d devices, %d files, %.1f MiB (median of %d) | time | per device |\n", set.title,
                 installed.devices, installed.files, static_cast<double>(installed.bytes) / (1024.0 * 1024.0), kRounds);
    std::wprintf(L"|---|---:|---:|\n");
    std::wprintf(L"| tarnwick.exe /path: (exit code %lu) | %.0f ms | %.2f ms |\n", exitCode, backupMs, backupMs / devices);
    std::wprintf(L"| floor: plain CopyFileW of the same files | %.0f ms | %.2f ms |\n", floorMs, floorMs / devices);
    std::wprintf(L"| ratio backup / floor | %.2fx | |\n", backupMs / floorMs);
    const double bestBackup = *std::min_element(backup.begin(), backup.end());
    const double bestFloor = *std::min_element(floor.begin(), floor.end());
    std::wprintf(L"| best of %d: backup / floor | %.0f / %.0f ms = %.2fx | |\n", kRounds, bestBackup, bestFloor,
                 bestBackup / bestFloor);
    std::wprintf(L"| backup's cost above the floor | %.0f ms | %.2f ms |\n", backupMs - floorMs, (backupMs - floorMs) / devices);
    std::wprintf(L"| peak working set: tarnwick.exe / floor | %.1f / %.1f MiB | |\n", Median(backupPeak), Median(floorPeak));
    std::wprintf(L"| in process: scan | %.0f ms | %.2f ms |\n", installed.scanMs, installed.scanMs / devices);
    std::wprintf(L"| in process: file sets from the INFs | %.0f ms | %.2f ms |\n", installed.setsMs, installed.setsMs / devices);
    std::wprintf(L"| in process: save of the known sets | %.0f ms | %.2f ms |\n", installed.saveMs, installed.saveMs / devices);
    std::wprintf(L"| in process: SHA-256 of the same files alone (CNG, the report's digest) | %.0f ms | %.2f ms |\n",
                 installed.hashMs, installed.hashMs / devices);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 4 && std::wstring(argv[1]) == L"/floor")
        return RunFloor(argv[2], argv[3]);
    return RunBenchmark(SetNamed(argc > 1 ? argv[1] : L"small"), argc > 2 && std::wstring(argv[2]) == L"/installed");
}
