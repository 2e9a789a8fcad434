#include "discovery/DriverFileFinder.h"

#include <algorithm>
#include <vector>

#include "discovery/ImageDriverStore.h"
#include "discovery/InfLocation.h"
#include "discovery/SourceFileLocation.h"
#include "discovery/SystemFolders.h"
#include "platform/InfText.h"
#include "platform/ShellPath.h"
#include "platform/Trace.h"

namespace {

// Directory ids that INFs of printer drivers copy to.
const DWORD kPrinterDriverDirId = 66000;
const DWORD kPrintProcessorDirId = 66001;
const DWORD kSystemDirId = 66002;

// The queue's paths may hold "." or ".." parts and doubled backslashes. One that cannot be
// canonicalised within the path limit is kept as it is rather than shortened.
std::wstring Canonical(const wchar_t* path)
{
    if (!path)
        return std::wstring();
    std::wstring canonical;
    return CanonicalizePath(path, canonical) ? canonical : std::wstring(path);
}

} // namespace

std::wstring JoinSourceName(
    const std::wstring& sourcePath, const std::wstring& subdirectory, const std::wstring& fileName)
{
    // Joined part by part rather than with the shell's path functions: they read a name that
    // merely starts with ".." as a step up, and Wine's reads before its buffer when a relative
    // path climbs above its start. A ".." that would leave the driver's folder is dropped.
    std::vector<std::wstring> parts;
    for (const std::wstring* piece : {&sourcePath, &subdirectory, &fileName}) {
        for (size_t start = 0; start <= piece->size();) {
            const size_t end = std::min(piece->find(L'\\', start), piece->size());
            const std::wstring part = piece->substr(start, end - start);
            if (part == L"..") {
                if (!parts.empty())
                    parts.pop_back();
            } else if (!part.empty() && part != L".") {
                parts.push_back(part);
            }
            start = end + 1;
        }
    }
    std::wstring name;
    for (const std::wstring& part : parts)
        name += (name.empty() ? L"" : L"\\") + part;
    // Never the bare file name instead: the file would land at the top of the folder, away
    // from where the driver's installer looks for it.
    return name.size() < MAX_PATH ? name : std::wstring();
}

const wchar_t kSearchStoppedReason[] = L"The search was stopped.";

bool IsPublishedOemInfName(const std::wstring& name)
{
    const std::wstring folded = FoldAsciiCase(name);
    const size_t digits = folded.size() - std::min(folded.size(), std::wstring(L"oem.inf").size());
    if (digits == 0 || folded.compare(0, 3, L"oem") != 0 || folded.compare(3 + digits, 4, L".inf") != 0)
        return false;
    for (size_t i = 3; i < 3 + digits; ++i) {
        if (folded[i] < L'0' || folded[i] > L'9')
            return false;
    }
    return true;
}

DriverFileFinder::DriverFileFinder(DeviceInfo& device, IFileReporter& reporter, const SystemFolders& folders,
                                   FileSearchIndex* searchIndex, const DriverStore& store)
    : reporter(&reporter)
    , device(&device)
    , searchIndex(searchIndex)
    , store(&store)
    , folders(folders)
{
    if (!folders.imageRoot.empty()) {
        imageStore = std::make_unique<DriverStore>(ImageDriverStore(folders));
        this->store = imageStore.get();
    }
}

bool DriverFileFinder::Run()
{
    reason.clear();
    if (device->files.empty()) {
        if (!Build()) {
            device->files.clear();
            return Fail(kSearchStoppedReason);
        }
    } else {
        const double n = static_cast<double>(device->files.size());
        for (size_t i = 0; i < device->files.size(); ++i) {
            if (!reporter->Progress(static_cast<double>(i + 1) / n))
                return Fail(kSearchStoppedReason);
            reporter->OnFile(device->files[i]);
        }
    }
    return reporter->Progress(1.0) || Fail(kSearchStoppedReason);
}

bool DriverFileFinder::Fail(const std::wstring& why)
{
    // The first reason is the one that ended the search; a stop reported after it is its echo.
    if (reason.empty())
        reason = why;
    return false;
}

bool DriverFileFinder::Build()
{
    InfChoice choice;
    if (!ChooseInf(*device, folders, choice, *store))
        return Fail(L"The driver's INF file " + device->infPath + L" was not found.");
    const std::wstring section = device->infSection + device->infSectionExt;

    UINT errorLine = 0;
    inf.reset(::SetupOpenInfFileW(choice.chosenInf.c_str(), nullptr, INF_STYLE_WIN4, &errorLine));
    if (!inf) {
        const DWORD error = ::GetLastError();
        return Fail(L"The INF file " + choice.chosenInf + L" could not be read (line " + std::to_wstring(errorLine) +
                    L"): " + SystemErrorText(error));
    }
    AppendLayoutInfs();
    ::SetupSetDirectoryIdW(inf.get(), kPrinterDriverDirId, folders.printerDriverDir.c_str());
    ::SetupSetDirectoryIdW(inf.get(), kPrintProcessorDirId, folders.printProcessorDir.c_str());
    ::SetupSetDirectoryIdW(inf.get(), kSystemDirId, folders.systemDir.c_str());

    if (!CollectQueuedFiles(section)) {
        inf.reset();
        return false;
    }

    // A stop asked while the catalog or the INF is added fails the build like a stop during
    // the queue scan: a set that lacks its INF must not be cached and saved later as if whole.
    const CatalogLocation catalog = LocateCatalog(inf.get(), *device, choice.chosenInf, folders.catalogDir);
    bool complete = true;
    if (!catalog.name.empty()) {
        DriverFile catalogFile;
        catalogFile.source = catalog.besideInf;
        catalogFile.target = catalog.installedCopy;
        catalogFile.name = catalog.name;
        complete = AddFile(std::move(catalogFile), false);
    }

    DriverFile infFile;
    infFile.source = choice.chosenInf;
    infFile.target = choice.folderInf;
    infFile.name = FileNamePart(choice.chosenInf);
    // An INF that the system published under an "oem" name gets back the name its catalog
    // carries, which is the name the driver package was made with. The INF stays at the top
    // of the folder, where installing from the folder looks for it, whatever folder the
    // catalog line names.
    if (IsPublishedOemInfName(infFile.name) && !catalog.name.empty()) {
        std::wstring original = FileNamePart(catalog.name);
        if (RenameExtension(original, L".inf"))
            infFile.name = original;
    }
    complete = complete && AddFile(std::move(infFile), false);

    inf.reset();
    return complete;
}

void DriverFileFinder::AppendLayoutInfs()
{
    // The setup services look a layout INF named without a folder up in this PC's INF folder;
    // an offline Windows has its own.
    if (folders.imageRoot.empty() || folders.infFolders.empty()) {
        ::SetupOpenAppendInfFileW(nullptr, inf.get(), nullptr);
        return;
    }
    INFCONTEXT line;
    if (!::SetupFindFirstLineW(inf.get(), L"Version", L"LayoutFile", &line))
        return;
    for (DWORD field = 1; field <= ::SetupGetFieldCount(&line); ++field) {
        const std::wstring layout = JoinPath(folders.infFolders.front(), FileNamePart(ReadInfField(line, field)));
        if (!layout.empty())
            ::SetupOpenAppendInfFileW(layout.c_str(), inf.get(), nullptr);
    }
}

bool DriverFileFinder::CollectQueuedFiles(const std::wstring& section)
{
    // Without its install section, its queue or any of its copy entries the set would hold
    // the INF and the catalog alone, and a device saved so has no driver.
    if (!InfHasSection(inf.get(), section))
        return Fail(L"The INF file has no section [" + section + L"].");
    UniqueFileQueue queue(::SetupOpenFileQueue());
    if (!queue)
        return Fail(L"No file queue could be opened: " + SystemErrorText(::GetLastError()));
    // A driver without co-installers has no such section, which is no error.
    const std::wstring coInstallers = section + L".CoInstallers";
    for (const std::wstring& queued : {section, coInstallers}) {
        if (queued == coInstallers && !InfHasSection(inf.get(), queued))
            continue;
        if (!CopyEntriesFit(queued))
            return Fail(L"A file entry of section [" + queued + L"] is longer than the setup services take.");
        if (!::SetupInstallFilesFromInfSectionW(inf.get(), nullptr, queue.get(), queued.c_str(), nullptr, 0))
            return Fail(L"The setup services refused section [" + queued + L"]: " + SystemErrorText(::GetLastError()));
    }

    DWORD result = 0;
    ::SetupScanFileQueueW(queue.get(), SPQ_SCAN_USE_CALLBACK, nullptr, ScanQueueCallback, this, &result);
    total += 2;
    return ::SetupScanFileQueueW(queue.get(), SPQ_SCAN_USE_CALLBACKEX, nullptr, ScanQueueCallback, this, &result)
        != FALSE;
}

bool DriverFileFinder::CopyEntriesFit(const std::wstring& section) const
{
    INFCONTEXT line;
    for (BOOL found = ::SetupFindFirstLineW(inf.get(), section.c_str(), L"CopyFiles", &line); found;
         found = ::SetupFindNextMatchLineW(&line, L"CopyFiles", &line)) {
        for (DWORD field = 1; field <= ::SetupGetFieldCount(&line); ++field) {
            const std::wstring copy = ReadInfField(line, field);
            // "@name" copies one file; any other field names a section of files.
            if (!copy.empty() && copy[0] == L'@' ? copy.size() >= MAX_PATH : !FileEntriesFit(copy))
                return false;
        }
    }
    return true;
}

bool DriverFileFinder::FileEntriesFit(const std::wstring& copySection) const
{
    INFCONTEXT line;
    for (BOOL found = ::SetupFindFirstLineW(inf.get(), copySection.c_str(), nullptr, &line); found;
         found = ::SetupFindNextLine(&line, &line)) {
        // The destination and the source name, read by the setup services into MAX_PATH buffers.
        for (DWORD field = 1; field <= 2; ++field) {
            DWORD required = 0;
            if (::SetupGetStringFieldW(&line, field, nullptr, 0, &required) && required > MAX_PATH)
                return false;
        }
    }
    return true;
}

UINT CALLBACK DriverFileFinder::ScanQueueCallback(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR)
{
    auto* finder = static_cast<DriverFileFinder*>(context);
    if (!finder)
        return 0;
    if (notification == SPFILENOTIFY_QUEUESCAN) {
        ++finder->total;
        return 0;
    }
    if (notification != SPFILENOTIFY_QUEUESCAN_EX)
        return 0;

    const auto* paths = reinterpret_cast<const FILEPATHS_W*>(param1);
    if (!paths)
        return 0;
    // Nothing may escape into the setup services' scan loop: a failure here (running out of
    // memory, or a receiver that throws) stops the scan, which fails the build.
    try {
        DriverFile file;
        // The setup services name this PC's folders as the targets; an offline Windows has
        // the installed copy in its own.
        file.target = PathInImage(Canonical(paths->Target), finder->folders);
        file.source = Canonical(paths->Source);
        return finder->AddFile(std::move(file), true) ? 0 : 1;
    } catch (...) {
        TraceFailure(L"scanning the file queue");
    }
    finder->Fail(L"The file queue could not be scanned.");
    return 1;
}

bool DriverFileFinder::AddFile(DriverFile file, bool queued)
{
    ++count;
    if (queued) {
        NameFromSource(file);
        if (file.name.empty())
            return Fail(L"The source name of " + FileNamePart(file.source) + L" does not fit the path limit.");
    }
    LocateFile(file);
    if (total != 0 && !reporter->Progress(static_cast<double>(count) / static_cast<double>(total)))
        return false;
    for (const DriverFile& stored : device->files) {
        if (stored.name == file.name)
            return true;
    }
    device->files.push_back(std::move(file));
    reporter->OnFile(device->files.back());
    return true;
}

void DriverFileFinder::NameFromSource(DriverFile& file)
{
    const std::wstring fileName = FileNamePart(file.source);
    SourceFileLocation location;
    if (!ReadSourceFileLocation(inf.get(), fileName, location)) {
        file.name = fileName;
        return;
    }

    std::wstring& sourcePath = sourcePaths[location.diskId];
    if (sourcePath.empty()) {
        wchar_t path[kPathBufferLength] = L"";
        if (!::SetupGetSourceInfoW(inf.get(), location.diskId, SRCINFO_PATH, path, kPathBufferLength, nullptr))
            path[0] = L'\0';
        sourcePath = WithoutLeadingBackslashes(path);
    }
    file.name = JoinSourceName(sourcePath, location.subdirectory, fileName);
}

void DriverFileFinder::LocateFile(DriverFile& file)
{
    // A driver of an offline Windows is saved from that Windows only, never from this PC.
    const bool image = !folders.imageRoot.empty();
    const auto usable = [&](const std::wstring& path) { return !image || IsInsideFolder(path, folders.imageRoot); };
    if ((usable(file.source) && ReadFoundFile(file.source, file)) ||
        (usable(file.target) && ReadFoundFile(file.target, file)))
        return;
    // A target outside the image's mapped folders is unknown there: its name is searched for.
    SearchTree(FileNamePart(image && file.target.empty() ? file.source : file.target), file);
}

bool DriverFileFinder::SearchTree(const std::wstring& fileName, DriverFile& file)
{
    if (!searchIndex) {
        ownSearchIndex = std::make_unique<FileSearchIndex>(SearchRoot(folders));
        searchIndex = ownSearchIndex.get();
    }
    return searchIndex->Find(fileName, file);
}
