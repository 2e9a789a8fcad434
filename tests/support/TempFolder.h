// A folder of the test's own under the temporary folder, removed with everything in it when
// the test ends (also when it fails).
#pragma once

#include <windows.h>

#include <string>

#include "platform/FolderPath.h"

class TempFolder {
public:
    TempFolder();
    // The folder is made under parent instead; an empty parent is the temporary folder.
    explicit TempFolder(const std::wstring& parent);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& path() const { return path_; }
    // path joined with a relative name.
    std::wstring operator/(const std::wstring& relative) const;

private:
    std::wstring path_;
};

// The folder value of path, made as the program's edge makes it; throws (failing the test)
// when it cannot be made.
FolderPath FolderOf(const std::wstring& path, const PathRules& rules = {});

// Creates the file (and its missing folders) with these bytes.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);
// Creates a folder and its missing parents. False when it cannot, or a file stands there.
bool MakeFolders(const std::wstring& path);
// Removes a folder tree (or a file); links inside it are removed, never followed. True when
// nothing of that path is left.
bool RemoveTree(const std::wstring& path);

// Makes link a directory link (a symbolic link, which the file system reports as a reparse
// point) to target. Under Wine, which cannot make Windows links, a Unix symbolic link is made
// instead; Wine reports it the same way.
bool MakeDirectoryLink(const std::wstring& link, const std::wstring& target);
// The same for a file: link becomes a symbolic link to the file target.
bool MakeFileLink(const std::wstring& link, const std::wstring& target);

// Makes folder the current folder while it lives; the one before comes back when it goes.
class CurrentFolderGuard {
public:
    explicit CurrentFolderGuard(const std::wstring& folder);
    ~CurrentFolderGuard();
    CurrentFolderGuard(const CurrentFolderGuard&) = delete;
    CurrentFolderGuard& operator=(const CurrentFolderGuard&) = delete;

    bool entered() const { return entered_; }

private:
    std::wstring previous_;
    bool entered_ = false;
};
