#include "saving/BackupWriters.h"

#include "platform/FileNameCompare.h"
#include "saving/FolderBackupWriter.h"
#include "saving/ZipBackupWriter.h"

bool IsZipName(const std::wstring& name)
{
    return name.size() > 4 && SameFileName(name.substr(name.size() - 4), L".zip");
}

bool IsZipTarget(const FolderPath& target)
{
    return IsZipName(target.Full());
}

std::unique_ptr<IBackupWriter> MakeBackupWriter(const FolderPath& target)
{
    if (IsZipTarget(target))
        return std::make_unique<ZipBackupWriter>(target);
    return std::make_unique<FolderBackupWriter>(target);
}
