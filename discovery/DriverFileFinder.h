// One discovery run for one device: the driver's file set, worked out from its INF through a
// setup file queue, each file located on disk, and cached in the device record.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <map>
#include <memory>
#include <string>

#include "discovery/DriverStore.h"
#include "model/DeviceInfo.h"
#include "discovery/FileSearchIndex.h"
#include "discovery/SearchedFileCheck.h"
#include "discovery/SystemFolders.h"
#include "model/IFileReporter.h"
#include "platform/Handles.h"

class DriverFileFinder {
public:
    // folders: where INFs, catalogs and the files of the system are. searchIndex, when given, is the last-resort search shared by the runs of one save;
    // it must search the system folder. Without it the run keeps its own. store is asked for
    // the driver store's copy of the device's INF; for the folders of an offline Windows the
    // run asks that Windows' store instead, and takes no file from outside its folder.
    DriverFileFinder(DeviceInfo& device, IFileReporter& reporter, const SystemFolders& folders,
                     FileSearchIndex* searchIndex = nullptr, const DriverStore& store = DriverStore::System());
    DriverFileFinder(const DriverFileFinder&) = delete;
    DriverFileFinder& operator=(const DriverFileFinder&) = delete;

    // True when the set is complete and the reporter did not ask to stop. A cached set is
    // replayed instead of being built again.
    bool Run();
    // Why the last Run failed, as one sentence for the log: the INF not found or unreadable,
    // its install section missing, an entry the setup services refuse, a source name that does
    // not fit, or the stop. Empty after a Run that succeeded.
    const std::wstring& FailureReason() const { return reason; }

private:
    bool Build();
    // Keeps why the search failed (the first reason given) and returns false.
    bool Fail(const std::wstring& why);
    // Appends the layout INFs that the INF's Version section names.
    void AppendLayoutInfs();
    // False when the section is missing, the queue cannot be opened, an entry is longer than
    // the setup services take or they refuse the section: the set could not be worked out whole.
    bool CollectQueuedFiles(const std::wstring& section);
    bool AddFile(DriverFile file, bool queued);
    void NameFromSource(DriverFile& file);
    void LocateFile(DriverFile& file);
    bool SearchTree(const std::wstring& fileName, DriverFile& file);
    // Holds a file that the search found against the driver's catalog; one that does not
    // match is not taken.
    void CheckSearchedFile(DriverFile& file);
    // Of an offline Windows: fills file from the file at path when it lies in the image as it
    // is opened; one that leads out is noted in file and never read.
    bool ReadInImage(const std::wstring& path, DriverFile& file) const;
    // Of an offline Windows: why the file at path may not be read (it leads out of the image,
    // it is not there); none for this PC's own files.
    PathRefusal RefusalInImage(const std::wstring& path) const;

    std::map<UINT, std::wstring> sourcePaths;
    IFileReporter* reporter;
    int total = 0;
    int count = 0;
    UniqueInfHandle inf;
    DeviceInfo* device;
    FileSearchIndex* searchIndex;
    std::unique_ptr<FileSearchIndex> ownSearchIndex;
    const DriverStore* store;
    SystemFolders folders;
    std::wstring reason;
    std::unique_ptr<DriverStore> imageStore;
    std::unique_ptr<SearchedFileCheck> searchedCheck;
};

// The failure reason of a search that the reporter stopped.
extern const wchar_t kSearchStoppedReason[];

// True for the name under which the system publishes a third-party INF: "oem", digits, ".inf"
// (letters in any case).
bool IsPublishedOemInfName(const std::wstring& name);

// The name of a queued file inside the driver's folder: its source media's path, its
// subdirectory and its file name joined, without leading backslashes, "." parts or ".." parts
// (each takes the part before it away, and is dropped where there is none). Empty text when
// the joined name would not fit the path limit.
std::wstring JoinSourceName(const std::wstring& sourcePath, const std::wstring& subdirectory,
                            const std::wstring& fileName);
