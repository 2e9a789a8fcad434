#include "backup/PackageSources.h"

#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "platform/FileNameCompare.h"
#include "platform/Handles.h"
#include "platform/InfFileQueue.h"
#include "platform/InfText.h"
#include "platform/MachinePlatform.h"

namespace {

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

// A source disk's path is a folder of the package, its top included ("", "\"): a name below
// it must be inside (a drive or a share of its own never is).
PathRefusal DiskPathRefusal(const FolderPath& folder, std::wstring path)
{
    while (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/'))
        path.pop_back();
    if (path.empty() || path == L"\\" || path == L"/")
        return PathRefusal::None;
    return folder.Inside(path + L"\\f").refusal();
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

// A queued file: its source must lie inside the folder, and be there as opened.
void TakeQueued(const FolderPath& folder, const FILEPATHS_W& paths, std::set<std::wstring, FileNameLess>& seen,
                SourceCheck& check)
{
    const std::wstring given = paths.Source ? paths.Source : L"";
    const std::optional<std::wstring> relative = folder.RelativeName(given);
    const PathResult<PathInside> inside = relative ? folder.Inside(*relative) : PathRefusal::Outside;
    if (!inside) {
        if (check.error.empty())
            check.error = SourceRefusalText(inside.refusal(), relative.value_or(given));
        return;
    }
    PackageFile file;
    file.source = inside->full;
    file.target = paths.Target ? paths.Target : L"";
    const bool first = seen.insert(inside->full).second;
    if (Take(OpenSource(folder, inside->full, file), inside->relative, first, check))
        check.files.push_back(file);
}

// Queues the install sections as this machine installs them, each with its co-installers,
// and takes every queued file.
bool ScanQueue(HINF inf, const FolderPath& folder, const std::vector<std::wstring>& sections, SourceCheck& check)
{
    InfFileQueue queue(inf);
    for (const std::wstring& section : sections) {
        const std::wstring actual = ActualSection(inf, section);
        if (queue.Add(actual.empty() ? section : actual, folder.Full()))
            continue;
        switch (queue.Refusal()) {
        case QueueRefusal::NoQueue:
            check.error = L"no file queue could be opened";
            break;
        case QueueRefusal::NoSection:
            check.error = L"the INF has no install section " + section;
            break;
        case QueueRefusal::EntryTooLong:
            check.error = L"a file entry of " + queue.RefusedSection() + L" is longer than the setup services take";
            break;
        default:
            check.error = L"the files of " + queue.RefusedSection() + L" cannot be queued";
            break;
        }
        return false;
    }
    std::set<std::wstring, FileNameLess> seen;
    if (queue.Scan([&](const FILEPATHS_W& paths) {
            TakeQueued(folder, paths, seen, check);
            return true;
        }) != QueueScan::Finished) {
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
