// The writer a save's target asks for: one zip file for a target whose name ends in ".zip"
// (in any case), a folder tree for any other.
#pragma once

#include <memory>

#include "saving/IBackupWriter.h"

bool IsZipTarget(const FolderPath& target);
// Whether a file name ends in ".zip", in any case.
bool IsZipName(const std::wstring& name);
std::unique_ptr<IBackupWriter> MakeBackupWriter(const FolderPath& target);
