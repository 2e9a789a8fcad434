// Where a package's files come from, checked before anything is installed. A backup folder is
// untrusted: every source path its INF names (the catalog, each source disk's path, each
// file's subdirectory and name) is resolved with the file system's rules and must lie inside
// the package folder, and every file that the install sections queue must be there.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <string>
#include <vector>

#include "backup/DriverPackage.h"

struct SourceCheck {
    std::vector<std::wstring> missing;  // relative to the package folder
    std::vector<PackageFile> files;     // the queued files with their destinations
    std::wstring catalogPath;           // full path; empty when the INF names no catalog
    std::wstring error;                 // why the package is refused; empty when it is not
};

// Checks the package whose INF is open, for the undecorated install sections given (each taken
// with the decoration this machine installs, and its ".CoInstallers" section). folder is the
// package folder's full path. False, with check.error, when the package is to be refused.
bool CheckSources(HINF inf, const std::wstring& folder, const std::vector<std::wstring>& sections, SourceCheck& check);

// A path that an INF gives relative to the package folder ("x64", "\x64", "sub\..\f.dll"),
// resolved under the folder; empty when it names a drive or a share of its own or cannot be
// resolved, or when the result lies outside the folder.
std::wstring ResolveInside(const std::wstring& folder, const std::wstring& relative);
