#include "backup/ZipEntryCheck.h"

#include <algorithm>
#include <cwctype>
#include <set>

#include "archive/ZipFormat.h"
#include "platform/FileNameCompare.h"

namespace {

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// The name's own faults, before it is resolved inside the folder.
ZipRefusal NameRefusal(const std::wstring& name)
{
    if (name.empty())
        return ZipRefusal::BadName;
    if (IsSeparator(name[0]))
        return ZipRefusal::AbsoluteName;
    if (name.size() >= 2 && name[1] == L':' && std::iswalpha(name[0]))
        return ZipRefusal::DriveLetter;
    if (name.find(L':') != std::wstring::npos)
        return ZipRefusal::AlternateStream;
    for (wchar_t c : name)
        if (c < 0x20)
            return ZipRefusal::BadName;
    size_t start = 0;
    while (start < name.size()) {
        size_t end = start;
        while (end < name.size() && !IsSeparator(name[end]))
            ++end;
        if (end > start && IsReservedDeviceName(name.substr(start, end - start)))
            return ZipRefusal::DeviceName;
        start = end + 1;
    }
    return ZipRefusal::None;
}

ZipRefusal InsideRefusal(PathRefusal refusal)
{
    switch (refusal) {
    case PathRefusal::DeviceName:
        return ZipRefusal::DeviceName;
    case PathRefusal::AlternateStream:
        return ZipRefusal::AlternateStream;
    case PathRefusal::TooLong:
        return ZipRefusal::TooLong;
    case PathRefusal::Empty:
        return ZipRefusal::BadName;
    default:
        return ZipRefusal::LeavesTop;
    }
}

// Each folder a relative name lies in ("a\b" for "a\b\c.sys").
std::vector<std::wstring> FoldersOf(const std::wstring& relative)
{
    std::vector<std::wstring> folders;
    for (size_t at = relative.find(L'\\'); at != std::wstring::npos; at = relative.find(L'\\', at + 1))
        folders.push_back(relative.substr(0, at));
    return folders;
}

} // namespace

ZipRefusal RefusalOf(zip::ReadFault fault)
{
    switch (fault) {
    case zip::ReadFault::None:
        return ZipRefusal::None;
    case zip::ReadFault::NotAZip:
        return ZipRefusal::NotAZip;
    case zip::ReadFault::CutShort:
        return ZipRefusal::CutShort;
    case zip::ReadFault::SizeMismatch:
    case zip::ReadFault::CrcMismatch:
        return ZipRefusal::SizesDisagree;
    case zip::ReadFault::WriteFailed:
        return ZipRefusal::CannotWrite;
    case zip::ReadFault::Stopped:
        return ZipRefusal::Stopped;
    case zip::ReadFault::Corrupt:
        break;
    }
    return ZipRefusal::Corrupt;
}

std::wstring ZipProblemText(const ZipProblem& problem)
{
    std::wstring why;
    switch (problem.reason) {
    case ZipRefusal::None: return std::wstring();
    case ZipRefusal::NotAZip: why = L"not a zip file, or one cut short"; break;
    case ZipRefusal::CutShort: why = L"the zip file is cut short"; break;
    case ZipRefusal::Corrupt: why = L"the zip file is damaged"; break;
    case ZipRefusal::BadName: why = L"a name that is empty or not valid text"; break;
    case ZipRefusal::AbsoluteName: why = L"an absolute name"; break;
    case ZipRefusal::DriveLetter: why = L"a name with a drive letter"; break;
    case ZipRefusal::LeavesTop: why = L"a name that leads outside the zip's top"; break;
    case ZipRefusal::DeviceName: why = L"a device name"; break;
    case ZipRefusal::AlternateStream: why = L"an alternate data stream"; break;
    case ZipRefusal::TooLong: why = L"the name is too long"; break;
    case ZipRefusal::SameName: why = L"the same name as another entry, in other letter case"; break;
    case ZipRefusal::Encrypted: why = L"the entry is encrypted"; break;
    case ZipRefusal::Method: why = L"compressed by a method other than stored or deflate"; break;
    case ZipRefusal::HeadersDisagree: why = L"its local header differs from the central directory"; break;
    case ZipRefusal::SizesDisagree: why = L"its data does not match its stated size and CRC"; break;
    case ZipRefusal::NoRoom: why = L"its files do not fit the temporary folder's volume"; break;
    case ZipRefusal::Ratio: why = L"it inflates more than 1000 times (a zip bomb)"; break;
    case ZipRefusal::CannotWrite: why = L"it cannot be written into the temporary folder"; break;
    case ZipRefusal::Stopped: why = L"stopped by the user"; break;
    }
    return problem.entry.empty() ? why : problem.entry + L": " + why;
}

ZipProblem CheckCentralDirectory(const std::vector<zip::CentralEntry>& entries, const FolderPath& folder,
                                 uint64_t freeBytes, std::vector<CheckedEntry>& checked)
{
    checked.clear();
    std::set<std::wstring, FileNameLess> files;
    std::set<std::wstring, FileNameLess> folders;
    uint64_t total = 0;
    for (const zip::CentralEntry& entry : entries) {
        std::wstring name = zip::NameText(entry.name, (entry.flags & zip::kFlagUtf8) != 0);
        // The name as shown: its bytes as a code page would show them when they are no text.
        const std::wstring shown = name.empty() ? zip::NameText(entry.name, false) : name;
        const bool folderEntry = !name.empty() && (name.back() == L'/' || name.back() == L'\\');
        if (folderEntry)
            name.pop_back();
        ZipRefusal refusal = NameRefusal(name);
        if (refusal != ZipRefusal::None)
            return {refusal, shown};
        if (entry.flags & (zip::kFlagEncrypted | zip::kFlagStrongEncryption))
            return {ZipRefusal::Encrypted, shown};
        if (entry.method != zip::kMethodStored && entry.method != zip::kMethodDeflate)
            return {ZipRefusal::Method, shown};
        const PathResult<PathInside> inside = folder.Inside(name);
        if (!inside)
            return {InsideRefusal(inside.refusal()), shown};
        if (entry.size > kLargestRatio * entry.compressedSize && entry.size > 0)
            return {ZipRefusal::Ratio, shown};
        // A name the file system takes for another's (in another case, or after its trailing
        // dots go) would overwrite it; a file where another entry needs a folder cannot be.
        const std::wstring& relative = inside->relative;
        const bool clash = folderEntry ? files.count(relative) != 0
                                       : files.count(relative) != 0 || folders.count(relative) != 0;
        if (clash)
            return {ZipRefusal::SameName, shown};
        for (const std::wstring& parent : FoldersOf(relative)) {
            if (files.count(parent) != 0)
                return {ZipRefusal::SameName, shown};
            folders.insert(parent);
        }
        (folderEntry ? folders : files).insert(relative);
        total += entry.size;
        if (total < entry.size || total > freeBytes)
            return {ZipRefusal::NoRoom, std::wstring()};
        checked.push_back({&entry, *inside, folderEntry});
    }
    return {};
}

ZipProblem CheckLocalHeaders(const zip::ZipReader& reader, std::vector<zip::LocalEntry>& locals)
{
    const std::vector<zip::CentralEntry>& entries = reader.Entries();
    locals.assign(entries.size(), zip::LocalEntry());
    std::vector<std::pair<uint64_t, uint64_t>> ranges;
    for (size_t i = 0; i < entries.size(); ++i) {
        const zip::CentralEntry& entry = entries[i];
        zip::LocalEntry& local = locals[i];
        const std::wstring shown = zip::NameText(entry.name, (entry.flags & zip::kFlagUtf8) != 0);
        const zip::ReadFault fault = reader.ReadLocal(entry, local);
        if (fault != zip::ReadFault::None)
            return {RefusalOf(fault), shown};
        // Sizes and CRC follow the data when the local header says so; they are then zero.
        const bool described = (local.flags & zip::kFlagDataDescriptor) == 0;
        const bool agree = local.name == entry.name && local.method == entry.method &&
                           (local.flags & 0x0041) == (entry.flags & 0x0041) &&
                           (!described || (local.crc == entry.crc && local.size == entry.size &&
                                           local.compressedSize == entry.compressedSize));
        if (!agree)
            return {ZipRefusal::HeadersDisagree, shown};
        ranges.emplace_back(entry.localOffset, local.dataOffset + entry.compressedSize);
    }
    // Entries that share their data would inflate one block many times over.
    std::vector<size_t> order(ranges.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return ranges[a].first < ranges[b].first; });
    for (size_t i = 1; i < order.size(); ++i) {
        if (ranges[order[i]].first < ranges[order[i - 1]].second)
            return {ZipRefusal::Corrupt, zip::NameText(entries[order[i]].name, true)};
    }
    return {};
}
