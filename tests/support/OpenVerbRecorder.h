// Makes the shell's "open" action on text files record what it was asked to open instead of
// starting a viewer, for tests that run the program itself, which opens its log at the end.
// The test prefix is the test program's own, so the association is changed for the whole
// program and never restored.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Makes the shell's "open" action on files of the class (a key under HKEY_CLASSES_ROOT) start
// recorder (open_recorder.exe), which appends the path it is given to the record file.
bool RegisterOpenRecorder(const std::wstring& fileClass, const std::wstring& recorder, const std::wstring& record);

class OpenVerbRecorder {
public:
    // Registers open_recorder.exe (TARNWICK_OPEN_RECORDER) as the open command of text files.
    OpenVerbRecorder();
    OpenVerbRecorder(const OpenVerbRecorder&) = delete;
    OpenVerbRecorder& operator=(const OpenVerbRecorder&) = delete;

    bool installed() const { return installed_; }

    // Forgets what was opened so far. A recorder that the shell started earlier and that has
    // not written yet writes to the record of before, so it cannot show up afterwards.
    void Clear();
    // The files opened so far, in order. The shell starts the recorder after it returns, so
    // this waits up to timeoutMs for at least count of them.
    std::vector<std::wstring> WaitForOpened(size_t count, DWORD timeoutMs) const;

private:
    std::vector<std::wstring> Opened() const;

    std::wstring recorder_;
    std::wstring recordFile_;
    bool installed_ = false;
};
