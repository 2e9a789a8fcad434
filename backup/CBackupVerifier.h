// Verifies a backup folder (a whole backup, a class folder or a device folder) without
// changing anything: finds its driver packages and checks and verifies each in the one chain
// that the restore runs too (CheckPackages). Writes a log in the save
// log's form ("Tarnwick-<date>-<time>-verify-log.txt"), which stays in the temporary folder
// (not one byte of the checked folder or zip changes) and is opened from there when the
// verifier goes.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "discovery/SystemFolders.h"
#include "model/IProgressReporter.h"
#include "platform/FolderPath.h"
#include "backup/DriverPackage.h"
#include "backup/ExtractedZip.h"
#include "log/SaveLog.h"

class CBackupVerifier {
public:
    // shell opens the log at the end; folders.tempDir is where it is written first.
    CBackupVerifier(IProgressReporter& reporter, IShellOpen& shell, const SystemFolders& folders);
    ~CBackupVerifier();
    CBackupVerifier(const CBackupVerifier&) = delete;
    CBackupVerifier& operator=(const CBackupVerifier&) = delete;

    // When the log is finished its path goes to output as a line, instead of opening it.
    void ReportLogPathTo(FILE* output) { log.ReportPathInsteadOfOpening(output); }

    // Verifies every package under folder (or in the zip file it names, extracted first), one line per package with its verdict and one per
    // bad file, then the count of intact ones. True only when packages were found and each is
    // intact or unsigned with every file present; false also when the reporter asked to stop.
    // console may be null.
    bool VerifyAll(const FolderPath& folder, FILE* console);

    const std::vector<DriverPackage>& Packages() const { return packages; }
    // Why the zip file given could not be used ("ERROR: ..."), after VerifyAll; empty when it
    // could, or a folder was given.
    const std::wstring& ZipRefusalLine() const { return zipRefusal; }

private:
    void PrintPackage(const DriverPackage& package);

    std::vector<DriverPackage> packages;
    SaveLog log;
    std::wstring tempFolder;
    // A zip verified as it is: extracted for the verification, removed with the verifier.
    std::unique_ptr<ExtractedZip> extracted;
    std::wstring zipRefusal;
    IProgressReporter& reporter;
};

// The package's line: "<INF relative to the folder>: <verdict>", with why the INF was refused
// or what the system says of the catalog's signature in brackets.
std::wstring VerdictLine(const DriverPackage& package);
