// A backup zip file extracted, after its checks (ZipEntryCheck), into a private folder of its
// own in the temporary folder, which is then read as any backup folder. The folder and
// everything in it goes with the object, also after a failure; nothing is written outside it.
#pragma once

#include <memory>
#include <string>

#include "backup/ZipEntryCheck.h"
#include "log/SaveLog.h"
#include "model/IProgressReporter.h"
#include "platform/FolderPath.h"

class ExtractedZip {
public:
    ~ExtractedZip();
    ExtractedZip(const ExtractedZip&) = delete;
    ExtractedZip& operator=(const ExtractedZip&) = delete;

    // Checks the zip at zipFile and extracts it into a new folder in tempFolder. None, with
    // the problem set, when the zip is refused or cannot be extracted whole: the folder is
    // then gone already. reporter is asked between files whether to go on.
    static std::unique_ptr<ExtractedZip> Extract(const std::wstring& zipFile, const std::wstring& tempFolder,
                                                 IProgressReporter& reporter, ZipProblem& problem);

    // The folder that holds what the zip held.
    const FolderPath& Folder() const { return folder; }

private:
    explicit ExtractedZip(FolderPath folder) : folder(std::move(folder)) {}
    ZipProblem ExtractAll(HANDLE zipFile, IProgressReporter& reporter) const;

    FolderPath folder;
};

// Extracts the zip for a restore, a plan or a verification, and says so in log ("Extracting
// <zip>..."); when it is refused, refusal gets the line that says why (without its line end),
// which the log has too.
std::unique_ptr<ExtractedZip> ExtractForReading(const FolderPath& zipFile, const std::wstring& tempFolder,
                                                IProgressReporter& reporter, SaveLog& log, std::wstring& refusal);

// The backup the user names: a folder by rules, or, where rules want a folder that is there,
// a zip file that is there.
PathResult<FolderPath> ResolveBackup(const std::wstring& text, const PathRules& rules);

// Whether a backup given by the user is a zip file: its name ends in ".zip", in any case.
bool IsZipBackup(const FolderPath& backup);

// A folder of the run's own in tempFolder, named kind followed by the process and a count:
// made new, never one that was there. Empty when none could be made.
std::wstring MakePrivateFolder(const std::wstring& tempFolder, const wchar_t* kind);

// Removes the folder and everything below it; a link inside is removed, never followed.
void RemoveFolderTree(const std::wstring& folder);
