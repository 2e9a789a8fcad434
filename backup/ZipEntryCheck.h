// The checks a zip from anywhere passes before anything of it is extracted: every entry of the
// central directory, and its local header, judged as a whole. A refusal names the entry and
// why, in the words the log and the console use.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/ZipReader.h"
#include "platform/FolderPath.h"

enum class ZipRefusal {
    None,
    NotAZip,          // no end record: not a zip file, or one cut short
    CutShort,         // a record or an entry's data runs past the end of the file
    Corrupt,          // a record is damaged, or an entry's data overlaps another's
    BadName,          // a name that is empty or not valid text
    AbsoluteName,     // "/x" or "\x"
    DriveLetter,      // "C:x"
    LeavesTop,        // ".." parts that climb out of the top
    DeviceName,       // "NUL", "com1.txt"
    AlternateStream,  // "a.sys:stream"
    TooLong,          // longer than the extracted path may be
    SameName,         // differs from another entry's name only in case (or names its folder)
    Encrypted,
    Method,           // compressed otherwise than stored or deflated
    HeadersDisagree,  // the local header says otherwise than the central directory
    SizesDisagree,    // the data inflates to another size, or another CRC-32, than stated
    NoRoom,           // the uncompressed total does not fit the temporary folder's volume
    Ratio,            // an entry inflates more than a thousandfold (a zip bomb)
    CannotWrite,      // the temporary folder could not take a file
    Stopped,          // the user stopped the run
};

// The most an entry's data may grow when inflated: beyond it the zip is refused as a bomb.
const uint64_t kLargestRatio = 1000;

struct ZipProblem {
    ZipRefusal reason = ZipRefusal::None;
    std::wstring entry;  // the entry's name, when one entry is at fault
    explicit operator bool() const noexcept { return reason != ZipRefusal::None; }
};

// "<entry>: <why>" (or only why), as the refusal's message ends.
std::wstring ZipProblemText(const ZipProblem& problem);

// An entry that passed the checks: where it goes inside the extraction folder, and whether it
// is a folder.
struct CheckedEntry {
    const zip::CentralEntry* central;
    PathInside path;
    bool folder;
};

// Checks every entry's name, flags, method and ratio, as extracted inside folder, and the
// sum of their sizes against freeBytes. The first problem, or none with checked filled.
ZipProblem CheckCentralDirectory(const std::vector<zip::CentralEntry>& entries, const FolderPath& folder,
                                 uint64_t freeBytes, std::vector<CheckedEntry>& checked);

// Checks each entry's local header against its central entry, and that no entry's data
// overlaps another's. locals gets the local headers, in the entries' order.
ZipProblem CheckLocalHeaders(const zip::ZipReader& reader, std::vector<zip::LocalEntry>& locals);

// The refusal that a reading fault of the zip is.
ZipRefusal RefusalOf(zip::ReadFault fault);
