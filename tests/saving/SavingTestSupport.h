// What the tests of the save engine and the save log share: the log as it is found after a
// run, log files blocked from being created, and a reporter that records every fraction.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "model/IProgressReporter.h"

// The log files that sit in a folder now (names only).
std::vector<std::wstring> LogsIn(const std::wstring& folder);
// The bytes of the one log file in folder; a test failure when there is not exactly one.
std::string OnlyLogIn(const std::wstring& folder);
// The one log in folder holds exactly these messages (see LogBytes) and is the one file the
// shell was asked to open.
void ExpectOpenedLog(const std::vector<std::wstring>& opened, const std::wstring& folder, const std::wstring& messages);
// The bytes of a log that a run still writes, read as a viewer reads it (sharing writes).
std::string ReadLogBeingWritten(const std::wstring& path);
// Removes the logs that runs left in the temporary folder.
void RemoveLogsInTemp();

// The small volume mounted for this test program (TARNWICK_SMALL_VOLUME), or empty text when
// there is none or it is no small volume (mounting one needs root): the test then skips.
std::wstring SmallVolume();

// The entries sorted as ListTree sorts them.
std::vector<std::wstring> Sorted(std::vector<std::wstring> entries);

// The bytes a log holds for these messages: 8-bit text, each line feed as CR LF.
std::string LogBytes(const std::wstring& messages);

// The system's reason for an error as a log gives it: FormatMessage's text without its line
// end, then "(error <code>)".
std::wstring SystemReason(DWORD error);

// The temporary folder (TMP and TEMP, for this process and the programs it starts) is a
// folder that cannot be created, below a file, so that no log can be created meanwhile; no
// TempFolder can be made meanwhile either. Restored when the object goes.
class TempFolderBlocked {
public:
    TempFolderBlocked();
    ~TempFolderBlocked();
    TempFolderBlocked(const TempFolderBlocked&) = delete;
    TempFolderBlocked& operator=(const TempFolderBlocked&) = delete;

private:
    std::wstring blocker;
    std::wstring tmp;
    std::wstring temp;
};

// The temporary folder (TMP and TEMP, for this process and the programs it starts) is a folder
// on the small volume, and the volume is full: files can still be created there, but nothing
// written to them. Restored, and the volume emptied, when the object goes. ok() is false when
// there is no small volume.
class TempFolderFull {
public:
    TempFolderFull();
    ~TempFolderFull();
    TempFolderFull(const TempFolderFull&) = delete;
    TempFolderFull& operator=(const TempFolderFull&) = delete;

    bool ok() const { return !folder.empty(); }
    const std::wstring& path() const { return folder; }
    // Frees the room that filled the volume: writes go through again.
    void FreeRoom();

private:
    std::wstring folder;
    std::wstring filler;
    std::wstring tmp;
    std::wstring temp;
};

// Logs of other runs lie in a folder (the temporary folder when empty) under the plain names
// of the next minute of a kind ("log", "restore-log"), as a run started in the same second
// leaves them. Removed when the object goes.
class OtherRunsLogs {
public:
    explicit OtherRunsLogs(const std::wstring& folder = std::wstring(), const std::wstring& kind = L"log");
    ~OtherRunsLogs();
    OtherRunsLogs(const OtherRunsLogs&) = delete;
    OtherRunsLogs& operator=(const OtherRunsLogs&) = delete;

    // Every one of them still holds what the other run wrote.
    bool Untouched() const;

private:
    std::vector<std::wstring> logs;
};

// Records every fraction; answers false from the call whose fraction passes stopAbove on
// (never, by default).
class RecordingReporter : public IProgressReporter {
public:
    bool Progress(double fraction) override;

    std::vector<double> fractions;
    double stopAbove = 2.0;
    bool stopAtFirst = false;
};
