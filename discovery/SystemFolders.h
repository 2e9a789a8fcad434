// Folders the driver search and the save log rely on. Read once at start, before any scan,
// and handed to the code that needs them; read-only afterwards, from any thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/FolderPath.h"

// Where the setup services put a file on this PC (from), and where the same folder lies in
// an offline Windows (to).
struct FolderMapping {
    FolderPath from;
    FolderPath to;
};

struct SystemFolders {
    std::wstring printerDriverDir;   // directory id 66000
    std::wstring printProcessorDir;  // directory id 66001
    std::wstring tempDir;            // where a save log is written first
    std::wstring windowsDir;
    std::wstring systemDir;          // directory id 66002; root of the last-resort file search
    std::wstring catalogDir;         // installed catalog files
    std::vector<std::wstring> infFolders;  // the "DevicePath" folders, searched for INFs by name

    // Only for an offline Windows: the folder that holds its Windows folder (a drive root such
    // as D:\); none for this PC's own folders. Every folder above then lies in it, and no file
    // of a driver is ever read from outside it as it is opened.
    std::optional<FolderPath> image;
    // Of an offline Windows: the processor architecture it is for, as it names it ("AMD64").
    std::wstring imageArchitecture;
    // Of an offline Windows: its driver store's package folders (FileRepository).
    std::wstring driverStoreDir;
    // Of an offline Windows: the folders of this PC that the setup services name as a file's
    // installed place, each with where it lies in the image; longest first.
    std::vector<FolderMapping> imageMappings;
};

// The folders as the system gives them now.
SystemFolders ReadSystemFolders();

// The root of the last-resort file search (the system folder) as a folder value; none when it
// is not there.
PathResult<FolderPath> SearchRoot(const SystemFolders& folders);

// The folders of the offline Windows in imageRoot (the folder that holds its Windows folder),
// whose processors are of architecture ("AMD64", "x86", "ARM64"; an empty or unknown one is
// taken as this program's own). Only the temporary folder is this PC's: the log is written
// there first.
SystemFolders ReadImageFolders(const FolderPath& imageRoot, const std::wstring& architecture);

// Where a file that the setup services place at path (a folder of this PC) lies in the image;
// empty when path is in none of the image's mapped folders. For this PC's own folders (no
// image) the path itself.
std::wstring PathInImage(const std::wstring& path, const SystemFolders& folders);
