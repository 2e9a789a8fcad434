// Reads a zip file through a handle: the end records (ZIP64 too) and the whole central
// directory first, then one entry's local header and its data, stored or inflated by zlib,
// with its size and CRC-32 checked as it is written out. Nothing here trusts the file: every
// length is checked against what the file holds.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zip {

// What the central directory says of an entry, its ZIP64 values in place.
struct CentralEntry {
    std::string name;  // as stored
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t dosTime = 0;
    uint16_t dosDate = 0;
    uint32_t crc = 0;
    uint64_t compressedSize = 0;
    uint64_t size = 0;
    uint64_t localOffset = 0;
};

// What an entry's local header says, and where its data begins.
struct LocalEntry {
    std::string name;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint32_t crc = 0;
    uint64_t compressedSize = 0;
    uint64_t size = 0;
    uint64_t dataOffset = 0;
};

enum class ReadFault {
    None,
    NotAZip,       // no end record: not a zip file, or one cut short
    CutShort,      // a record or data runs past the end of the file
    Corrupt,       // a record's signature or lengths are wrong
    SizeMismatch,  // the data inflates to more or fewer bytes than the entry says
    CrcMismatch,   // the data's CRC-32 is not the entry's
    WriteFailed,   // the data could not be written out
    Stopped,       // the caller asked to stop
};

class ZipReader {
public:
    // file: open for reading; the reader does not own it.
    explicit ZipReader(HANDLE file) : file(file) {}

    // Reads the end records and every central directory entry. On a fault, faultEntry is
    // the index of the entry at which reading stopped (or Entries().size() when none).
    ReadFault ReadDirectory();
    const std::vector<CentralEntry>& Entries() const { return entries; }
    size_t FaultEntry() const { return faultEntry; }
    // Where the central directory begins: no entry's data may reach past it.
    uint64_t DirectoryOffset() const { return directoryOffset; }

    // Reads the entry's local header.
    ReadFault ReadLocal(const CentralEntry& entry, LocalEntry& local) const;
    // Writes the entry's data, stored or inflated, to out: exactly entry.size bytes whose
    // CRC-32 is entry.crc, else the fault (as soon as more bytes come than the entry says).
    // goOn is asked between blocks.
    ReadFault Extract(const CentralEntry& entry, const LocalEntry& local, HANDLE out,
                      const std::function<bool()>& goOn) const;

private:
    bool ReadAt(uint64_t offset, char* buffer, size_t size) const;
    ReadFault ReadEnd(uint64_t fileSize, uint64_t& count, uint64_t& directorySize);
    ReadFault ParseDirectory(const std::string& directory, uint64_t count);

    HANDLE file;
    std::vector<CentralEntry> entries;
    size_t faultEntry = 0;
    uint64_t fileSize = 0;
    uint64_t directoryOffset = 0;
};

} // namespace zip
