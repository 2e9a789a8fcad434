#include "backup/PackageSources.h"

#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "platform/FileNameCompare.h"
#include "platform/Handles.h"
#include "platform/InfText.h"
#include "platform/MachinePlatform.h"
#include "platform/Trace.h"

namespace {

const DWORD kDiskPathField = 4;
const DWORD kDiskIdField = 1;
const DWORD kSubdirectoryField = 2;

// The file at path, or its compressed form on installation media (its name ending in "_"),
// opened inside the folder: its size, or why it cannot be used (NotFound for a folder too).
PathRefusal OpenSource(const FolderPath& folder, const std::wstring& path, PackageFile& file)
{
    PathResult<UniqueFileHandle> opened = folder.OpenInside(path);
    file.compressed = opened.refusal() == PathRefusal::NotFound;
    if (file.compressed) {
        std::wstring compressed = path;
        compressed.back() = L'_';
        opened = folder.OpenInside(compressed);
    }
    if (!opened)
        return opened.refusal();
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!::GetFileInformationByHandle(opened->get(), &information))
        return PathRefusal::CannotOpen;
    if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return PathRefusal::NotFound;
    file.size = (static_cast<unsigned long long>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
    return PathRefusal::None;
}

// Whether a file the check found is to be used: false with the reason when it is missing
// (listed) or may not be used (check.error).
bool Take(PathRefusal refusal, const std::wstring& relative, bool listMissing, SourceCheck& check)
{
    if (refusal == PathRefusal::None)
        return true;
    if (refusal != PathRefusal::NotFound) {
        if (check.error.empty())
            check.error = SourceRefusalText(refusal, relative);
    } else if (listMissing) {
        check.missing.push_back(relative);
    }
    return false;
}

// The section with the decoration this system installs ("Install.NTamd64" before "Install.NT"
// before "Install"); empty when the INF has none of them.
std::wstring ActualSection(HINF inf, const std::wstring& section)
{
    DWORD needed = 0;
    if (!::SetupDiGetActualSectionToInstallW(inf, section.c_str(), nullptr, 0, &needed, nullptr) || needed == 0)
        return std::wstring();
    std::vector<wchar_t> buffer(needed);
    if (!::SetupDiGetActualSectionToInstallW(inf, section.c_str(), buffer.data(), needed, nullptr, nullptr))
        return std::wstring();
    return buffer.data();
}

// The sections this machine reads, the decorated one first.
std::vector<std::wstring> PlatformSections(const wchar_t* base)
{
    return {std::wstring(base) + L"." + MachineDecoration(), base};
}

// A source disk's path is a folder of the package, its top included ("", "\"): a name below
// it must be inside.
PathRefusal DiskPathRefusal(const FolderPath& folder, const std::wstring& path)
{
    size_t start = 0;
    while (start < path.size() && (path[start] == L'\\' || path[start] == L'/'))
        ++start;
    if (start == path.size())
        return PathRefusal::None;
    return folder.Inside(path.substr(start) + L"\\f").refusal();
}

// Every source disk's path and every file's subdirectory and name, as the INF's lines give
// them, resolved under the folder. Sets error at the first that may not be used.
bool CheckSourceLines(HINF inf, const FolderPath& folder, std::wstring& error)
{
    std::map<int, std::wstring> diskPaths;
    for (const std::wstring& section : PlatformSections(L"SourceDisksNames")) {
        INFCONTEXT line = {};
        for (BOOL found = ::SetupFindFirstLineW(inf, section.c_str(), nullptr, &line); found;
             found = ::SetupFindNextLine(&line, &line)) {
            const std::wstring path = ReadInfField(line, kDiskPathField);
            const PathRefusal refusal = DiskPathRefusal(folder, path);
            if (refusal != PathRefusal::None) {
                error = SourceRefusalText(refusal, path);
                return false;
            }
            INT id = 0;
            if (::SetupGetIntField(&line, 0, &id))
                diskPaths.emplace(id, path);  // the decorated section's line comes first and stays
        }
    }
    for (const std::wstring& section : PlatformSections(L"SourceDisksFiles")) {
        INFCONTEXT line = {};
        for (BOOL found = ::SetupFindFirstLineW(inf, section.c_str(), nullptr, &line); found;
             found = ::SetupFindNextLine(&line, &line)) {
            INT id = 0;
            ::SetupGetIntField(&line, kDiskIdField, &id);
            const auto disk = diskPaths.find(id);
            std::wstring relative;
            for (const std::wstring& part : {disk == diskPaths.end() ? std::wstring() : disk->second,
                                             ReadInfField(line, kSubdirectoryField), ReadInfField(line, 0)}) {
                if (!part.empty())
                    relative += (relative.empty() ? L"" : L"\\") + part;
            }
            const PathRefusal refusal = folder.Inside(relative).refusal();
            if (refusal != PathRefusal::None) {
                error = SourceRefusalText(refusal, relative);
                return false;
            }
        }
    }
    return true;
}

// Every catalog the INF names, each resolved inside the folder, each once.
bool ResolveCatalogs(HINF inf, const FolderPath& folder, SourceCheck& check)
{
    for (const std::wstring& name : ReadCatalogNames(inf, L"." + NtMachineDecoration())) {
        const PathResult<PathInside> catalog = folder.Inside(name);
        if (!catalog) {
            check.error = SourceRefusalText(catalog.refusal(), name);
            return false;
        }
        bool known = false;
        for (const std::wstring& listed : check.catalogs)
            known = known || SameFileName(listed, catalog->full);
        if (!known)
            check.catalogs.push_back(catalog->full);
    }
    return true;
}

struct ScanContext {
    const FolderPath* folder = nullptr;
    std::set<std::wstring, FileNameLess> seen;
    SourceCheck* check = nullptr;
    bool failed = false;
};

void ScanOne(ScanContext& scan, const FILEPATHS_W& paths)
{
    const std::wstring given = paths.Source ? paths.Source : L"";
    const std::optional<std::wstring> relative = scan.folder->RelativeName(given);
    const PathResult<PathInside> inside = relative ? scan.folder->Inside(*relative) : PathRefusal::Outside;
    if (!inside) {
        if (scan.check->error.empty())
            scan.check->error = SourceRefusalText(inside.refusal(), relative.value_or(given));
        return;
    }
    PackageFile file;
    file.source = inside->full;
    file.target = paths.Target ? paths.Target : L"";
    const bool first = scan.seen.insert(inside->full).second;
    if (Take(OpenSource(*scan.folder, inside->full, file), inside->relative, first, *scan.check))
        scan.check->files.push_back(file);
}

UINT CALLBACK ScanSources(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR) noexcept
{
    auto* scan = static_cast<ScanContext*>(context);
    if (notification != SPFILENOTIFY_QUEUESCAN_EX || !param1)
        return NO_ERROR;
    // Nothing may escape into the setup services' scan loop.
    try {
        ScanOne(*scan, *reinterpret_cast<const FILEPATHS_W*>(param1));
        return NO_ERROR;
    } catch (...) {
        TraceFailure(L"package source scan");
        scan->failed = true;
        return ERROR_OUTOFMEMORY;
    }
}

bool QueueSection(HINF inf, HSPFILEQ queue, const std::wstring& section, const std::wstring& folder,
                  std::wstring& error)
{
    const std::wstring actual = ActualSection(inf, section);
    if (actual.empty() || !InfHasSection(inf, actual)) {
        error = L"the INF has no install section " + section;
        return false;
    }
    if (!::SetupInstallFilesFromInfSectionW(inf, nullptr, queue, actual.c_str(), folder.c_str(), 0)) {
        error = L"the files of " + actual + L" cannot be queued";
        return false;
    }
    const std::wstring coInstallers = actual + L".CoInstallers";
    if (InfHasSection(inf, coInstallers) &&
        !::SetupInstallFilesFromInfSectionW(inf, nullptr, queue, coInstallers.c_str(), folder.c_str(), 0)) {
        error = L"the files of " + coInstallers + L" cannot be queued";
        return false;
    }
    return true;
}

bool ScanQueue(HINF inf, const FolderPath& folder, const std::vector<std::wstring>& sections, SourceCheck& check)
{
    UniqueFileQueue queue(::SetupOpenFileQueue());
    if (!queue) {
        check.error = L"no file queue could be opened";
        return false;
    }
    for (const std::wstring& section : sections) {
        if (!QueueSection(inf, queue.get(), section, folder.Full(), check.error))
            return false;
    }
    ScanContext context;
    context.folder = &folder;
    context.check = &check;
    DWORD result = 0;
    if (!::SetupScanFileQueueW(queue.get(), SPQ_SCAN_USE_CALLBACKEX, nullptr, ScanSources, &context, &result) ||
        context.failed) {
        check.error = L"the file queue cannot be scanned";
        return false;
    }
    return check.error.empty();
}

} // namespace

std::wstring PackageRefusalText(PathRefusal refusal)
{
    if (refusal == PathRefusal::Outside)
        return L"outside the package folder";
    return refusal == PathRefusal::NotFound ? L"missing" : RefusalText(refusal);
}

std::wstring SourceRefusalText(PathRefusal refusal, const std::wstring& path)
{
    return PackageRefusalText(refusal) + L": " + path;
}

bool CheckSources(HINF inf, const FolderPath& folder, const std::vector<std::wstring>& sections, SourceCheck& check)
{
    if (!CheckSourceLines(inf, folder, check.error) || !ResolveCatalogs(inf, folder, check) ||
        !ScanQueue(inf, folder, sections, check))
        return false;
    for (const std::wstring& catalog : check.catalogs) {
        PackageFile file;
        Take(OpenSource(folder, catalog, file), *folder.RelativeName(catalog), true, check);
    }
    return check.error.empty();
}
