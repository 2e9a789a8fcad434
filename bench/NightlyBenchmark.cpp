// A nightly run against the first: tarnwick.exe "/path:<folder>" on the mixed set (95 devices
// of five 100 KB files and 5 devices of ten 20 MB files), then the same command again on the
// unchanged PC, which keeps every device's folder and copies nothing. Round after round into a
// new folder, each pair after an untimed pair, the medians compared; the goal is a second run
// of at most a quarter of the first. Written under TARNWICK_BENCH_WORK when it is set.
//   bench_nightly.exe [/installed]   (/installed: the set is installed already)
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchPackages.h"
#include "bench/BenchSupport.h"
#include "tests/fixtures/DriverFixture.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/OpenVerbRecorder.h"
#include "tests/support/TempFolder.h"

namespace {

const int kRounds = 5;
const DWORD kRunTimeoutMs = 600000;

// Runs the backup into target and times it; exitCode takes the worst exit code seen.
double TimedBackup(const std::wstring& build, const std::wstring& target, DWORD& exitCode)
{
    Stopwatch watch;
    const ProgramRun run = RunWithOutputToFile(L"\"" + build + L"\\tarnwick.exe\" \"/path:" + target + L"\"", kRunTimeoutMs);
    const double milliseconds = watch.Milliseconds();
    exitCode = std::max(exitCode, run.finished ? run.exitCode : STILL_ACTIVE);
    // A failed run's errors: its figures are no backup's.
    for (size_t at = run.output.find("ERROR"); run.exitCode != 0 && at != std::string::npos;
         at = run.output.find("ERROR", at + 1))
        std::fprintf(stderr, "bench_nightly: %s\n", run.output.substr(at, run.output.find('\n', at) - at).c_str());
    return milliseconds;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring build = BuildFolder();
    ::SetEnvironmentVariableW(L"TARNWICK_OPEN_RECORDER", (build + L"\\tests\\support\\open_recorder.exe").c_str());
    OpenVerbRecorder recorder;  // no viewer opens the logs of the runs below

    const bool installedAlready = argc > 1 && std::wstring(argv[1]) == L"/installed";
    Stopwatch installWatch;
    for (int i = 1; i <= kMixedSetDevices && !installedAlready; ++i) {
        const fixture::InstallResult result = fixture::InstallPackage(MixedSetPackage(i));
        if (!result.ok) {
            std::fwprintf(stderr, L"bench_nightly: install %d failed: %ls\n", i, result.error.c_str());
            return 1;
        }
    }
    std::wprintf(L"mixed set: installed %d devices in %.1f s\n\n", kMixedSetDevices, installWatch.Milliseconds() / 1000.0);

    TempFolder work(WorkParent());
    std::vector<double> first, second;
    DWORD firstExit = 0, secondExit = 0;
    // The untimed pair leaves the page cache and Wine as the timed ones find them.
    for (int round = -1; round < kRounds; ++round) {
        const std::wstring target = work / (L"nightly" + std::to_wstring(round + 1));
        const double firstMs = TimedBackup(build, target, firstExit);
        const double secondMs = TimedBackup(build, target, secondExit);
        RemoveTree(target);
        if (round < 0)
            continue;
        first.push_back(firstMs);
        second.push_back(secondMs);
        std::fwprintf(stderr, L"round %d: first %.0f ms, second %.0f ms\n", round + 1, firstMs, secondMs);
    }

    const double firstMs = Median(first);
    const double secondMs = Median(second);
    std::wprintf(L"| mixed set: %d devices (median of %d) | time | per device |\n", kMixedSetDevices, kRounds);
    std::wprintf(L"|---|---:|---:|\n");
    std::wprintf(L"| first run: every file copied (exit code %lu) | %.0f ms | %.2f ms |\n", firstExit, firstMs,
                 firstMs / kMixedSetDevices);
    std::wprintf(L"| second run: unchanged PC, nothing copied (exit code %lu) | %.0f ms | %.2f ms |\n", secondExit,
                 secondMs, secondMs / kMixedSetDevices);
    std::wprintf(L"| ratio second / first (goal: at most 0.25) | %.2f | |\n", secondMs / firstMs);
    return firstExit == 0 && secondExit == 0 ? 0 : 1;
}
