// A driver package whose INF lies deeper than the setup services take (MAX_PATH: the device
// install parameters, the INF class query, the installer and the staging call hold the INF's
// path in that many characters) is copied whole into a private folder of the temporary folder,
// and checked, verified and installed from there. The copy goes with the last package record
// that holds it.
#pragma once

#include <memory>
#include <string>

#include "backup/DriverPackage.h"
#include "platform/FolderPath.h"

class PackageCopy {
public:
    ~PackageCopy();
    PackageCopy(const PackageCopy&) = delete;
    PackageCopy& operator=(const PackageCopy&) = delete;

    // Copies every file of folder and its subfolders (links are not followed, and a file is
    // read only once it is shown to lie inside folder) into a new folder in tempFolder. None,
    // with error set to the system's reason, when that cannot be done whole: nothing of it
    // then stays.
    static std::shared_ptr<PackageCopy> Make(const FolderPath& folder, const std::wstring& tempFolder,
                                             std::wstring& error);

    // The folder that holds the copy.
    const FolderPath& Folder() const { return folder; }

private:
    explicit PackageCopy(FolderPath folder) : folder(std::move(folder)) {}

    FolderPath folder;
};

// Whether the setup services can take the package's INF where it lies.
bool FitsSetupServices(const DriverPackage& package);

// Points a package whose INF the setup services cannot take at a copy of its folder in
// tempFolder (folder and INF path; its name in the backup stays). False, with the system's
// reason in error, when no copy could be made: the package is then left as it was.
bool UseShortCopy(DriverPackage& package, const std::wstring& tempFolder, std::wstring& error);
