#include "tests/support/TestBackup.h"

#include <gtest/gtest.h>

#include <utility>

TestBackup::TestBackup() : own(std::make_unique<TempFolder>()), path_(own->path()) {}

TestBackup::TestBackup(std::wstring folder) : path_(std::move(folder))
{
    EXPECT_TRUE(MakeFolders(path_)) << ::testing::PrintToString(path_);
}

fixture::Package TestBackup::Add(const std::wstring& name, const std::wstring& folder, const std::wstring& description,
                                 const Change& change)
{
    const fixture::SimpleDriver driver =
        fixture::OneModelDriver(name, description.empty() ? name : description, L"ROOT\\TARNWICK_" + name);
    fixture::Package package = fixture::MakePackage(driver, {});
    if (change)
        change(package);
    Write(package, folder.empty() ? name : folder);
    return package;
}

void TestBackup::Write(const fixture::Package& package, const std::wstring& folder)
{
    std::wstring error;
    EXPECT_TRUE(fixture::WritePackage(package, *this / folder, error)) << ::testing::PrintToString(error);
}

FolderPath TestBackup::Folder() const
{
    return ExistingFolder(path_);
}

DriverPackage TestBackup::Found(const std::wstring& folder, const std::wstring& infName) const
{
    DriverPackage package;
    package.folder = ExistingFolder(*this / folder);
    package.infPath = package.folder->WithSeparator() + infName;
    package.displayName = folder + L"\\" + infName;
    return package;
}

FolderPath ExistingFolder(const std::wstring& path)
{
    PathResult<FolderPath> folder = FolderPath::Resolve(path, {kLongPathLength, true});
    if (folder)
        return *std::move(folder);
    ADD_FAILURE() << "no folder " << ::testing::PrintToString(path);
    // The current folder, so that the test goes on and fails where it looks.
    return *FolderPath::Resolve(L".");
}
