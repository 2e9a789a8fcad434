// The last-resort search for a driver file: the first file of a name under a folder tree,
// depth first in the order the listings give, folders searched as soon as they are listed.
//
// A driver often has several files that are neither at their source nor at their target
// (files for another platform, for example), and a save run searches for the files of many
// devices. Walking the whole system folder once per file made a run's cost grow with the
// number of such files. Instead, one walk serves a whole run: it goes only as far as the
// file asked for, remembers the first path of every name it passes, and resumes from there
// for the next name, so each search gives exactly the match a fresh walk would give.
//
// A file found is judged as opened: one that is a link leading out of the searched folder is
// not taken. The folder a run saves into is never searched: an earlier backup there would
// stand in for a file that is missing.
#pragma once

#include <windows.h>

#include <string>
#include <map>
#include <optional>
#include <vector>

#include "model/DriverFile.h"
#include "platform/FileNameCompare.h"
#include "platform/FolderPath.h"
#include "platform/Handles.h"

class FileSearchIndex {
public:
    // root: the folder searched; with none (it was not there) nothing is ever found. skipped:
    // a folder under it that is not searched (the run's own target), judged by its rule.
    explicit FileSearchIndex(PathResult<FolderPath> root, std::optional<FolderPath> skipped = std::nullopt);
    FileSearchIndex(const FileSearchIndex&) = delete;
    FileSearchIndex& operator=(const FileSearchIndex&) = delete;

    // The folder searched; null when there is none.
    const FolderPath* root() const { return root_ ? &*root_ : nullptr; }

    // Fills the file's path, size and creation time from the first file named fileName
    // (compared as the file system compares names) under the root. False, leaving the file as
    // it is, when there is none; false too when that file leads out of the root as it is
    // opened, with the file's refusal set to Outside.
    bool Find(const std::wstring& fileName, DriverFile& file);

    // Forgets what was walked; the next search walks afresh. For callers that have written
    // under the root since.
    void Invalidate();

private:
    struct Level {
        std::wstring folder;
        UniqueFindHandle listing;
        WIN32_FIND_DATAW entry;
        bool entryPending;
    };

    void Enter(const std::wstring& folder);
    bool IsSkipped(const std::wstring& folder) const;
    bool NextEntry(Level& level, WIN32_FIND_DATAW& entry);
    bool WalkUntil(const std::wstring& key, std::wstring& path);
    bool Locate(const std::wstring& key, std::wstring& path);

    PathResult<FolderPath> root_;
    std::optional<FolderPath> skipped_;
    std::map<std::wstring, std::wstring, FileNameLess> firstPathOfName_;
    std::vector<Level> levels_;
    bool started_ = false;
    bool finished_ = false;
};

// Fills path, size and creation time of the file from a listing of exactly this path. False
// when no such file exists.
bool ReadFoundFile(const std::wstring& path, DriverFile& file);
// The same from the file opened at path: nothing is asked of the path again.
bool ReadOpenedFile(HANDLE opened, const std::wstring& path, DriverFile& file);
