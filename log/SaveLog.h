// The sink of one save run's messages: a dated log file written in the temporary folder (and
// the console of a command-line run), moved into the target folder and opened at the end.
#pragma once

#include <windows.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "log/IShellOpen.h"
#include "platform/FolderPath.h"

class SaveLog {
public:
    // shell opens the finished log; tempFolder is where it is written first. kind: a log named
    // "Tarnwick-<date>-<time>-<kind>.txt".
    SaveLog(IShellOpen& shell, std::wstring tempFolder, std::wstring kind = L"log")
        : kind(std::move(kind)), tempFolder(std::move(tempFolder)), shell(shell)
    {
    }
    // A log that was never finished is closed and left where it is.
    ~SaveLog();
    SaveLog(const SaveLog&) = delete;
    SaveLog& operator=(const SaveLog&) = delete;

    // Starts the log of a run into targetFolder; false when the log file cannot be created. The
    // file in the temporary folder is the run's own even when another run started in the same
    // second. Without a target folder (none) the log stays in the temporary folder.
    bool Open(const std::optional<FolderPath>& targetFolder, FILE* console);
    // Formats one message (wide printf rules) and writes it whole to the log and the console,
    // through to the file at once, so a run that is ended leaves its log up to that message.
    // Once a write to the file fails (its volume is full, say), nothing more is written to it,
    // so the file never holds a message after a hole.
    void Print(const wchar_t* format, ...);
    // A run that nobody watches (a script, a scheduled task) gets the log's path as a line on
    // output when the log is finished, instead of a viewer.
    void ReportPathInsteadOfOpening(FILE* output);
    // Closes the log, moves it into the target folder and opens it with the shell. A log of
    // the same name there (another run's, started in the same second) is kept: this one takes
    // the name numbered. False when the log could not be written whole; the console, if any,
    // then gets an "ERROR:" line that names the log file and says why. Later calls do nothing.
    bool Finish();
    // A log that cannot be moved into the target folder (read-only media, a folder gone) is
    // then said on the console, with the system's reason and where the log stays. Without it a
    // failed move is silent: a save that stopped before its target existed says why already.
    void SayFailedMove() { sayFailedMove = true; }
    // A log that goes elsewhere than into a folder (into a zip file) is handed, closed, to
    // place instead of being moved; place gives the path where it then stays, empty for the
    // temporary folder, and sets error to the system's reason when it failed.
    using Placement = std::function<std::wstring(const std::wstring& closedLog, DWORD& error)>;
    void PlaceWith(Placement placement) { place = std::move(placement); }

    // The full path the open log is to have in the target folder when it is finished; empty
    // when it stays in the temporary folder, or before Open.
    const std::wstring& PlannedPath() const { return finalPath; }
    // The full path of the finished log where it stays; empty before Finish.
    const std::wstring& FinishedPath() const { return finishedPath; }

private:
    struct FileCloser {
        void operator()(FILE* file) const { std::fclose(file); }
    };

    void NoteWriteFailure();
    // Moves the closed log into the target folder under the first free name; the path it got,
    // or empty text when it stays in the temporary folder.
    // Sets error to the system's reason when the move failed.
    std::wstring MoveIntoTarget(DWORD& error) const;
    static void WriteLine(FILE* output, const std::wstring& line);

    std::wstring kind;
    std::wstring tempFolder;
    IShellOpen& shell;
    bool isOpen = false;
    std::wstring tempPath;
    std::wstring finalPath;
    std::wstring finishedPath;
    std::unique_ptr<FILE, FileCloser> logFile;
    FILE* console = nullptr;
    FILE* pathOutput = nullptr;
    // The system's error code of the first write to the log file that failed; none while
    // every write went through.
    DWORD writeError = ERROR_SUCCESS;
    bool writeFailed = false;
    bool sayFailedMove = false;
    Placement place;
};

// "Tarnwick-<dd.MM.yyyy>-<HH.mm.ss>-<kind>.txt" for the given local time.
std::wstring LogFileName(const SYSTEMTIME* localTime, const std::wstring& kind = L"log");
// The name of a log when the plain name is taken, in the temporary folder or the target
// folder: "-<k>" before "-log.txt".
std::wstring NumberedLogFileName(const std::wstring& name, unsigned k);

// The 8-bit text of a message: every character below 256 as the byte of that value. A
// character beyond that range (a surrogate pair counts as one character) becomes a single
// '?', so a line never splits or shifts and the log stays plain ISO 8859-1 text.
std::string ToLogText(const std::wstring& message);
