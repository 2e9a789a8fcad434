// Where a save puts its backup: a folder tree on disk (FolderBackupWriter) or one zip file
// (ZipBackupWriter), with the same layout inside. The saver chooses every name (class and
// device folders and each file's path are made from Top() by their text, as FolderPath
// values); the writer makes them, writes the files and marks a device incomplete. Everything
// the saver writes goes through here, so what is added to a backup lands in a zip as well.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "log/SaveLog.h"
#include "platform/FileHash.h"
#include "platform/FolderPath.h"

class IBackupWriter {
public:
    virtual ~IBackupWriter() = default;

    // The backup's top, of which every name inside is made. A zip's is the zip file's path
    // taken as a folder: nothing is made there.
    virtual const FolderPath& Top() const = 0;
    // Starts the run's log, which is to end up at the backup's top when it is finished.
    // False when the log file cannot be created.
    virtual bool OpenLog(SaveLog& log, FILE* console) = 0;
    // Makes the target ready to take devices; false with the error printed to the log.
    virtual bool Prepare(SaveLog& log) = 0;

    // The bytes of one allocation unit of the target: each file takes whole units of it.
    virtual uint64_t AllocationUnit() const = 0;
    // The free bytes where a device's files go (the device folder made for them); false when
    // the system cannot tell.
    virtual bool FreeSpace(const FolderPath& deviceFolder, uint64_t& freeBytes) const = 0;

    // Makes the device folder name inside classFolder (with classFolder when it is missing),
    // numbered "name[k]" when the name is taken. tried: the folder made, or the one that
    // could not be.
    virtual PathResult<FolderPath> MakeDeviceFolder(const FolderPath& classFolder, const std::wstring& name,
                                                    std::wstring& tried) = 0;
    // Takes back a device folder that nothing was written into, and its class folder when
    // that was made for it: the next run would number around an empty folder.
    virtual void DropDeviceFolder(const FolderPath& deviceFolder, const FolderPath& classFolder) = 0;
    // Writes the file read from source (open for reading, at its start) at target inside a
    // device folder that MakeDeviceFolder made, with time as its time; digest takes every byte
    // as it is written, for the backup's report. False with the system's error code in
    // GetLastError.
    virtual bool WriteFile(HANDLE source, const PathInside& target, const FILETIME& time, Sha256Hash& digest) = 0;
    // Whether the file written at target holds the same bytes as the file at source; written
    // is the source it was written from.
    virtual bool SameContent(const PathInside& target, const std::wstring& written, const std::wstring& source) = 0;
    // Renames a device folder whose copy stopped or failed part way, in classFolder, so that
    // it never passes for installation media. The folder as renamed, or why it keeps its name.
    virtual PathResult<FolderPath> MarkIncomplete(const FolderPath& deviceFolder, const FolderPath& classFolder) = 0;

    // Puts a file at the backup's top under name (the restore's script, the program's copy,
    // a report), replacing one of that name: the bytes of source, stamped with time, or the
    // given content stamped with the time of writing. False with the system's error code in
    // GetLastError.
    virtual bool PutTopFile(const std::wstring& name, HANDLE source, const FILETIME& time) = 0;
    virtual bool PutTopFile(const std::wstring& name, const std::string& content) = 0;

    // The user stopped the run: a folder keeps what was written (an incomplete device marked
    // so), a zip file is not finished and is removed, so that nothing looks whole.
    virtual void Abandon() = 0;
    // False when the backup could not be finished whole (the zip file could not be written);
    // what failed has been said on the console.
    virtual bool Sound() const = 0;
};
