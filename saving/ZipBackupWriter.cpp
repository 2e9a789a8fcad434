#include <shlwapi.h>

#include "saving/ZipBackupWriter.h"

#include "archive/ZipFormat.h"
#include "platform/ShellPath.h"
#include "platform/Trace.h"
#include "saving/SavePaths.h"

namespace {

const wchar_t kIncompleteMark[] = L" (incomplete)";
const wchar_t kPartialSuffix[] = L".partial";

// A line on the console, in the log's 8-bit text.
void Say(FILE* console, const std::wstring& line)
{
    const std::string text = ToLogText(line);
    std::fwrite(text.data(), 1, text.size(), console);
    std::fflush(console);
}

FILETIME Now()
{
    FILETIME now = {};
    ::GetSystemTimeAsFileTime(&now);
    return now;
}

} // namespace

ZipBackupWriter::ZipBackupWriter(FolderPath zipFile)
    : zipFile(std::move(zipFile)), partialPath(this->zipFile.Full() + kPartialSuffix)
{
}

ZipBackupWriter::~ZipBackupWriter()
{
    // A zip that was never finished is no backup: nothing of it stays.
    if (file)
        Abandon();
}

bool ZipBackupWriter::OpenLog(SaveLog& log, FILE* consoleStream)
{
    console = consoleStream;
    log.PlaceWith([this](const std::wstring& closedLog, DWORD& error) { return PlaceLog(closedLog, error); });
    return log.Open(std::nullopt, console);
}

bool ZipBackupWriter::Prepare(SaveLog& log)
{
    const DWORD attributes = ::GetFileAttributesW(zipFile.Openable().c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        log.Print(L"ERROR: Target path is an existing folder.\n");
        return false;
    }
    const PathResult<FolderPath> parent = FolderPath::Resolve(WithoutFileName(zipFile.Full()), kAnyLength);
    if (!parent || !CreateFolderPath(*parent)) {
        const DWORD error = ::GetLastError();
        log.Print(L"ERROR: Could not create target folder.\n");
        if (parent)
            log.Print(L"  %s\n", SystemErrorText(error).c_str());
        return false;
    }
    // Readers only, while it is written: a second run into the same zip is refused here.
    file.reset(::CreateFileW(OpenablePath(partialPath).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        log.Print(L"ERROR: Could not create the zip file %s: %s\n", partialPath.c_str(),
                  SystemErrorText(::GetLastError()).c_str());
        return false;
    }
    zip = std::make_unique<zip::ZipWriter>(file.get());
    if (forceZip64)
        zip->ForceZip64();
    return true;
}

bool ZipBackupWriter::FreeSpace(const FolderPath&, uint64_t& freeBytes) const
{
    return GetFreeSpace(WithoutFileName(zipFile.Full()), freeBytes);
}

PathResult<FolderPath> ZipBackupWriter::MakeDeviceFolder(const FolderPath& classFolder, const std::wstring& name,
                                                         std::wstring& tried)
{
    for (unsigned k = 0; k <= kMostNumberedPaths; ++k) {
        const std::wstring numbered = k == 0 ? name : name + L"[" + std::to_wstring(k) + L"]";
        tried = classFolder.WithSeparator() + numbered;
        // A name past the path limit is not cut: the device gets no folder.
        PathResult<FolderPath> folder = classFolder.Folder(numbered, kAnyLength);
        if (!folder || !zip)
            return folder ? PathResult<FolderPath>(PathRefusal::CannotOpen) : folder;
        if (deviceFolders.insert(folder->Full()).second)
            return folder;
    }
    tried = classFolder.WithSeparator() + name;
    return PathRefusal::CannotOpen;
}

void ZipBackupWriter::DropDeviceFolder(const FolderPath& deviceFolder, const FolderPath&)
{
    deviceFolders.erase(deviceFolder.Full());
}

std::string ZipBackupWriter::EntryNameOf(const std::wstring& path) const
{
    const std::optional<std::wstring> relative = zipFile.RelativeName(path);
    return relative ? zip::EntryName(*relative) : std::string();
}

bool ZipBackupWriter::WriteFile(HANDLE source, const PathInside& target, const FILETIME& time, Sha256Hash& digest)
{
    const std::string name = EntryNameOf(target.full);
    if (name.empty()) {
        ::SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    if (!zip) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    return zip->Add(name, source, time, &digest);
}

bool ZipBackupWriter::SameContent(const PathInside&, const std::wstring& written, const std::wstring& source)
{
    // The zip is not read back: the file it was written from is compared instead.
    return SameFileContent(written, source);
}

PathResult<FolderPath> ZipBackupWriter::MarkIncomplete(const FolderPath& deviceFolder, const FolderPath& classFolder)
{
    const std::wstring base = FileNamePart(deviceFolder.Full()) + kIncompleteMark;
    for (unsigned k = 0; k <= kMostNumberedPaths && zip; ++k) {
        const std::wstring numbered = k == 0 ? base : base + L"[" + std::to_wstring(k) + L"]";
        const PathResult<FolderPath> renamed = classFolder.Folder(numbered, kAnyLength);
        if (!renamed)
            return renamed;
        if (deviceFolders.count(renamed->Full()) != 0)
            continue;
        if (!zip->RenamePrefix(EntryNameOf(deviceFolder.Full()) + "/", EntryNameOf(renamed->Full()) + "/")) {
            TraceFailure(L"renaming an incomplete device in the zip", ::GetLastError());
            return PathRefusal::CannotOpen;
        }
        deviceFolders.erase(deviceFolder.Full());
        deviceFolders.insert(renamed->Full());
        return renamed;
    }
    return PathRefusal::CannotOpen;
}

bool ZipBackupWriter::PutTopFile(const std::wstring& name, HANDLE source, const FILETIME& time)
{
    if (!zip || !topNames.insert(name).second) {
        ::SetLastError(zip ? ERROR_FILE_EXISTS : ERROR_INVALID_HANDLE);
        return false;
    }
    return zip->Add(zip::EntryName(name), source, time);
}

bool ZipBackupWriter::PutTopFile(const std::wstring& name, const std::string& content)
{
    if (!zip || !topNames.insert(name).second) {
        ::SetLastError(zip ? ERROR_FILE_EXISTS : ERROR_INVALID_HANDLE);
        return false;
    }
    return zip->Add(zip::EntryName(name), content, Now());
}

void ZipBackupWriter::Abandon()
{
    zip.reset();
    file.reset();
    if (!partialPath.empty())
        ::DeleteFileW(OpenablePath(partialPath).c_str());
}

void ZipBackupWriter::FailZip(DWORD error)
{
    sound = false;
    Abandon();
    TraceFailure(L"writing the zip file", error);
    if (console)
        Say(console, L"ERROR: The zip file " + zipFile.Full() + L" could not be written: " +
                               SystemErrorText(error) + L"\n");
}

std::wstring ZipBackupWriter::PlaceLog(const std::wstring& closedLog, DWORD& error)
{
    // A run that stopped, or never began its zip, has nothing to finish.
    if (!zip)
        return std::wstring();
    FILETIME written = Now();
    UniqueFileHandle log(::CreateFileW(closedLog.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (log)
        ::GetFileTime(log.get(), nullptr, nullptr, &written);
    if (!log || !PutTopFile(FileNamePart(closedLog), log.get(), written) || !zip->Finish()) {
        error = ::GetLastError();
        FailZip(error);
        return std::wstring();
    }
    zip.reset();
    file.reset();
    if (!::MoveFileExW(OpenablePath(partialPath).c_str(), zipFile.Openable().c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
        error = ::GetLastError();
        FailZip(error);
    }
    // The log stays in the temporary folder, where it is opened from; the zip holds its copy.
    return std::wstring();
}
