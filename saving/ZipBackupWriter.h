// A backup written as one zip file with the layout a folder backup has inside: class
// folders, device folders numbered "[k]", an incomplete device's folder renamed, the log at
// the top. The zip is written beside its final name ("<name>.partial", never readable as a
// zip until its central directory is written at the end) and renamed into place once the log
// is in it; a stopped or failed run removes it.
#pragma once

#include <memory>
#include <set>

#include "archive/ZipWriter.h"
#include "platform/FileNameCompare.h"
#include "platform/Handles.h"
#include "saving/IBackupWriter.h"

class ZipBackupWriter final : public IBackupWriter {
public:
    // zipFile: the zip's full path, taken as the backup's top.
    explicit ZipBackupWriter(FolderPath zipFile);
    ~ZipBackupWriter() override;

    const FolderPath& Top() const override { return zipFile; }
    bool OpenLog(SaveLog& log, FILE* console) override;
    bool Prepare(SaveLog& log) override;
    uint64_t AllocationUnit() const override { return 1; }
    bool FreeSpace(const FolderPath& deviceFolder, uint64_t& freeBytes) const override;
    PathResult<FolderPath> MakeDeviceFolder(const FolderPath& classFolder, const std::wstring& name,
                                            std::wstring& tried) override;
    void DropDeviceFolder(const FolderPath& deviceFolder, const FolderPath& classFolder) override;
    bool WriteFile(HANDLE source, const PathInside& target, const FILETIME& time, Sha256Hash& digest) override;
    bool SameContent(const PathInside& target, const std::wstring& written, const std::wstring& source) override;
    PathResult<FolderPath> MarkIncomplete(const FolderPath& deviceFolder, const FolderPath& classFolder) override;
    bool PutTopFile(const std::wstring& name, HANDLE source, const FILETIME& time) override;
    bool PutTopFile(const std::wstring& name, const std::string& content) override;
    void Abandon() override;
    bool Sound() const override { return sound; }

    // Writes the zip in ZIP64 form throughout, as one past 4 GiB is written (tests).
    void ForceZip64() { forceZip64 = true; }

private:
    // The entry name of a path inside the zip ("Class/Device/f.sys"); empty when it has none.
    std::string EntryNameOf(const std::wstring& path) const;
    // Puts the closed log at the top, finishes the zip and renames it into place.
    std::wstring PlaceLog(const std::wstring& closedLog, DWORD& error);
    // Says on the console why the zip could not be written, and removes what there is of it.
    void FailZip(DWORD error);

    FolderPath zipFile;
    std::wstring partialPath;
    UniqueFileHandle file;
    std::unique_ptr<zip::ZipWriter> zip;
    bool forceZip64 = false;
    bool sound = true;
    FILE* console = nullptr;
    // Every device folder taken in the zip, by its full path as if the zip were a folder,
    // compared as the file system compares names: the zip's folders are numbered as folders
    // on disk are.
    std::set<std::wstring, FileNameLess> deviceFolders;
    // The names at the top that are taken.
    std::set<std::wstring, FileNameLess> topNames;
};
