#include <windows.h>
#include <shlwapi.h>

#include "saving/FolderBackupWriter.h"

#include "platform/FileCopy.h"
#include "platform/Handles.h"
#include "platform/ShellPath.h"
#include "platform/Trace.h"
#include "saving/SavePaths.h"

namespace {

const wchar_t kIncompleteMark[] = L" (incomplete)";

bool Exists(const std::wstring& path)
{
    return ::GetFileAttributesW(OpenablePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Whether path names the file open as source.
bool IsSameFile(HANDLE source, const std::wstring& path)
{
    const UniqueFileHandle other(::CreateFileW(OpenablePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                               nullptr, OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION left = {};
    BY_HANDLE_FILE_INFORMATION right = {};
    return other && ::GetFileInformationByHandle(source, &left) && ::GetFileInformationByHandle(other.get(), &right) &&
           left.dwVolumeSerialNumber == right.dwVolumeSerialNumber && left.nFileIndexHigh == right.nFileIndexHigh &&
           left.nFileIndexLow == right.nFileIndexLow;
}

// Whether the file at path has the size of the open source and the last-write time time: the
// copy made of it by an earlier backup, which need not be made again. Neither is read.
bool SameSizeAndTime(HANDLE source, const std::wstring& path, const FILETIME& time)
{
    LARGE_INTEGER size = {};
    WIN32_FILE_ATTRIBUTE_DATA there = {};
    return ::GetFileSizeEx(source, &size) &&
           ::GetFileAttributesExW(OpenablePath(path).c_str(), GetFileExInfoStandard, &there) &&
           (there.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
           there.nFileSizeHigh == static_cast<DWORD>(size.QuadPart >> 32) &&
           there.nFileSizeLow == static_cast<DWORD>(size.QuadPart & 0xffffffff) &&
           ::CompareFileTime(&there.ftLastWriteTime, &time) == 0;
}

} // namespace

bool FolderBackupWriter::OpenLog(SaveLog& log, FILE* console)
{
    return log.Open(target, console);
}

bool FolderBackupWriter::Prepare(SaveLog& log)
{
    // An existing folder is used as it is. The top of a share is only found with a closing
    // backslash, which a file is not found with at all.
    DWORD attributes = ::GetFileAttributesW(target.Openable().c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        attributes = ::GetFileAttributesW(OpenablePath(target.WithSeparator()).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return true;
        log.Print(L"ERROR: Target path is an existing file.\n");
        return false;
    }
    if (CreateFolderPath(target))
        return true;
    // A share that is down, a drive that is gone: the system says which.
    const DWORD error = ::GetLastError();
    log.Print(L"ERROR: Could not create target folder.\n");
    log.Print(L"  %s\n", SystemErrorText(error).c_str());
    return false;
}

uint64_t FolderBackupWriter::AllocationUnit() const
{
    uint64_t unit = 1;
    return GetAllocationUnit(target.Full(), unit) ? unit : 1;
}

bool FolderBackupWriter::FreeSpace(const FolderPath& deviceFolder, uint64_t& freeBytes) const
{
    return GetFreeSpace(deviceFolder.Full(), freeBytes);
}

PathResult<FolderPath> FolderBackupWriter::MakeDeviceFolder(const FolderPath& classFolder, const std::wstring& name,
                                                            std::wstring& tried)
{
    classFolderExisted = Exists(classFolder.Full());
    madeFolders.clear();
    PathResult<FolderPath> made = CreateUniqueFolder(classFolder, name, tried);
    if (made)
        lastDevice = *made;
    return made;
}

void FolderBackupWriter::DropDeviceFolder(const FolderPath& deviceFolder, const FolderPath& classFolder)
{
    ::RemoveDirectoryW(deviceFolder.Openable().c_str());
    if (!classFolderExisted)
        ::RemoveDirectoryW(classFolder.Openable().c_str());
}

bool FolderBackupWriter::WriteFile(HANDLE source, const PathInside& file, const FILETIME& time, Sha256Hash& digest)
{
    // A file in a subfolder of the device folder ("x64\\f.sys") needs that subfolder first.
    const std::wstring subfolder = WithoutFileName(file.relative);
    if (!subfolder.empty() && madeFolders.count(subfolder) == 0) {
        const PathResult<FolderPath> parent =
            lastDevice ? lastDevice->Folder(subfolder, kAnyLength) : PathResult<FolderPath>(PathRefusal::NotFound);
        if (!parent || !CreateFolderPath(*parent))
            return false;
        madeFolders.insert(subfolder);
    }
    // Stamped through the handle that writes it: opening every copy again only to set its
    // times cost as much as a fifth of a small file's copy.
    return CopyFileStamped(source, file.Openable(), time, &digest);
}

bool FolderBackupWriter::SameContent(const PathInside& file, const std::wstring&, const std::wstring& source)
{
    return SameFileContent(source, file.full);
}

PathResult<FolderPath> FolderBackupWriter::MarkIncomplete(const FolderPath& deviceFolder, const FolderPath& classFolder)
{
    const std::wstring marked = MakeUniquePath(deviceFolder.Full() + kIncompleteMark);
    PathResult<FolderPath> renamed =
        marked.empty() ? PathRefusal::Empty : classFolder.Folder(FileNamePart(marked), kAnyLength);
    if (renamed && !::MoveFileW(deviceFolder.Openable().c_str(), renamed->Openable().c_str()))
        renamed = PathRefusal::CannotOpen;
    return renamed;
}

bool FolderBackupWriter::PutTopFile(const std::wstring& name, HANDLE source, const FILETIME& time)
{
    const PathResult<PathInside> file = target.Inside(name, kAnyLength);
    if (!file) {
        ::SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    // The program run from a backup's own copy, saving into that backup again: its copy is
    // there already, and could not be replaced while it runs.
    if (IsSameFile(source, file->full))
        return true;
    // A nightly run into the same folder copies the program and its help only when they changed.
    if (SameSizeAndTime(source, file->full, time))
        return true;
    return CopyFileStamped(source, file->Openable(), time);
}

bool FolderBackupWriter::PutTopFile(const std::wstring& name, const std::string& content)
{
    const PathResult<PathInside> file = target.Inside(name, kAnyLength);
    if (!file) {
        ::SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    UniqueFileHandle out(::CreateFileW(file->Openable().c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out)
        return false;
    DWORD written = 0;
    if (!::WriteFile(out.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr))
        return false;
    if (written != content.size()) {
        ::SetLastError(ERROR_DISK_FULL);
        return false;
    }
    return true;
}
