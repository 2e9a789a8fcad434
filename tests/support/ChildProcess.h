// Starts another Windows program of the build (tarnwick.exe, the fixture tools) and finds
// its windows, for tests of whole runs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/Handles.h"

class ChildProcess {
public:
    // commandLine holds the program and its arguments, quoted as on a command line.
    explicit ChildProcess(const std::wstring& commandLine);
    // Starts a GUI program the way a shell starts it: with no console, no input, and output
    // and errors going to standardOutput (an inheritable file or pipe handle), or to nothing
    // when it is null, as from a desktop shortcut.
    ChildProcess(const std::wstring& commandLine, HANDLE standardOutput);
    // The same, on the desktop "station\\desktop" of another window station, as a service's
    // programs start.
    ChildProcess(const std::wstring& commandLine, const std::wstring& desktop, HANDLE standardOutput);

    bool started() const { return process_.valid(); }
    DWORD id() const { return id_; }
    // The process, for readings such as its memory use; null when it did not start.
    HANDLE handle() const { return process_.get(); }

    // Waits for the program to end; false when it is still running after timeoutMs.
    bool Wait(DWORD timeoutMs);
    DWORD ExitCode() const;

    // The first visible top-level window of this process whose class is className (any class
    // when empty), waiting up to timeoutMs for it to appear.
    HWND WaitForWindow(const std::wstring& className, DWORD timeoutMs) const;

    void Terminate();

private:
    void Start(const std::wstring& commandLine, STARTUPINFOW& startup, bool inheritHandles, DWORD flags);

    UniqueKernelHandle process_;
    DWORD id_ = 0;
};

// A program run to its end with its standard output and errors going to a file.
struct ProgramRun {
    bool finished = false;  // it ended within the time given; else it was terminated
    DWORD exitCode = STILL_ACTIVE;
    std::string output;  // everything it wrote
};

// Starts the program as a script that redirects its output does (see the second ChildProcess
// constructor), waits up to timeoutMs for it to end and reads back what it wrote.
ProgramRun RunWithOutputToFile(const std::wstring& commandLine, DWORD timeoutMs);

// The first visible top-level window of a process with this class (any class when empty)
// and, when given, this title.
HWND FindProcessWindow(DWORD processId, const std::wstring& className, const std::wstring& title = std::wstring());

// The text of a window of any process, and the texts of its child windows of a class.
std::wstring WindowText(HWND window);
std::vector<std::wstring> ChildTexts(HWND parent, const std::wstring& className);

// Path of a program of the build, from the environment variable that ctest sets for it
// (for example TARNWICK_EXE).
std::wstring BuildProgramPath(const char* variable);
