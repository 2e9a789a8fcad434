#include "restore/BackupDecision.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <map>
#include <utility>

#include "platform/Handles.h"
#include "platform/ShellPath.h"
#include "backup/DriverVersion.h"

namespace {

// The packages that the check found usable: matched to devices (or to none) with all their files.
bool Usable(const DriverPackage& package)
{
    return package.outcome == PackageOutcome::ToInstall || package.outcome == PackageOutcome::ToStage ||
           package.outcome == PackageOutcome::Newer;
}

bool Competes(const DriverPackage& package)
{
    return package.outcome == PackageOutcome::ToInstall || package.outcome == PackageOutcome::Newer;
}

bool ShareADevice(const DriverPackage& left, const DriverPackage& right)
{
    for (const MatchedDevice& one : left.devices) {
        for (const MatchedDevice& other : right.devices) {
            if (EqualsFoldingAsciiCase(one.instanceId, other.instanceId))
                return true;
        }
    }
    return false;
}

// "mm/dd/yyyy" as yyyymmdd; 0 when it is not such a date.
unsigned long DateKey(const std::wstring& date)
{
    unsigned month = 0, day = 0, year = 0;
    wchar_t rest = 0;
    if (std::swscanf(date.c_str(), L"%u/%u/%u%lc", &month, &day, &year, &rest) != 3 || month > 12 || day > 31)
        return 0;
    return year * 10000ul + month * 100ul + day;
}

// A file of a package, opened inside its folder as every file read from a backup is.
UniqueFileHandle OpenInPackage(const DriverPackage& package, const std::wstring& path)
{
    if (!package.folder)
        return UniqueFileHandle();
    PathResult<UniqueFileHandle> opened = package.folder->OpenInside(path);
    return opened ? *std::move(opened) : UniqueFileHandle();
}

bool FileSize(HANDLE file, unsigned long long& size)
{
    LARGE_INTEGER length = {};
    if (!::GetFileSizeEx(file, &length))
        return false;
    size = static_cast<unsigned long long>(length.QuadPart);
    return true;
}

// The file of one package holds the same bytes as the file of the other.
bool SameBytes(const DriverPackage& leftPackage, const std::wstring& left, const DriverPackage& rightPackage,
               const std::wstring& right)
{
    const UniqueFileHandle one = OpenInPackage(leftPackage, left);
    const UniqueFileHandle two = OpenInPackage(rightPackage, right);
    unsigned long long leftSize = 0, rightSize = 0;
    if (!one || !two || !FileSize(one.get(), leftSize) || !FileSize(two.get(), rightSize) || leftSize != rightSize)
        return false;
    std::vector<char> first(64 * 1024), second(64 * 1024);
    for (;;) {
        DWORD readOne = 0, readTwo = 0;
        if (!::ReadFile(one.get(), first.data(), static_cast<DWORD>(first.size()), &readOne, nullptr) ||
            !::ReadFile(two.get(), second.data(), static_cast<DWORD>(second.size()), &readTwo, nullptr) ||
            readOne != readTwo)
            return false;
        if (readOne == 0)
            return true;
        if (std::memcmp(first.data(), second.data(), readOne) != 0)
            return false;
    }
}

// Both are the same package: the same INF bytes and as many catalogs, each of the same bytes
// as the other's in its place.
bool SamePackage(const DriverPackage& left, const DriverPackage& right)
{
    if (left.catalogs.size() != right.catalogs.size() || !SameBytes(left, left.infPath, right, right.infPath))
        return false;
    for (size_t i = 0; i < left.catalogs.size(); ++i) {
        if (!SameBytes(left, left.catalogs[i], right, right.catalogs[i]))
            return false;
    }
    return true;
}

} // namespace

bool IsPreferredPackage(const DriverPackage& left, const DriverPackage& right)
{
    int order = 0;
    if (CompareDriverVersions(left.version, right.version, order)) {
        if (order != 0)
            return order > 0;
        return DateKey(left.date) > DateKey(right.date);
    }
    // A version that can be read beats one that cannot; two unreadable ones are equal.
    return CompareDriverVersions(left.version, left.version, order) &&
           !CompareDriverVersions(right.version, right.version, order);
}

void MergeIdenticalPackages(std::vector<DriverPackage>& packages)
{
    // Only packages of the same INF size can be the same; most backups have none alike.
    std::multimap<unsigned long long, size_t> bySize;
    std::vector<bool> merged(packages.size(), false);
    for (size_t i = 0; i < packages.size(); ++i) {
        unsigned long long size = 0;
        const UniqueFileHandle inf = Usable(packages[i]) ? OpenInPackage(packages[i], packages[i].infPath) : UniqueFileHandle();
        if (!inf || !FileSize(inf.get(), size))
            continue;
        const auto same = bySize.equal_range(size);
        for (auto candidate = same.first; candidate != same.second; ++candidate) {
            DriverPackage& first = packages[candidate->second];
            if (SamePackage(first, packages[i])) {
                first.sameIn.push_back(packages[i].displayName);
                merged[i] = true;
                break;
            }
        }
        if (!merged[i])
            bySize.emplace(size, i);
    }
    std::vector<DriverPackage> kept;
    kept.reserve(packages.size());
    for (size_t i = 0; i < packages.size(); ++i) {
        if (!merged[i])
            kept.push_back(std::move(packages[i]));
    }
    packages = std::move(kept);
}

void DecideTogether(std::vector<DriverPackage>& packages)
{
    // The most preferred package first (the first in path order between equals); each takes
    // its devices, and a later one that wants a device already taken is skipped.
    std::vector<size_t> order;
    for (size_t i = 0; i < packages.size(); ++i) {
        if (Competes(packages[i]))
            order.push_back(i);
    }
    std::stable_sort(order.begin(), order.end(), [&packages](size_t left, size_t right) {
        return IsPreferredPackage(packages[left], packages[right]);
    });
    std::vector<size_t> winners;
    for (const size_t candidate : order) {
        DriverPackage& package = packages[candidate];
        for (const size_t winner : winners) {
            if (ShareADevice(packages[winner], package)) {
                package.newerPackage = packages[winner].displayName;
                break;
            }
        }
        if (package.newerPackage.empty())
            winners.push_back(candidate);
        else
            package.outcome = PackageOutcome::NewerInBackup;
    }
}
