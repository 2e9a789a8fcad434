#include "saving/BackupWriters.h"

#include "platform/FileNameCompare.h"
#include "saving/FolderBackupWriter.h"
#include "saving/ZipBackupWriter.h"

bool IsZipTarget(const FolderPath& target)
{
    const std::wstring& full = target.Full();
    return full.size() > 4 && SameFileName(full.substr(full.size() - 4), L".zip");
}

std::unique_ptr<IBackupWriter> MakeBackupWriter(const FolderPath& target)
{
    if (IsZipTarget(target))
        return std::make_unique<ZipBackupWriter>(target);
    return std::make_unique<FolderBackupWriter>(target);
}
