#include "backup/PackageSources.h"

#include <map>
#include <set>
#include <vector>

#include "platform/FileNameCompare.h"
#include "platform/Handles.h"
#include "platform/InfText.h"
#include "platform/MachinePlatform.h"
#include "platform/ShellPath.h"
#include "platform/Trace.h"

namespace {

const wchar_t kOutside[] = L"outside the package folder: ";

const DWORD kDiskPathField = 4;
const DWORD kDiskIdField = 1;
const DWORD kSubdirectoryField = 2;

// The file, or its compressed form on installation media (its name ending in "_"), and its size.
bool SourceExists(const std::wstring& path, PackageFile& file)
{
    if (path.empty())
        return false;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    std::wstring compressed = path;
    compressed.back() = L'_';
    file.compressed = !::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    if (file.compressed && !::GetFileAttributesExW(compressed.c_str(), GetFileExInfoStandard, &data))
        return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return false;
    file.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

std::wstring RelativeTo(const std::wstring& path, const std::wstring& root)
{
    const std::wstring prefix = WithBackslash(root);
    return IsWithinFolder(path, root) && path.size() > prefix.size() ? path.substr(prefix.size()) : path;
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

// Every source disk's path and every file's subdirectory and name, as the INF's lines give
// them, resolved under the folder. Sets error at the first that leads out of it.
bool CheckSourceLines(HINF inf, const std::wstring& folder, std::wstring& error)
{
    std::map<int, std::wstring> diskPaths;
    for (const std::wstring& section : PlatformSections(L"SourceDisksNames")) {
        INFCONTEXT line = {};
        for (BOOL found = ::SetupFindFirstLineW(inf, section.c_str(), nullptr, &line); found;
             found = ::SetupFindNextLine(&line, &line)) {
            const std::wstring path = ReadInfField(line, kDiskPathField);
            if (ResolveInside(folder, path).empty() && !path.empty()) {
                error = kOutside + path;
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
            if (ResolveInside(folder, relative).empty()) {
                error = kOutside + relative;
                return false;
            }
        }
    }
    return true;
}

struct ScanContext {
    std::wstring folder;
    std::set<std::wstring, FileNameLess> seen;
    SourceCheck* check = nullptr;
    bool failed = false;
};

void ScanOne(ScanContext& scan, const FILEPATHS_W& paths)
{
    const std::wstring source = paths.Source ? FullPathOf(paths.Source) : std::wstring();
    if (source.empty() || !IsWithinFolder(source, scan.folder)) {
        if (scan.check->error.empty())
            scan.check->error = kOutside + std::wstring(paths.Source ? paths.Source : L"");
        return;
    }
    PackageFile file;
    file.source = source;
    file.target = paths.Target ? paths.Target : L"";
    const bool present = SourceExists(source, file);
    if (present)
        scan.check->files.push_back(file);
    if (scan.seen.insert(source).second && !present)
        scan.check->missing.push_back(RelativeTo(source, scan.folder));
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

bool ScanQueue(HINF inf, const std::wstring& folder, const std::vector<std::wstring>& sections, SourceCheck& check)
{
    UniqueFileQueue queue(::SetupOpenFileQueue());
    if (!queue) {
        check.error = L"no file queue could be opened";
        return false;
    }
    for (const std::wstring& section : sections) {
        if (!QueueSection(inf, queue.get(), section, folder, check.error))
            return false;
    }
    ScanContext context;
    context.folder = folder;
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

std::wstring ResolveInside(const std::wstring& folder, const std::wstring& relative)
{
    // A drive ("C:\x", "C:x") or a share ("\\server\x") of its own is never inside.
    const bool drive = relative.size() >= 2 && relative[1] == L':';
    const bool share = relative.size() >= 2 && (relative[0] == L'\\' || relative[0] == L'/') &&
                       (relative[1] == L'\\' || relative[1] == L'/');
    if (drive || share)
        return std::wstring();
    // A leading backslash means the package folder's top, as installation media read it.
    size_t start = 0;
    while (start < relative.size() && (relative[start] == L'\\' || relative[start] == L'/'))
        ++start;
    const std::wstring full = FullPathOf(folder + L"\\" + relative.substr(start));
    if (full.empty())
        return std::wstring();
    return IsWithinFolder(full, folder) ? full : std::wstring();
}

bool CheckSources(HINF inf, const std::wstring& folder, const std::vector<std::wstring>& sections, SourceCheck& check)
{
    if (!CheckSourceLines(inf, folder, check.error))
        return false;
    const std::wstring catalog = ReadCatalogName(inf, L"." + NtMachineDecoration());
    if (!catalog.empty()) {
        check.catalogPath = ResolveInside(folder, catalog);
        if (check.catalogPath.empty()) {
            check.error = kOutside + catalog;
            return false;
        }
    }
    if (!ScanQueue(inf, folder, sections, check))
        return false;
    PackageFile catalogFile;
    if (!catalog.empty() && !SourceExists(check.catalogPath, catalogFile))
        check.missing.push_back(RelativeTo(check.catalogPath, folder));
    return true;
}
