#include "saving/BackupWriters.h"

#include "saving/FolderBackupWriter.h"

std::unique_ptr<IBackupWriter> MakeBackupWriter(const FolderPath& target)
{
    return std::make_unique<FolderBackupWriter>(target);
}
