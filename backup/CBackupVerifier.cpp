#include "backup/CBackupVerifier.h"

#include "backup/BackupCheck.h"
#include "backup/ExtractedZip.h"
#include "backup/OutcomeText.h"
#include "backup/PackageFinder.h"

CBackupVerifier::CBackupVerifier(IProgressReporter& progressReporter, IShellOpen& shell, const SystemFolders& folders)
    : log(shell, folders.tempDir, L"verify-log"), tempFolder(folders.tempDir), reporter(progressReporter)
{
}

CBackupVerifier::~CBackupVerifier()
{
    log.Finish();
}

std::wstring VerdictLine(const DriverPackage& package)
{
    const ListedOutcome verdict = ListedVerdictOf(package);
    std::wstring line = package.displayName + L": " + verdict.words;
    if (!verdict.reason.empty())
        line += L" (" + verdict.reason + L")";
    else if (!package.verification.signature.empty())
        line += L" (catalog " + package.verification.signature + L")";
    return line;
}

bool CBackupVerifier::VerifyAll(const FolderPath& folder, FILE* console)
{
    // Verifying changes nothing of what it checks, its own log included: the log stays in the
    // temporary folder, as a zip's log must anyway.
    const bool zipped = IsZipBackup(folder);
    if (!log.Open(std::nullopt, console))
        return false;
    zipRefusal.clear();
    if (zipped) {
        extracted = ExtractForReading(folder, tempFolder, reporter, log, zipRefusal);
        if (!extracted)
            return false;
    }
    packages = FindDriverPackages(extracted ? extracted->Folder() : folder);
    if (packages.empty()) {
        log.Print(L"ERROR: No driver packages found in %s\n", folder.Full().c_str());
        return false;
    }
    log.Print(L"Verifying driver packages...\n");
    log.Print(L"  Source path is %s\n\n", folder.Full().c_str());
    int intact = 0;
    bool sound = true;
    const bool finished = CheckPackages(packages, false, tempFolder, reporter, [&](const DriverPackage& package) {
        PrintPackage(package);
        intact += IsIntact(package) ? 1 : 0;
        sound = sound && IsSound(package.outcome);
    });
    if (!finished) {
        log.Print(L"  Operation aborted by the user.\n");
        return false;
    }
    log.Print(L"\nVerified: %d of %d driver package(s) intact.\n", intact, static_cast<int>(packages.size()));
    return sound;
}

void CBackupVerifier::PrintPackage(const DriverPackage& package)
{
    log.Print(L"%s\n", VerdictLine(package).c_str());
    for (const BadFile& file : package.verification.badFiles)
        log.Print(L"    %s: %s\n", file.path.c_str(), file.reason.c_str());
}
