// The last-resort search for driver files that are neither at their source nor at their
// target: one discovery run for a device with 1, 10 and 50 such files over a system folder
// holding 20,000 extra files, against the plain walk of the whole tree once per file.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "discovery/DriverFileFinder.h"
#include "discovery/FileSearchIndex.h"
#include "discovery/SystemFolders.h"
#include "platform/ShellPath.h"
#include "tests/discovery/ScopedDevicePath.h"
#include "tests/discovery/PlainWalk.h"
#include "tests/support/TempFolder.h"

namespace {

const int kFolders = 200;
const int kFilesPerFolder = 100;

std::wstring MissingName(int i)
{
    return L"bench-missing-" + std::to_wstring(i) + L".dll";
}

// 20,000 files in 200 folders under the system folder; the files to be searched for are
// spread over the last folders, so every walk for them goes far.
void MakeSystemTree(const std::wstring& root)
{
    for (int folder = 0; folder < kFolders; ++folder) {
        const std::wstring path = root + L"\\set" + std::to_wstring(folder);
        for (int file = 0; file < kFilesPerFolder; ++file)
            WriteFileBytes(path + L"\\f" + std::to_wstring(file) + L".bin", "x");
    }
    for (int i = 0; i < 50; ++i)
        WriteFileBytes(root + L"\\set" + std::to_wstring(kFolders - 1 - i % 10) + L"\\" + MissingName(i), "found");
}

std::string PackageInf(int missing)
{
    std::string inf = "[Version]\nSignature=\"$WINDOWS NT$\"\nClass=Bench\nProvider=Bench\n\n"
                      "[SourceDisksNames]\n1 = \"Bench disk\",,,\"\"\n\n[DestinationDirs]\nDefaultDestDir = 12\n\n"
                      "[Bench]\nCopyFiles = Bench.Copy\n\n[Bench.Copy]\n";
    for (int i = 0; i < missing; ++i) {
        const std::wstring name = MissingName(i);
        inf += std::string(name.begin(), name.end()) + "\n";
    }
    return inf;
}

class CountingReporter : public IFileReporter {
public:
    bool Progress(double) override { return true; }
    void OnFile(const DriverFile& file) override
    {
        found += file.name.rfind(L"bench-missing-", 0) == 0 && !file.path.empty() ? 1 : 0;
    }
    int found = 0;
};

} // namespace

int main()
{
    const std::wstring root = ReadSystemFolders().systemDir + L"tarnwick-bench";
    RemoveTree(root);
    std::printf("Building a tree of %d files under %ls ...\n", kFolders * kFilesPerFolder, root.c_str());
    MakeSystemTree(root);
    TempFolder package;
    ScopedDevicePath devicePath;
    devicePath.Set(REG_SZ, package.path());
    const SystemFolders folders = ReadSystemFolders();

    std::printf("\n| files found only by search | discovery run (ms) | plain walk per file (ms) | ratio |\n");
    std::printf("|---:|---:|---:|---:|\n");
    for (int missing : {1, 10, 50}) {
        WriteFileBytes(package / L"bench.inf", PackageInf(missing));
        DeviceInfo device;
        device.infPath = L"bench.inf";
        device.infSection = L"Bench";
        CountingReporter reporter;
        Stopwatch discovery;
        DriverFileFinder(device, reporter, folders).Run();
        const double discoveryMs = discovery.Milliseconds();

        Stopwatch plain;
        int plainFound = 0;
        for (int i = 0; i < missing; ++i) {
            std::wstring found;
            plainFound += PlainWalk(folders.systemDir, MissingName(i), found) ? 1 : 0;
        }
        const double plainMs = plain.Milliseconds();
        if (reporter.found != missing || plainFound != missing)
            std::printf("(found %d by discovery, %d by the plain walk, of %d)\n", reporter.found, plainFound, missing);
        std::printf("| %d | %.1f | %.1f | %.1fx |\n", missing, discoveryMs, plainMs, plainMs / discoveryMs);
    }
    std::printf("\nPeak working set: %.1f MiB\n", PeakWorkingSetMiB());
    RemoveTree(root);
    return 0;
}
