// Where a package's files come from, checked before anything is installed. A backup folder is
// untrusted: every source path its INF names (each catalog, each source disk's path, each
// file's subdirectory and name) must lie inside the package folder by the file system's
// rules, every file that the install sections queue must be there, and every file the
// package will be read from must lie inside as the system opens it (a link that leads out is
// refused, and nothing of the file it leads to is read).
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <string>
#include <vector>

#include "platform/FolderPath.h"
#include "backup/DriverPackage.h"

struct SourceCheck {
    std::vector<std::wstring> missing;   // relative to the package folder
    std::vector<PackageFile> files;      // the queued files with their destinations
    std::vector<std::wstring> catalogs;  // full paths, each once; empty when the INF names none
    std::wstring error;                  // why the package is refused; empty when it is not
};

// Checks the package whose INF is open, for the undecorated install sections given (each taken
// with the decoration this machine installs, and its ".CoInstallers" section). False, with
// check.error, when the package is to be refused.
bool CheckSources(HINF inf, const FolderPath& folder, const std::vector<std::wstring>& sections, SourceCheck& check);

// Why a file of the package may not be used, in the words of the check and the verification:
// "outside the package folder", "missing", "a device name", ...
std::wstring PackageRefusalText(PathRefusal refusal);
// The same with the path that the package names: "outside the package folder: <path>".
std::wstring SourceRefusalText(PathRefusal refusal, const std::wstring& path);
