// A file copied and stamped through the one handle that writes it.
#pragma once

#include <windows.h>

#include <string>

#include "platform/FileHash.h"
#include "platform/Handles.h"

// Opens a file to be copied: for reading, shared with every other use (driver files in use are
// open in other processes, for reading and sometimes for writing), read from start to end.
UniqueFileHandle OpenCopySource(const std::wstring& path);

// Copies source to target, replacing a file there, with source's attributes. The copy gets
// creation and last-write time `time`, set through the handle that wrote it, so it is never
// opened a second time (and a read-only copy can still be stamped). A copy that fails part
// way is removed. False when the copy failed, with the system's error code for it in
// GetLastError; failing to set the times is no failure.
bool CopyFileStamped(const std::wstring& source, const std::wstring& target, const FILETIME& time);
// The same from a source opened already (for reading, at its start): what was judged when it
// was opened is what is copied. digest, when given, takes every byte as it is written.
bool CopyFileStamped(HANDLE source, const std::wstring& target, const FILETIME& time, Sha256Hash* digest = nullptr);
