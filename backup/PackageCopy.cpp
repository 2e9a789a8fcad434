#include "backup/PackageCopy.h"

#include <windows.h>

#include "backup/ExtractedZip.h"
#include "platform/FileCopy.h"
#include "platform/Handles.h"
#include "platform/ShellPath.h"
#include "platform/Trace.h"

namespace {

bool IsDotEntry(const wchar_t* name)
{
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// Copies the files of from's subfolder relative (empty: its top) into the same place in to.
// False with the system's error code in GetLastError.
bool CopyTree(const FolderPath& from, const FolderPath& to, const std::wstring& relative)
{
    const std::wstring prefix = relative.empty() ? relative : relative + L"\\";
    WIN32_FIND_DATAW entry = {};
    UniqueFindHandle find(::FindFirstFileW(OpenablePath(from.WithSeparator() + prefix + L"*").c_str(), &entry));
    if (!find)
        return false;
    do {
        if (IsDotEntry(entry.cFileName) || (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        const std::wstring name = prefix + entry.cFileName;
        const PathResult<PathInside> target = to.Inside(name, kAnyLength);
        if (!target) {
            ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return false;
        }
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!::CreateDirectoryW(target->Openable().c_str(), nullptr) || !CopyTree(from, to, name))
                return false;
            continue;
        }
        const PathResult<PathInside> source = from.Inside(name, kAnyLength);
        PathResult<UniqueFileHandle> opened = source ? from.OpenInside(source->full) : source.refusal();
        FILETIME written = {};
        if (!opened || !::GetFileTime(opened->get(), nullptr, nullptr, &written)) {
            ::SetLastError(opened.refusal() == PathRefusal::Outside ? ERROR_ACCESS_DENIED : ::GetLastError());
            return false;
        }
        if (!CopyFileStamped(opened->get(), target->Openable(), written))
            return false;
    } while (::FindNextFileW(find.get(), &entry));
    return ::GetLastError() == ERROR_NO_MORE_FILES;
}

} // namespace

PackageCopy::~PackageCopy()
{
    RemoveFolderTree(folder.Full());
}

std::shared_ptr<PackageCopy> PackageCopy::Make(const FolderPath& from, const std::wstring& tempFolder,
                                               std::wstring& error)
{
    const std::wstring made = MakePrivateFolder(tempFolder, L"Tarnwick-package-");
    PathResult<FolderPath> folder =
        made.empty() ? PathRefusal::CannotOpen : FolderPath::Resolve(made, {kClassicPathLength, true});
    if (!folder) {
        error = SystemErrorText(::GetLastError());
        if (!made.empty())
            RemoveFolderTree(made);
        return nullptr;
    }
    // Owned from here on: the folder goes with it, whatever happens.
    std::shared_ptr<PackageCopy> copy(new PackageCopy(*std::move(folder)));
    if (!CopyTree(from, copy->folder, std::wstring())) {
        error = SystemErrorText(::GetLastError());
        return nullptr;
    }
    return copy;
}

bool FitsSetupServices(const DriverPackage& package)
{
    return package.infPath.size() < MAX_PATH;
}

bool UseShortCopy(DriverPackage& package, const std::wstring& tempFolder, std::wstring& error)
{
    const std::optional<std::wstring> relative =
        package.folder ? package.folder->RelativeName(package.infPath) : std::nullopt;
    if (!relative)
        return false;
    std::shared_ptr<PackageCopy> copy = PackageCopy::Make(*package.folder, tempFolder, error);
    const PathResult<PathInside> inf = copy ? copy->Folder().Inside(*relative) : PathRefusal::CannotOpen;
    if (!inf) {
        if (copy)
            error = RefusalText(inf.refusal());
        return false;
    }
    package.folder = copy->Folder();
    package.infPath = inf->full;
    package.copy = std::move(copy);
    return true;
}
