// Driver packages written into a backup folder of the test's own, one line per package, and
// the folder and its packages as the program takes them:
//
//   TestBackup backup;
//   backup.Add(L"rrfirst");                                   // rrfirst\rrfirst.inf, its files, its catalog
//   backup.Add(L"vcone", L"Devices\\vcone Widget", L"vcone Widget");
//   backup.Add(L"vfdriver", L"vfb", {}, [](fixture::Package& p) { p.files[0].content += "b"; });
//   DriverPackage found = backup.Found(L"vfb", L"vfdriver.inf");  // ready for PackageChecker::Check
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "backup/DriverPackage.h"
#include "platform/FolderPath.h"
#include "tests/fixtures/DriverFixture.h"
#include "tests/support/TempFolder.h"

class TestBackup {
public:
    using Change = std::function<void(fixture::Package&)>;

    // A backup folder of its own under the temporary folder, removed when it goes.
    TestBackup();
    // The packages go into folder (made when missing), which the test owns.
    explicit TestBackup(std::wstring folder);

    // Writes the package of the driver name (a SimpleDriver of one model, hardware ID
    // ROOT\TARNWICK_<name>, described as description or else as name) into folder (relative
    // to the backup; name when empty), catalog included, after change has had its way with it.
    // Fails the test when it cannot be written. The package as written.
    fixture::Package Add(const std::wstring& name, const std::wstring& folder = std::wstring(),
                         const std::wstring& description = std::wstring(), const Change& change = nullptr);
    // Writes a package made by the fixtures into folder, relative to the backup.
    void Write(const fixture::Package& package, const std::wstring& folder);

    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& relative) const { return path_ + L"\\" + relative; }
    // The backup folder as the program takes it.
    FolderPath Folder() const;
    // The package of the INF infName in folder (relative to the backup), as the package search
    // hands it on: its folder made from the backup's.
    DriverPackage Found(const std::wstring& folder, const std::wstring& infName) const;

private:
    std::unique_ptr<TempFolder> own;
    std::wstring path_;
};

// The existing folder at path as the program takes it; fails the test when there is none.
FolderPath ExistingFolder(const std::wstring& path);
