// A backup written as a folder tree on disk: class folders, device folders numbered "[k]",
// files stamped with their source's time, an incomplete device's folder renamed, and the log
// moved into the target folder when it is finished.
#pragma once

#include <optional>
#include <set>

#include "platform/FileNameCompare.h"
#include "saving/IBackupWriter.h"

class FolderBackupWriter final : public IBackupWriter {
public:
    explicit FolderBackupWriter(FolderPath target) : target(std::move(target)) {}

    const FolderPath& Top() const override { return target; }
    bool OpenLog(SaveLog& log, FILE* console) override;
    bool Prepare(SaveLog& log) override;
    uint64_t AllocationUnit() const override;
    bool FreeSpace(const FolderPath& deviceFolder, uint64_t& freeBytes) const override;
    PathResult<FolderPath> MakeDeviceFolder(const FolderPath& classFolder, const std::wstring& name,
                                            std::wstring& tried) override;
    void DropDeviceFolder(const FolderPath& deviceFolder, const FolderPath& classFolder) override;
    bool WriteFile(HANDLE source, const PathInside& target, const FILETIME& time, Sha256Hash& digest) override;
    bool SameContent(const PathInside& target, const std::wstring& written, const std::wstring& source) override;
    PathResult<FolderPath> MarkIncomplete(const FolderPath& deviceFolder, const FolderPath& classFolder) override;
    bool PutTopFile(const std::wstring& name, HANDLE source, const FILETIME& time) override;
    bool PutTopFile(const std::wstring& name, const std::string& content) override;
    void Abandon() override {}
    bool Sound() const override { return true; }

private:
    FolderPath target;
    // Whether the class folder of the device folder made last was there before it.
    bool classFolderExisted = false;
    // The device folder made last, which the files written go into.
    std::optional<FolderPath> lastDevice;
    // Its subfolders that are known to exist, by their names in it, compared as the file system compares names, so each is made or checked once.
    std::set<std::wstring, FileNameLess> madeFolders;
};
