#include "app/CStandaloneTarnwick.h"

#include <cstdio>
#include <optional>
#include <utility>

#include "app/Console.h"
#include "app/ExitCodes.h"
#include "devices/DeviceList.h"
#include "devices/ImageMessages.h"
#include "devices/WindowsImage.h"
#include "discovery/InfLocation.h"
#include "discovery/SystemFolders.h"
#include "platform/FolderPath.h"
#include "platform/Trace.h"
#include "platform/WorkerThread.h"
#include "backup/CBackupVerifier.h"
#include "restore/CDriverRestorer.h"
#include "restore/RestorePlan.h"
#include "saving/CDeviceSaver.h"
#include "saving/DeviceReport.h"
#include "saving/ReportWriter.h"
#include "log/SaveLog.h"
#include "saving/SavePaths.h"

namespace {

// Writes a message to the run's output as its log would hold it.
void PrintMessage(FILE* console, const std::wstring& message)
{
    const std::string text = ToLogText(message);
    std::fwrite(text.data(), 1, text.size(), console);
    std::fflush(console);
}

// The folder that a restore, a plan or a verification reads, resolved once here. One that is
// not there is said on the console, after lead (the run's first line), and there is none.
std::optional<FolderPath> BackupFolder(const std::wstring& text, const std::wstring& lead, FILE* console)
{
    PathResult<FolderPath> folder = FolderPath::Resolve(text, {kLongPathLength, true});
    if (folder)
        return *std::move(folder);
    const PathResult<FolderPath> named = FolderPath::Resolve(text, {kLongPathLength, false});
    PrintMessage(console, lead + L"ERROR: Folder not found: " + (named ? named->Full() : text) + L"\n");
    return std::nullopt;
}

void PrintRefusal(FILE* console, const WindowsImage& image, ImageProblem problem)
{
    PrintMessage(console, L"ERROR: " + ImageProblemText(image, problem));
}

} // namespace

bool CStandaloneTarnwick::Progress(double)
{
    return !consoleStop.Requested();
}

int CStandaloneTarnwick::Run(const CommandLineOptions& options)
{
    // Nothing leaves the run as an exception (running out of memory, say): only while the
    // stack unwinds to a handler does the saver finish its log, moved and opened, and the
    // exit code must still say that not everything was saved.
    try {
        if (!options.verify.empty())
            return VerifyFolder(options);
        if (!options.restore.empty())
            return options.plan ? PlanRestore(options) : RestoreFolder(options);
        return options.path.empty() ? ListEveryDevice(options) : SaveEveryDevice(options);
    } catch (...) {
        TraceFailure(L"the command-line run");
        return 1;
    }
}

bool CStandaloneTarnwick::ScanDevices(const CommandLineOptions& options, DeviceList& list, FILE* console)
{
    std::fputs("Scanning devices...\n", console);
    if (list.Scan(options.all, options.present, *this))
        return true;
    std::fputs("ERROR: Scanning failed.\n\n", console);
    return false;
}

int CStandaloneTarnwick::SaveEveryDevice(const CommandLineOptions& options)
{
    // The file finder and the log rely on the system folders: this PC's, or the image's.
    SystemFolders folders = options.image.empty() ? ReadSystemFolders() : SystemFolders();
    const bool scripted = OutputIsRedirected();
    FILE* console = SetUpConsole();
    DeviceList list;
    WindowsImage image(options.image);
    ImageProblem problem = options.image.empty() ? ImageProblem::None : image.CheckFolder();
    if (problem != ImageProblem::None) {
        PrintRefusal(console, image, problem);
        return 1;
    }
    if (!options.image.empty()) {
        list.SetRecordSource([&image, &problem](bool includeAll, IProgressReporter& reporter,
                                                std::vector<std::unique_ptr<DeviceInfo>>& records) {
            problem = image.ReadDevices(includeAll, reporter, records);
            return problem == ImageProblem::None;
        });
    }
    std::fputs("Scanning devices...\n", console);
    if (!list.Scan(options.all, options.present, *this)) {
        if (problem != ImageProblem::None)
            PrintRefusal(console, image, problem);
        else
            std::fputs("ERROR: Scanning failed.\n\n", console);
        return 1;
    }
    if (!options.image.empty()) {
        folders = ReadImageFolders(image.Root(), image.Architecture());
        PrintMessage(console, ArchitectureNote(image));
    }
    int exitCode = 1;
    SaveReportBuilder report(options.path);
    {
        // The saver finishes its log when it goes: moved into the target folder and opened.
        CDeviceSaver saver(*this, shell, folders);
        // Nobody watches a scripted run: it names its log as its last line, and no viewer
        // is left open behind a scheduled task.
        if (scripted)
            saver.ReportLogPathTo(console);
        if (!options.report.empty())
            saver.ObserveWith(report);
        for (const auto& entry : list.Devices()) {
            if (!entry.second)
                continue;
            ResolveInfFullPath(list.DeviceInfoSet(), *entry.second);
            // The IDs are read from the device set, which goes before the save is done.
            if (!options.report.empty())
                report.Describe(list.DeviceInfoSet(), *entry.second);
            saver.AddDevice(entry.second.get());
        }
        // With every INF resolved the device set is needed no more. Closing it takes the
        // setup services a tenth of a second with a few hundred devices: it goes on beside
        // the save instead of after it.
        WorkerThread closer;
        closer.Post([&list] { list.CloseDeviceSet(); });
        exitCode = saver.SaveAll(options.path, console) ? 0 : 1;
        // A log that could not be written whole is a failure of the run: what it would have
        // told is lost.
        if (!saver.FinishLog())
            exitCode = 1;
    }
    // Written once the log is finished, so that it names the log where it stays.
    if (!options.report.empty() && !WriteReport(options.report, report.Report(), console))
        exitCode = 1;
    return exitCode;
}

int CStandaloneTarnwick::ListEveryDevice(const CommandLineOptions& options)
{
    FILE* console = SetUpConsole();
    DeviceList list;
    if (!ScanDevices(options, list, console))
        return 1;
    std::vector<DeviceInfo*> devices;
    for (const auto& entry : list.Devices())
        if (entry.second)
            devices.push_back(entry.second.get());
    return WriteReport(options.report, ReportOfDevices(list.DeviceInfoSet(), devices), console) ? 0 : 1;
}

bool CStandaloneTarnwick::WriteReport(const std::wstring& file, const DeviceReport& report, FILE* console)
{
    const bool written = WriteReportFile(file, report);
    const std::wstring full = FullPathOf(file);
    const std::wstring shown = full.empty() ? file : full;
    PrintMessage(console, written ? L"Report: " + shown + L"\n" : L"ERROR: Could not write the report " + shown + L"\n");
    return written;
}

int CStandaloneTarnwick::RestoreFolder(const CommandLineOptions& options)
{
    const SystemFolders folders = ReadSystemFolders();
    const bool scripted = OutputIsRedirected();
    FILE* console = SetUpConsole();
    if (!hasInstallRights()) {
        std::fputs(kNoRightsMessage, console);
        return 1;
    }
    const std::optional<FolderPath> folder = BackupFolder(options.restore, L"Checking driver packages...\n", console);
    if (!folder)
        return 1;
    // The restorer finishes its log when it goes: moved into the restored folder and opened.
    CDriverRestorer restorer(*this, shell, folders);
    // As with a scripted backup: the log's path is the last line, and no viewer stays open.
    if (scripted)
        restorer.ReportLogPathTo(console);
    // The log first, so that a run ended during a long check leaves one.
    restorer.OpenLog(*folder, console);
    restorer.FindPackages(*folder, options.force);
    const bool restored = restorer.RestoreAll(console);
    return RestoreExitCode(restored, restorer.RestartNeeded());
}

int CStandaloneTarnwick::PlanRestore(const CommandLineOptions& options)
{
    const SystemFolders folders = ReadSystemFolders();
    FILE* console = SetUpConsole();
    const std::optional<FolderPath> folder = BackupFolder(options.restore, L"Checking driver packages...\n", console);
    if (!folder)
        return 1;
    // No log is started: the plan leaves the backup folder as it is.
    CDriverRestorer restorer(*this, shell, folders);
    PrintMessage(console, L"Checking driver packages...\n");
    if (!restorer.FindPackages(*folder, options.force)) {
        PrintMessage(console, L"ERROR: The check was stopped.\n");
        return 1;
    }
    std::vector<DriverPackage>& packages = restorer.Packages();
    if (packages.empty()) {
        PrintMessage(console, L"ERROR: No driver packages found in " + restorer.Folder() + L"\n");
        return 1;
    }
    PrintMessage(console, L"Restore plan for " + restorer.Folder() + L" (nothing is installed):\n\n");
    for (DriverPackage& package : packages) {
        // As the restore itself does before it installs a package.
        if (package.force)
            ForceOverNewer(package);
        PrintMessage(console, PlanText(package));
    }
    bool succeeds = PlanSucceeds(packages);
    if (!hasInstallRights()) {
        std::fputs(kNoRightsMessage, console);
        succeeds = false;
    }
    PrintMessage(console, succeeds ? L"A restore would succeed.\n" : L"A restore would fail.\n");
    return succeeds ? 0 : 1;
}

int CStandaloneTarnwick::VerifyFolder(const CommandLineOptions& options)
{
    const SystemFolders folders = ReadSystemFolders();
    const bool scripted = OutputIsRedirected();
    FILE* console = SetUpConsole();
    // Verifying changes nothing, so it needs no administrator rights. The verifier finishes
    // its log when it goes: moved into the verified folder and opened.
    const std::optional<FolderPath> folder = BackupFolder(options.verify, std::wstring(), console);
    if (!folder)
        return 1;
    CBackupVerifier verifier(*this, shell, folders);
    if (scripted)
        verifier.ReportLogPathTo(console);
    return verifier.VerifyAll(*folder, console) ? 0 : 1;
}
