// Folders the driver search and the save log rely on. Read once at start, before any scan,
// and handed to the code that needs them; read-only afterwards, from any thread.
#pragma once

#include <string>
#include <vector>

struct SystemFolders {
    std::wstring printerDriverDir;   // directory id 66000
    std::wstring printProcessorDir;  // directory id 66001
    std::wstring tempDir;            // where a save log is written first
    std::wstring windowsDir;
    std::wstring systemDir;          // directory id 66002; root of the last-resort file search
    std::wstring catalogDir;         // installed catalog files
    std::vector<std::wstring> infFolders;  // the "DevicePath" folders, searched for INFs by name
};

// The folders as the system gives them now.
SystemFolders ReadSystemFolders();
