// The sink of one save run's messages: a dated log file written in the temporary folder (and
// the console of a command-line run), moved into the target folder and opened at the end.
#pragma once

#include <cstdio>
#include <string>

class SaveLog {
public:
    SaveLog() = default;
    ~SaveLog();
    SaveLog(const SaveLog&) = delete;
    SaveLog& operator=(const SaveLog&) = delete;

    // Starts the log of a run into targetFolder; false when the log file cannot be created.
    bool Open(const std::wstring& targetFolder, FILE* console);
    // Formats one message (wide printf rules) and writes it whole to the log and the console.
    void Print(const wchar_t* format, ...);
    // Closes the log, moves it into the target folder and opens it with the shell.
    void Finish();

private:
    bool isOpen = false;
    std::wstring tempPath;
    std::wstring finalPath;
    FILE* logFile = nullptr;
    FILE* console = nullptr;
};
