// Writes a zip file through a handle, one entry after another, each deflated by zlib as it is
// read (one pass, nothing copied aside), with its CRC-32, its name in UTF-8 and its MS-DOS
// time; ZIP64 records where an entry or the archive passes what the classic fields hold. An
// entry's name can still grow afterwards (RenamePrefix): its local header keeps room for it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileHash.h"

namespace zip {

// The bytes an entry's name may grow by after it is written.
const uint16_t kNameRoom = 20;

class ZipWriter {
public:
    // file: open for writing at its start; the writer owns neither it nor what it holds.
    explicit ZipWriter(HANDLE file);
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // Writes every entry and the end in ZIP64 form, as an archive past 4 GiB needs: the
    // same records without writing that much.
    void ForceZip64() { forceZip64 = true; }

    // Adds an entry name ("Class/Device/x64/f.sys", UTF-8) with the bytes read from source
    // (open for reading at its start) and the time. False, with the system's error code in
    // GetLastError, when source cannot be read or the zip cannot be written; the zip then
    // takes no more entries.
    // digest, when given, takes every byte of the entry as it is read.
    bool Add(const std::string& name, HANDLE source, const FILETIME& time, Sha256Hash* digest = nullptr);
    bool Add(const std::string& name, const std::string& content, const FILETIME& time);
    // Renames every entry whose name starts with from (a folder's "Class/Device/") to start
    // with to instead. False when a name would grow by more than kNameRoom bytes, or the zip
    // cannot be written.
    bool RenamePrefix(const std::string& from, const std::string& to);
    // Writes the central directory and the end records. False, with the system's error code
    // in GetLastError, when they cannot be written.
    bool Finish();

    size_t EntryCount() const { return entries.size(); }

private:
    struct Entry {
        std::string name;
        uint64_t offset = 0;
        uint64_t compressedSize = 0;
        uint64_t size = 0;
        uint32_t crc = 0;
        uint16_t dosTime = 0;
        uint16_t dosDate = 0;
        bool zip64 = false;
        // What is left of the room kept for the name.
        uint16_t room = kNameRoom;
    };
    class Deflater;

    std::string LocalHeader(const Entry& entry) const;
    std::string CentralHeader(const Entry& entry) const;
    bool AddData(Entry& entry, HANDLE source, const std::string* content, Sha256Hash* digest);
    bool Append(const char* data, size_t size);
    bool Flush();
    bool WriteAt(uint64_t offset, const std::string& bytes);
    bool Fail(DWORD error);

    HANDLE file;
    bool forceZip64 = false;
    bool failed = false;
    // Bytes given to the file so far, with those still in pending.
    uint64_t position = 0;
    std::string pending;
    std::vector<Entry> entries;
    std::unique_ptr<Deflater> deflater;
};

} // namespace zip
