#include "backup/CBackupVerifier.h"

#include "backup/PackageChecker.h"
#include "backup/PackageFinder.h"
#include "backup/PackageVerifier.h"

CBackupVerifier::CBackupVerifier(IProgressReporter& progressReporter, IShellOpen& shell, const SystemFolders& folders)
    : log(shell, folders.tempDir, L"verify-log"), reporter(progressReporter)
{
}

CBackupVerifier::~CBackupVerifier()
{
    log.Finish();
}

std::wstring VerdictLine(const DriverPackage& package)
{
    const PackageVerification& verification = package.verification;
    std::wstring line = package.displayName + L": " + VerdictText(verification.verdict);
    if (!verification.refusal.empty())
        line += L" (" + verification.refusal + L")";
    else if (!verification.signature.empty())
        line += L" (catalog " + verification.signature + L")";
    return line;
}

bool CBackupVerifier::VerifyAll(const std::wstring& given, FILE* console)
{
    std::wstring folder;
    const bool found = ResolveBackupFolder(given, folder);
    // A folder that is not there gets no log: it stays in the temporary folder.
    const PathResult<FolderPath> logFolder = FolderPath::Resolve(folder);
    if (!log.Open(found && logFolder ? std::optional<FolderPath>(*logFolder) : std::nullopt, console))
        return false;
    if (!found) {
        log.Print(L"ERROR: Folder not found: %s\n", folder.c_str());
        return false;
    }
    packages = FindDriverPackages(folder);
    if (packages.empty()) {
        log.Print(L"ERROR: No driver packages found in %s\n", folder.c_str());
        return false;
    }
    log.Print(L"Verifying driver packages...\n");
    log.Print(L"  Source path is %s\n\n", folder.c_str());
    const PackageVerifier verifier;
    int intact = 0;
    bool sound = true;
    for (size_t i = 0; i < packages.size(); ++i) {
        PackageChecker::Check(packages[i]);
        packages[i].verification = verifier.Verify(packages[i]);
        PrintPackage(packages[i]);
        intact += packages[i].verification.verdict == Verdict::Intact ? 1 : 0;
        sound = sound && IsSound(packages[i].verification.verdict);
        if (!reporter.Progress(static_cast<double>(i + 1) / static_cast<double>(packages.size()))) {
            log.Print(L"  Operation aborted by the user.\n");
            return false;
        }
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
