#include "backup/ExtractedZip.h"

#include <windows.h>

#include <vector>

#include "archive/ZipFormat.h"
#include "platform/FileNameCompare.h"
#include "platform/Handles.h"
#include "platform/ShellPath.h"
#include "platform/Trace.h"

namespace {

const unsigned kMostFolderNames = 1000;

// Makes each missing folder of relative inside top, one part after another.
bool MakeFolders(const FolderPath& top, const std::wstring& relative)
{
    for (size_t at = 0; at != std::wstring::npos;) {
        at = relative.find(L'\\', at + 1);
        const std::wstring path = top.WithSeparator() + relative.substr(0, at);
        if (!::CreateDirectoryW(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return true;
}

uint64_t FreeBytes(const std::wstring& folder)
{
    ULARGE_INTEGER available = {};
    if (!::GetDiskFreeSpaceExW(WithBackslash(folder).c_str(), &available, nullptr, nullptr))
        return 0;
    return available.QuadPart;
}

// The entry's MS-DOS time (local time) as a file time in UTC.
bool FileTimeOf(const zip::CentralEntry& entry, FILETIME& time)
{
    FILETIME local = {};
    return ::DosDateTimeToFileTime(entry.dosDate, entry.dosTime, &local) && ::LocalFileTimeToFileTime(&local, &time);
}

} // namespace

std::unique_ptr<ExtractedZip> ExtractForReading(const FolderPath& zipFile, const std::wstring& tempFolder,
                                                IProgressReporter& reporter, SaveLog& log, std::wstring& refusal)
{
    log.Print(L"  Extracting %s...\n", zipFile.Full().c_str());
    ZipProblem problem;
    std::unique_ptr<ExtractedZip> extracted = ExtractedZip::Extract(zipFile.Full(), tempFolder, reporter, problem);
    if (!extracted) {
        refusal = L"ERROR: The zip file " + zipFile.Full() + L" cannot be used: " + ZipProblemText(problem);
        log.Print(L"%s\n", refusal.c_str());
    }
    return extracted;
}

PathResult<FolderPath> ResolveBackup(const std::wstring& text, const PathRules& rules)
{
    PathResult<FolderPath> folder = FolderPath::Resolve(text, rules);
    if (folder || folder.refusal() != PathRefusal::NotAFolder)
        return folder;
    PathResult<FolderPath> file = FolderPath::Resolve(text, {rules.longest, false});
    if (file && IsZipBackup(*file))
        return file;
    return folder;
}

bool IsZipBackup(const FolderPath& backup)
{
    const std::wstring& full = backup.Full();
    return full.size() > 4 && SameFileName(full.substr(full.size() - 4), L".zip");
}

std::wstring MakePrivateFolder(const std::wstring& tempFolder, const wchar_t* kind)
{
    static LONG counter = 0;
    for (unsigned k = 0; k < kMostFolderNames; ++k) {
        const std::wstring path = WithBackslash(tempFolder) + kind + std::to_wstring(::GetCurrentProcessId()) +
                                  L"-" + std::to_wstring(::InterlockedIncrement(&counter));
        if (::CreateDirectoryW(path.c_str(), nullptr))
            return path;
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            return std::wstring();
    }
    return std::wstring();
}

void RemoveFolderTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW entry = {};
    UniqueFindHandle find(::FindFirstFileW((WithBackslash(folder) + L"*").c_str(), &entry));
    if (find) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = WithBackslash(folder) + name;
            const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (isFolder && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                RemoveFolderTree(path);
                continue;
            }
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!(isFolder ? ::RemoveDirectoryW(path.c_str()) : ::DeleteFileW(path.c_str())))
                TraceFailure(L"removing an extracted file", ::GetLastError());
        } while (::FindNextFileW(find.get(), &entry));
    }
    find.reset();
    if (!::RemoveDirectoryW(folder.c_str()))
        TraceFailure(L"removing the extraction folder", ::GetLastError());
}

ExtractedZip::~ExtractedZip()
{
    RemoveFolderTree(folder.Full());
}

std::unique_ptr<ExtractedZip> ExtractedZip::Extract(const std::wstring& zipFile, const std::wstring& tempFolder,
                                                    IProgressReporter& reporter, ZipProblem& problem)
{
    problem = ZipProblem();
    UniqueFileHandle zip(::CreateFileW(zipFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!zip) {
        problem.reason = ZipRefusal::NotAZip;
        return nullptr;
    }
    const std::wstring made = MakePrivateFolder(tempFolder, L"Tarnwick-zip-");
    PathResult<FolderPath> folder =
        made.empty() ? PathRefusal::CannotOpen : FolderPath::Resolve(made, {kClassicPathLength, true});
    if (!folder) {
        if (!made.empty())
            RemoveFolderTree(made);
        problem.reason = ZipRefusal::CannotWrite;
        return nullptr;
    }
    // Owned from here on: the folder goes with it, whatever happens.
    std::unique_ptr<ExtractedZip> extracted(new ExtractedZip(*std::move(folder)));
    problem = extracted->ExtractAll(zip.get(), reporter);
    if (problem)
        return nullptr;
    return extracted;
}

ZipProblem ExtractedZip::ExtractAll(HANDLE zipFile, IProgressReporter& reporter) const
{
    zip::ZipReader reader(zipFile);
    const zip::ReadFault fault = reader.ReadDirectory();
    if (fault != zip::ReadFault::None) {
        const std::vector<zip::CentralEntry>& entries = reader.Entries();
        const size_t at = reader.FaultEntry();
        return {RefusalOf(fault), at < entries.size() ? zip::NameText(entries[at].name, true) : std::wstring()};
    }
    // The whole directory is judged before anything is written.
    std::vector<CheckedEntry> checked;
    ZipProblem problem = CheckCentralDirectory(reader.Entries(), folder, FreeBytes(folder.Full()), checked);
    std::vector<zip::LocalEntry> locals;
    if (!problem)
        problem = CheckLocalHeaders(reader, locals);
    if (problem)
        return problem;
    const auto goOn = [&reporter] { return reporter.Progress(0.0); };
    for (const CheckedEntry& entry : checked) {
        const std::wstring shown = zip::NameText(entry.central->name, true);
        const std::wstring& relative = entry.path.relative;
        const size_t slash = relative.rfind(L'\\');
        const std::wstring parent = entry.folder ? relative : relative.substr(0, slash == std::wstring::npos ? 0 : slash);
        if (!parent.empty() && !MakeFolders(folder, parent))
            return {ZipRefusal::CannotWrite, shown};
        if (entry.folder)
            continue;
        UniqueFileHandle out(::CreateFileW(entry.path.full.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out)
            return {ZipRefusal::CannotWrite, shown};
        // Written only where the folder is, as the system opens it: a file that a link put
        // elsewhere goes again, unwritten.
        if (!folder.IsOpenedInside(out.get())) {
            FILE_DISPOSITION_INFO gone = {TRUE};
            ::SetFileInformationByHandle(out.get(), FileDispositionInfo, &gone, sizeof(gone));
            return {ZipRefusal::CannotWrite, shown};
        }
        const size_t index = static_cast<size_t>(entry.central - reader.Entries().data());
        const zip::ReadFault extracted = reader.Extract(*entry.central, locals[index], out.get(), goOn);
        if (extracted != zip::ReadFault::None)
            return {RefusalOf(extracted), shown};
        FILETIME time = {};
        if (FileTimeOf(*entry.central, time))
            ::SetFileTime(out.get(), &time, nullptr, &time);
    }
    return {};
}
