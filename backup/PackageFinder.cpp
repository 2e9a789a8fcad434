#include "backup/PackageFinder.h"

#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>

#include <algorithm>

#include "platform/Handles.h"
#include "platform/ShellPath.h"

namespace {

bool IsDotEntry(const wchar_t* name)
{
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
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

// The search pattern of a folder; beyond MAX_PATH in the form that lifts the limit (the
// folder is a full path already).
std::wstring SearchPattern(const std::wstring& folder)
{
    const std::wstring pattern = folder + L"\\*";
    if (pattern.size() < MAX_PATH)
        return pattern;
    if (pattern.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + pattern.substr(2);
    return L"\\\\?\\" + pattern;
}

void Walk(const std::wstring& folder, const std::wstring& relative, std::vector<DriverPackage>& packages)
{
    WIN32_FIND_DATAW entry = {};
    UniqueFindHandle find(::FindFirstFileW(SearchPattern(folder).c_str(), &entry));
    if (!find)
        return;
    do {
        if (IsDotEntry(entry.cFileName))
            continue;
        const std::wstring path = folder + L"\\" + entry.cFileName;
        const std::wstring name = relative.empty() ? entry.cFileName : relative + L"\\" + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // A link could lead out of the backup, or round in a circle.
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                Walk(path, name, packages);
            continue;
        }
        DriverPackage package;
        // An INF too deep for the setup services is listed all the same: the check says why
        // it cannot be used.
        if (!HasInfExtension(entry.cFileName) || (path.size() < MAX_PATH && !IsDeviceInf(path, package.className)))
            continue;
        package.infPath = path;
        package.sourceRoot = folder;
        package.displayName = name;
        packages.push_back(std::move(package));
    } while (::FindNextFileW(find.get(), &entry));
}

} // namespace

bool HasInfExtension(const std::wstring& name)
{
    return name.size() > 4 && EqualsFoldingAsciiCase(name.substr(name.size() - 4), L".inf");
}

std::vector<DriverPackage> FindDriverPackages(const std::wstring& folder)
{
    std::vector<DriverPackage> packages;
    std::wstring root = folder;
    while (root.size() > 3 && root.back() == L'\\')
        root.pop_back();
    const DWORD attributes = ::GetFileAttributesW(root.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return packages;
    Walk(root, std::wstring(), packages);
    std::sort(packages.begin(), packages.end(), [](const DriverPackage& left, const DriverPackage& right) {
        return CompareFoldingAsciiCase(left.displayName, right.displayName) < 0;
    });
    return packages;
}

bool ResolveBackupFolder(const std::wstring& given, std::wstring& full)
{
    full = FullPathOf(given);
    if (full.empty()) {
        full = given;
        return false;
    }
    while (full.size() > 3 && full.back() == L'\\')
        full.pop_back();
    const DWORD attributes = ::GetFileAttributesW(full.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
