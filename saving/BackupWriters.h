// The writer a save's target asks for: a folder tree for a folder.
#pragma once

#include <memory>

#include "saving/IBackupWriter.h"

std::unique_ptr<IBackupWriter> MakeBackupWriter(const FolderPath& target);
