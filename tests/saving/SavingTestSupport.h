// What the tests of the save engine and the save log share: the log as it is found after a
// run, log files blocked from being created, and a reporter that records every fraction.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "model/IProgressReporter.h"
#include "tests/support/OpenVerbRecorder.h"

// The log files that sit in a folder now (names only).
std::vector<std::wstring> LogsIn(const std::wstring& folder);
// The bytes of the one log file in folder; a test failure when there is not exactly one.
std::string OnlyLogIn(const std::wstring& folder);
// The one log in folder holds exactly these messages (see LogBytes) and is the one file the
// shell was asked to open.
void ExpectOpenedLog(const OpenVerbRecorder& recorder, const std::wstring& folder, const std::wstring& messages);
// Removes the logs that runs left in the temporary folder.
void RemoveLogsInTemp();

// The entries sorted as ListTree sorts them.
std::vector<std::wstring> Sorted(std::vector<std::wstring> entries);

// The bytes a log holds for these messages: 8-bit text, each line feed as CR LF.
std::string LogBytes(const std::wstring& messages);

// Folders stand where the log files of the next minute would be created, so that no log can
// be opened meanwhile. Removed when the object goes.
class LogNamesBlocked {
public:
    LogNamesBlocked();
    ~LogNamesBlocked();
    LogNamesBlocked(const LogNamesBlocked&) = delete;
    LogNamesBlocked& operator=(const LogNamesBlocked&) = delete;

private:
    std::vector<std::wstring> blockers;
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
