#include "app/CommandTable.h"

#include <cstdio>
#include <optional>

#include "app/CStandaloneTarnwick.h"
#include "app/Console.h"
#include "app/Desktop.h"
#include "app/ExitCodes.h"
#include "app/VerifiedReport.h"
#include "backup/CBackupVerifier.h"
#include "devices/DeviceList.h"
#include "devices/ImageMessages.h"
#include "devices/WindowsImage.h"
#include "discovery/SystemFolders.h"
#include "platform/WorkerThread.h"
#include "restore/CDriverRestorer.h"
#include "restore/InstallRights.h"
#include "restore/RestorePlan.h"
#include "saving/CDeviceSaver.h"
#include "saving/DeviceReport.h"
#include "saving/ReportWriter.h"
#include "saving/RestoreKit.h"

namespace {

const wchar_t kFolderNotFound[] = L"ERROR: Folder not found: %1\n";
const wchar_t kCheckingPackages[] = L"Checking driver packages...\n";

void PrintRefusal(FILE* console, const WindowsImage& image, ImageProblem problem)
{
    PrintMessage(console, L"ERROR: " + ImageProblemText(image, problem));
}

// "Scanning devices..." and the scan with the given filters; false, said on the console, when
// it fails.
bool ScanDevices(CStandaloneTarnwick& run, const CommandValues& values, DeviceList& list, FILE* console)
{
    std::fputs("Scanning devices...\n", console);
    if (list.Scan(values.Has(Argument::All), values.Has(Argument::Present), run))
        return true;
    std::fputs("ERROR: Scanning failed.\n\n", console);
    return false;
}

// Writes the report and says so on the console (its full path, or why not).
bool WriteReport(const CommandValues& values, const DeviceReport& report, FILE* console)
{
    const std::wstring file = values.ReportFile();
    const bool written = WriteReportFile(file, report);
    PrintMessage(console, written ? L"Report: " + file + L"\n" : L"ERROR: Could not write the report " + file + L"\n");
    return written;
}

// Scans the devices to save: this PC's, or those of the Windows in the "/image:" folder, whose
// folders the save then uses. False, said on the console, when the image is refused or the
// scan fails.
bool ScanDevicesToSave(CStandaloneTarnwick& run, const CommandValues& values, std::optional<WindowsImage>& image,
                       DeviceList& list, SystemFolders& folders, FILE* console)
{
    ImageProblem problem = image ? image->CheckFolder() : ImageProblem::None;
    if (problem != ImageProblem::None) {
        PrintRefusal(console, *image, problem);
        return false;
    }
    if (image) {
        list.SetRecordSource([&image, &problem](bool includeAll, IProgressReporter& reporter,
                                                std::vector<std::unique_ptr<DeviceInfo>>& records) {
            problem = image->ReadDevices(includeAll, reporter, records);
            return problem == ImageProblem::None;
        });
    }
    std::fputs("Scanning devices...\n", console);
    if (!list.Scan(values.Has(Argument::All), values.Has(Argument::Present), run)) {
        if (problem != ImageProblem::None)
            PrintRefusal(console, *image, problem);
        else
            std::fputs("ERROR: Scanning failed.\n\n", console);
        return false;
    }
    if (image) {
        folders = ReadImageFolders(image->Root(), image->Architecture());
        PrintMessage(console, ArchitectureNote(*image));
    }
    return true;
}

// "/verify" after a save: the finished backup checked against its catalogs as "/verify:"
// checks one, with its own log and summary, and each device's verdict in the report. False
// when a package is not intact (unsigned with every file counts as intact).
bool VerifySavedBackup(CStandaloneTarnwick& run, const FolderPath& target, const SystemFolders& folders,
                       bool scripted, FILE* console, DeviceReport& report)
{
    if (run.beforeVerify)
        run.beforeVerify(target);
    PrintMessage(console, L"\n");
    // The verifier finishes its log when it goes: it stays in the temporary folder.
    CBackupVerifier verifier(run, run.Shell(), folders);
    if (scripted)
        verifier.ReportLogPathTo(console);
    const bool intact = verifier.VerifyAll(target, console);
    MarkVerified(report, verifier.Packages());
    return intact;
}

// The drivers of every listed device into the "/path:" folder, of this PC or of the Windows in
// the "/image:" folder; with "/report:" the report of the backup too.
int SaveEveryDevice(CStandaloneTarnwick& run, const CommandValues& values)
{
    const bool withReport = values.Has(Argument::Report);
    const FolderPath& target = values.Folder(Argument::Path);
    std::optional<WindowsImage> image;
    if (values.Has(Argument::Image))
        image.emplace(values.Folder(Argument::Image));
    // The file finder and the log rely on the system folders: this PC's, or the image's.
    SystemFolders folders = image ? SystemFolders() : ReadSystemFolders();
    const bool scripted = RunIsUnwatched();
    FILE* console = SetUpConsole();
    DeviceList list;
    if (!ScanDevicesToSave(run, values, image, list, folders, console))
        return kFailedExitCode;
    bool saved = false;
    DeviceReport report;
    {
        // The saver finishes its log when it goes: moved into the target folder and opened.
        CDeviceSaver saver(run, run.Shell(), folders);
        // Nobody watches a scripted run: it names its log as its last line, and no viewer
        // is left open behind a scheduled task.
        if (scripted)
            saver.ReportLogPathTo(console);
        if (!values.namedTarget.empty())
            saver.GiveTargetAs(values.namedTarget);
        saver.IncludeRestoreKit(RunningProgramPath());
        if (values.Has(Argument::Full))
            saver.CopyEverything();
        // The IDs are read from the device set, which goes before the save is done.
        for (const auto& entry : list.Devices()) {
            if (entry.second)
                saver.AddDevice(entry.second.get(), list.DeviceInfoSet());
        }
        // The scan resolved every INF: once every device is described the device set is needed
        // no more. Closing it takes the setup services a tenth of a second with a few hundred
        // devices: it goes on beside the save instead of after it.
        WorkerThread closer;
        closer.Post([&list] { list.CloseDeviceSet(); });
        saved = saver.SaveAll(target, console);
        // A log that could not be written whole is a failure of the run: what it would have
        // told is lost.
        saved = saver.FinishLog() && saved;
        report = saver.Report();
    }
    if (values.Has(Argument::VerifySaved))
        saved = VerifySavedBackup(run, target, folders, scripted, console, report) && saved;
    // Written once the logs are finished, so that it names the log where it stays.
    if (withReport && !WriteReport(values, report, console))
        saved = false;
    return ExitCodeOf(saved);
}

// The device report alone: every listed device, nothing saved.
int ListEveryDevice(CStandaloneTarnwick& run, const CommandValues& values)
{
    FILE* console = SetUpConsole();
    DeviceList list;
    if (!ScanDevices(run, values, list, console))
        return kFailedExitCode;
    std::vector<DeviceInfo*> devices;
    for (const auto& entry : list.Devices())
        if (entry.second)
            devices.push_back(entry.second.get());
    return ExitCodeOf(WriteReport(values, ReportOfDevices(list.DeviceInfoSet(), devices), console));
}

int RestoreFolder(CStandaloneTarnwick& run, const CommandValues& values)
{
    const FolderPath& folder = values.Folder(Argument::Restore);
    const SystemFolders folders = ReadSystemFolders();
    const bool scripted = RunIsUnwatched();
    FILE* console = SetUpConsole();
    if (!run.hasInstallRights()) {
        std::fputs(kNoRightsMessage, console);
        return kFailedExitCode;
    }
    // The restorer finishes its log when it goes: moved into the restored folder and opened.
    CDriverRestorer restorer(run, run.Shell(), folders);
    // As with a scripted backup: the log's path is the last line, and no viewer stays open.
    if (scripted)
        restorer.ReportLogPathTo(console);
    // The log first, so that a run ended during a long check leaves one.
    restorer.OpenLog(folder, console);
    restorer.FindPackages(folder, values.Has(Argument::Force));
    const bool restored = restorer.RestoreAll(console);
    return RestoreExitCode(restored, restorer.RestartNeeded());
}

// What a restore would do with each package; installs and stages nothing, writes no log.
int PlanRestore(CStandaloneTarnwick& run, const CommandValues& values)
{
    const SystemFolders folders = ReadSystemFolders();
    FILE* console = SetUpConsole();
    CDriverRestorer restorer(run, run.Shell(), folders);
    PrintMessage(console, kCheckingPackages);
    if (!restorer.FindPackages(values.Folder(Argument::Restore), values.Has(Argument::Force))) {
        const std::wstring& refusal = restorer.ZipRefusalLine();
        PrintMessage(console, refusal.empty() ? L"ERROR: The check was stopped.\n" : refusal + L"\n");
        return kFailedExitCode;
    }
    std::vector<DriverPackage>& packages = restorer.Packages();
    if (packages.empty()) {
        PrintMessage(console, L"ERROR: No driver packages found in " + restorer.Folder() + L"\n");
        return kFailedExitCode;
    }
    PrintMessage(console, L"Restore plan for " + restorer.Folder() + L" (nothing is installed):\n\n");
    for (DriverPackage& package : packages) {
        // As the restore itself does before it installs a package.
        if (package.force)
            ForceOverNewer(package);
        PrintMessage(console, PlanText(package));
    }
    bool succeeds = PlanSucceeds(packages);
    if (!run.hasInstallRights()) {
        std::fputs(kNoRightsMessage, console);
        succeeds = false;
    }
    PrintMessage(console, succeeds ? L"A restore would succeed.\n" : L"A restore would fail.\n");
    return ExitCodeOf(succeeds);
}

int VerifyFolder(CStandaloneTarnwick& run, const CommandValues& values)
{
    const SystemFolders folders = ReadSystemFolders();
    const bool scripted = RunIsUnwatched();
    FILE* console = SetUpConsole();
    // Verifying changes nothing, so it needs no administrator rights. The verifier finishes
    // its log when it goes: it stays in the temporary folder and is opened from there.
    CBackupVerifier verifier(run, run.Shell(), folders);
    if (scripted)
        verifier.ReportLogPathTo(console);
    return ExitCodeOf(verifier.VerifyAll(values.Folder(Argument::Verify), console));
}

} // namespace

TargetNameValues ReadTargetNames(const std::wstring& text, const CommandValues& resolved)
{
    TargetNameValues names = ThisComputerNames();
    // Loading an image's hives needs administrator rights: only what the text names is read.
    if (resolved.folders[static_cast<size_t>(Argument::Image)] && UsesTargetName(text, L"os"))
        names.os = WindowsImage(resolved.Folder(Argument::Image)).ReadWindowsName();
    return names;
}

const std::vector<ArgumentRow>& ArgumentRows()
{
    // A backup folder is taken however long: a package whose INF is too long for the setup
    // services is listed and refused with that reason.
    static const std::vector<ArgumentRow> rows = {
        {L"/all", Argument::All, ArgumentKind::Flag, {}, nullptr},
        {L"/present", Argument::Present, ArgumentKind::Flag, {}, nullptr},
        {L"/path", Argument::Path, ArgumentKind::Folder, kAnyLength,
         L"ERROR: Could not create target folder.\n", true},
        {L"/report", Argument::Report, ArgumentKind::ReportFile, kAnyLength,
         L"ERROR: Could not write the report %1\n"},
        {L"/image", Argument::Image, ArgumentKind::Folder, {kClassicPathLength, true}, kFolderNotFound},
        {L"/restore", Argument::Restore, ArgumentKind::Folder, {kLongPathLength, true}, kFolderNotFound, false, true},
        {L"/force", Argument::Force, ArgumentKind::Flag, {}, nullptr},
        {L"/plan", Argument::Plan, ArgumentKind::Switch, {}, nullptr},
        {L"/verify", Argument::Verify, ArgumentKind::Folder, {kLongPathLength, true}, kFolderNotFound, false, true},
        {L"/full", Argument::Full, ArgumentKind::Switch, {}, nullptr},
        {L"/verify", Argument::VerifySaved, ArgumentKind::Switch, {}, nullptr},
    };
    return rows;
}

const std::vector<Command>& Commands()
{
    using A = Argument;
    static const std::vector<Command> rows = {
        {L"save", Set(A::Path), Set(A::All, A::Present, A::Report, A::Full, A::VerifySaved),
         L" \"/path:Path\" - Specify a [Path] where to save driver files.\n"
         L" /all - Save driver files from all Providers (including Microsoft).\n"
         L" /present - Save driver files of currently present (plugged in) devices only.\n"
         L" /full - Copy every driver again; without it a device unchanged since the backup in [Path] keeps its "
         L"folder.\n"
         L" /verify - With /path: check the saved drivers against their catalogs once they are saved.\n"
         L" A [Path] ending in .zip is saved as one zip file, which /restore: and /verify: take as it is.\n"
         L"\n"
         L" Example:\n"
         L" Tarnwick \"/path:D:\\System Drivers\" /present\n"
         L"\n",
         nullptr, nullptr, SaveEveryDevice},
        {L"restore", Set(A::Restore), Set(A::Force),
         L" \"/restore:Path\" - Install the drivers saved in [Path] back onto this PC (needs administrator rights).\n"
         L" /force - With /restore: also replace installed drivers that are newer.\n",
         kCheckingPackages, L"restore-log", RestoreFolder},
        {L"plan", Set(A::Restore, A::Plan), Set(A::Force),
         L" /plan - With /restore: show what the restore would do with each package; installs nothing.\n"
         L"\n"
         L" Example:\n"
         L" Tarnwick \"/restore:D:\\System Drivers\"\n"
         L"\n",
         kCheckingPackages, nullptr, PlanRestore},
        // No device of another Windows is attached, and an image is never restored onto.
        {L"image", Set(A::Image, A::Path), Set(A::All, A::Report, A::Full, A::VerifySaved),
         L" \"/image:Folder\" - With /path: save the drivers of the Windows installed in [Folder] (the disk of a PC "
         L"that does not start), not of this PC (needs administrator rights).\n"
         L"\n"
         L" Example:\n"
         L" Tarnwick /image:E: \"/path:D:\\Drivers of the old PC\"\n"
         L"\n",
         nullptr, nullptr, SaveEveryDevice},
        {L"verify", Set(A::Verify), 0,
         L" \"/verify:Path\" - Check the drivers saved in [Path] against their catalogs; changes nothing.\n"
         L"\n",
         nullptr, L"verify-log", VerifyFolder},
        {L"report", Set(A::Report), Set(A::All, A::Present),
         L" \"/report:File\" - Write the list of devices (with /path: also what was saved) to [File], .json or .csv.\n"
         L"\n"
         L" Example:\n"
         L" Tarnwick \"/path:D:\\System Drivers\" \"/report:D:\\System Drivers\\report.json\"\n"
         L"\n",
         nullptr, nullptr, ListEveryDevice},
    };
    return rows;
}
