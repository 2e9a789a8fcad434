#include "backup/PackageFinder.h"

#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/FileNameCompare.h"
#include "platform/Handles.h"
#include "platform/ShellPath.h"

namespace {

bool IsDotEntry(const wchar_t* name)
{
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// Whether the file at path is inside the folder as the system opens it: an INF that is a link
// out of the package is not read at all.
bool LiesInside(const FolderPath& folder, const std::wstring& path)
{
    return folder.OpenInside(path).refusal() != PathRefusal::Outside;
}

// A device INF names a setup class; an INF that installs something else (a font, a
// service) names none, and neither does a file that is no INF at all.
bool IsDeviceInf(const std::wstring& path, std::wstring& className)
{
    GUID classGuid = {};
    wchar_t name[MAX_CLASS_NAME_LEN] = L"";
    if (!::SetupDiGetINFClassW(path.c_str(), &classGuid, name, MAX_CLASS_NAME_LEN, nullptr))
        return false;
    className = name;
    return true;
}

// The search pattern of a folder (a full path with its closing backslash), at any length.
std::wstring SearchPattern(const std::wstring& folder)
{
    return OpenablePath(folder + L"*");
}

// The folders under the backup folder are walked as the system lists them; each package gets
// its own folder, made from the backup folder and its relative name.
void Walk(const FolderPath& backup, const std::wstring& relative, std::vector<DriverPackage>& packages)
{
    const std::wstring folder = backup.WithSeparator() + (relative.empty() ? relative : relative + L"\\");
    WIN32_FIND_DATAW entry = {};
    UniqueFindHandle find(::FindFirstFileW(SearchPattern(folder).c_str(), &entry));
    if (!find)
        return;
    std::optional<FolderPath> packageFolder;
    do {
        if (IsDotEntry(entry.cFileName))
            continue;
        const std::wstring name = relative.empty() ? entry.cFileName : relative + L"\\" + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // A link could lead out of the backup, or round in a circle.
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                Walk(backup, name, packages);
            continue;
        }
        if (!HasInfExtension(entry.cFileName))
            continue;
        if (!packageFolder) {
            PathResult<FolderPath> made = relative.empty() ? PathResult<FolderPath>(backup)
                                                           : backup.Folder(relative, {kLongPathLength, true});
            if (!made)
                return;
            packageFolder = *std::move(made);
        }
        DriverPackage package;
        package.infPath = folder + entry.cFileName;
        // An INF too deep for the setup services, or one that leads out of its folder, is
        // listed all the same: the check says why it cannot be used.
        if (package.infPath.size() < MAX_PATH && LiesInside(*packageFolder, package.infPath) &&
            !IsDeviceInf(package.infPath, package.className))
            continue;
        package.folder = packageFolder;
        package.displayName = name;
        packages.push_back(std::move(package));
    } while (::FindNextFileW(find.get(), &entry));
}

} // namespace

bool HasInfExtension(const std::wstring& name)
{
    return name.size() > 4 && SameFileName(name.substr(name.size() - 4), L".inf");
}

std::vector<DriverPackage> FindDriverPackages(const FolderPath& folder)
{
    std::vector<DriverPackage> packages;
    Walk(folder, std::wstring(), packages);
    std::sort(packages.begin(), packages.end(), [](const DriverPackage& left, const DriverPackage& right) {
        return CompareFoldingAsciiCase(left.displayName, right.displayName) < 0;
    });
    return packages;
}
