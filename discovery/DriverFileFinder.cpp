#include "discovery/DriverFileFinder.h"

#include <algorithm>
#include <vector>

#include "discovery/ImageDriverStore.h"
#include "discovery/InfLocation.h"
#include "discovery/SearchedFileCheck.h"
#include "discovery/SourceFileLocation.h"
#include "discovery/SystemFolders.h"
#include "platform/InfFileQueue.h"
#include "platform/InfText.h"
#include "platform/ShellPath.h"
#include "platform/Trace.h"

namespace {

// Directory ids that INFs of printer drivers copy to.
const DWORD kPrinterDriverDirId = 66000;
const DWORD kPrintProcessorDirId = 66001;
const DWORD kSystemDirId = 66002;

// Why a path of an offline Windows is not taken, as the log says it.
std::wstring ImageRefusalText(PathRefusal refusal)
{
    return refusal == PathRefusal::Outside ? L"it lies outside the image" : RefusalText(refusal);
}

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
    if (folders.image) {
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
    // An INF path of an offline Windows that leads out of it names a file of this PC (or of
    // nowhere): it is not looked for at all.
    if (device->infRefusal != PathRefusal::None)
        return Fail(L"The driver's INF file " + device->infPath + L" is not taken: " +
                    ImageRefusalText(device->infRefusal) + L".");
    InfChoice choice;
    if (!ChooseInf(*device, folders, choice, *store))
        return Fail(L"The driver's INF file " + device->infPath + L" was not found.");
    const PathRefusal infRefusal = RefusalInImage(choice.chosenInf);
    if (infRefusal != PathRefusal::None)
        return Fail(L"The INF file " + choice.chosenInf + L" is not read: " + ImageRefusalText(infRefusal) + L".");
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

    // Known before the files are located: a file that only the last-resort search finds is
    // held against it.
    const CatalogLocation catalog = LocateCatalog(inf.get(), *device, choice.chosenInf, folders.catalogDir);
    searchedCheck = std::make_unique<SearchedFileCheck>(catalog, folders.image);
    if (!CollectQueuedFiles(section)) {
        inf.reset();
        return false;
    }

    // A stop asked while the catalog or the INF is added fails the build like a stop during
    // the queue scan: a set that lacks its INF must not be cached and saved later as if whole.
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
    if (!folders.image || folders.infFolders.empty()) {
        ::SetupOpenAppendInfFileW(nullptr, inf.get(), nullptr);
        return;
    }
    INFCONTEXT line;
    if (!::SetupFindFirstLineW(inf.get(), L"Version", L"LayoutFile", &line))
        return;
    for (DWORD field = 1; field <= ::SetupGetFieldCount(&line); ++field) {
        const std::wstring layout = JoinPath(folders.infFolders.front(), FileNamePart(ReadInfField(line, field)));
        if (!layout.empty() && RefusalInImage(layout) == PathRefusal::None)
            ::SetupOpenAppendInfFileW(layout.c_str(), inf.get(), nullptr);
    }
}

bool DriverFileFinder::CollectQueuedFiles(const std::wstring& section)
{
    // Without its install section, its queue or any of its copy entries the set would hold
    // the INF and the catalog alone, and a device saved so has no driver.
    InfFileQueue queue(inf.get());
    if (!queue.Add(section)) {
        const std::wstring& refused = queue.RefusedSection();
        switch (queue.Refusal()) {
        case QueueRefusal::NoQueue:
            return Fail(L"No file queue could be opened: " + SystemErrorText(queue.Error()));
        case QueueRefusal::NoSection:
            return Fail(L"The INF file has no section [" + refused + L"].");
        case QueueRefusal::EntryTooLong:
            return Fail(L"A file entry of section [" + refused + L"] is longer than the setup services take.");
        default:
            return Fail(L"The setup services refused section [" + refused + L"]: " + SystemErrorText(queue.Error()));
        }
    }
    total += queue.Count() + 2;
    const QueueScan scan = queue.Scan([this](const FILEPATHS_W& paths) {
        DriverFile file;
        // The setup services name this PC's folders as the targets; an offline Windows has
        // the installed copy in its own.
        file.target = PathInImage(Canonical(paths.Target), folders);
        file.source = Canonical(paths.Source);
        return AddFile(std::move(file), true);
    });
    if (scan == QueueScan::Failed)
        Fail(L"The file queue could not be scanned.");
    return scan == QueueScan::Finished;
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
    if (!folders.image) {
        if (ReadFoundFile(file.source, file) || ReadFoundFile(file.target, file))
            return;
        if (SearchTree(FileNamePart(file.target), file))
            CheckSearchedFile(file);
        return;
    }
    // A driver of an offline Windows is saved from that Windows only, never from this PC: each
    // copy is judged as it is opened, so that a link to this PC's file is not read.
    if (ReadInImage(file.source, file) || ReadInImage(file.target, file))
        return;
    // A target outside the image's mapped folders is unknown there: its name is searched for.
    DriverFile found;
    if (SearchTree(FileNamePart(file.target.empty() ? file.source : file.target), found)) {
        if (ReadInImage(found.path, file))
            CheckSearchedFile(file);
    } else if (found.refusal != PathRefusal::None) {
        file.refusal = found.refusal;
    }
}

void DriverFileFinder::CheckSearchedFile(DriverFile& file)
{
    // Opened as the search judged it: inside the searched folder.
    const PathResult<UniqueFileHandle> opened = searchIndex->root()->OpenInside(file.path);
    if (!opened) {
        file.path.clear();
        file.refusal = opened.refusal() == PathRefusal::Outside ? PathRefusal::Outside : PathRefusal::None;
        return;
    }
    if (searchedCheck)
        searchedCheck->Check(file, opened->get());
}

bool DriverFileFinder::ReadInImage(const std::wstring& path, DriverFile& file) const
{
    if (path.empty() || !folders.image->Contains(path))
        return false;
    const PathResult<UniqueFileHandle> opened = folders.image->OpenInside(path);
    if (opened.refusal() == PathRefusal::Outside)
        file.refusal = PathRefusal::Outside;
    return opened && ReadOpenedFile(opened->get(), path, file);
}

PathRefusal DriverFileFinder::RefusalInImage(const std::wstring& path) const
{
    if (!folders.image)
        return PathRefusal::None;
    if (!folders.image->Contains(path))
        return PathRefusal::Outside;
    return folders.image->OpenInside(path).refusal();
}

bool DriverFileFinder::SearchTree(const std::wstring& fileName, DriverFile& file)
{
    if (!searchIndex) {
        ownSearchIndex = std::make_unique<FileSearchIndex>(SearchRoot(folders));
        searchIndex = ownSearchIndex.get();
    }
    return searchIndex->Find(fileName, file);
}
