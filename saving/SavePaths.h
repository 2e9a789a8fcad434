// Paths and names of a save run: device folder names made from display texts, free variants
// of a path, folder creation, free space, and where a driver file may be written.
#pragma once

#include <windows.h>

// windows.h still defines GetFreeSpace as a macro left over from 16-bit Windows; it would
// replace the function below wherever both are seen.
#ifdef GetFreeSpace
#undef GetFreeSpace
#endif

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "model/DriverFile.h"
#include "platform/FolderPath.h"
#include "platform/ShellPath.h"

// Turns a display text into a valid file name, in place: white space trimmed at both ends,
// then '<' and '>' become '(' and ')', each of :\/*?"|;^&+= and each control character is
// deleted, and last white space at both ends and dots at the end are trimmed.
void MakeValidFileName(std::wstring& text);

// The folder name for a device folder or class folder: the first candidate that is still a
// usable name once made valid. A name that is empty, or only dots and white space, would
// name the parent folder itself (or the one above it), so "Unknown device" stands in when no
// candidate is usable. Leading dots of a name that starts with two are dropped, and a
// reserved device name ("NUL.txt", "CON") gets an underscore after its first part.
std::wstring FolderNameOf(const std::vector<std::wstring>& candidates);

// The most numbered variants MakeUniquePath tries.
const unsigned kMostNumberedPaths = 99999;

// The path itself when nothing of that name exists, else the first free "path[k]", k = 1, 2,
// ...; empty text when every variant up to kMostNumberedPaths is taken.
std::wstring MakeUniquePath(const std::wstring& path);

// Creates the folder name inside parent, or when something of that name exists, the first
// "name[k]" that does not, with parent and its missing parents: the name is taken in the same
// step that tests it. The folder made, or why none was. tried is the path of the folder made;
// on failure the one that could not be made (parent\name itself when every variant up to
// kMostNumberedPaths is taken).
PathResult<FolderPath> CreateUniqueFolder(const FolderPath& parent, const std::wstring& name, std::wstring& tried);

// Creates the folder and every missing parent. An existing path counts as success. False when
// a folder cannot be created or the path does not fit the path limit.
bool CreateFolderPath(const FolderPath& folder);

// Where a file of a device's set is saved in its device folder: its name in the set inside
// that folder, within the path limit. The save writes there and its report reads there.
PathResult<PathInside> SavedFilePath(const FolderPath& deviceFolder, const DriverFile& file);

// Free bytes of the volume that holds path (all of them, quotas aside); false when the
// system cannot tell.
bool GetFreeSpace(const std::wstring& path, uint64_t& freeBytes);

// True when both files can be read and hold the same bytes.
bool SameFileContent(const std::wstring& left, const std::wstring& right);

// Sum of the sizes of a file set, in 64 bits.
uint64_t TotalSize(const std::deque<DriverFile>& files);

// The bytes of one allocation unit (cluster) of the volume that holds path; false when the
// system cannot tell.
bool GetAllocationUnit(const std::wstring& path, uint64_t& unitBytes);

// The room a device's file set takes on a volume of this allocation unit: each file rounded up
// to whole units, since even a one-byte file takes one of them, and never less than one unit
// (one byte where units are not known), so that a set of empty files does not pass a full
// volume. A unit of 0 or 1 counts plain bytes.
uint64_t SpaceTaken(const std::deque<DriverFile>& files, uint64_t unitBytes);
uint64_t SpaceTaken(uint64_t fileSize, uint64_t unitBytes);
