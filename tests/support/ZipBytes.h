// Zip files built byte by byte by the tests, so that a test can make one that lies: every
// field of an entry's local and central header can be given instead of the true one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct ZipEntryBytes {
    ZipEntryBytes(std::string name, std::string content, bool deflate = false)
        : name(std::move(name)), content(std::move(content)), deflate(deflate)
    {
    }

    std::string name;  // as stored (UTF-8 with flag bit 11)
    std::string content;
    bool deflate = false;
    uint16_t flags = 0x0800;
    // Given instead of the true values, in both headers unless a local one is given too.
    std::optional<uint16_t> method;
    std::optional<uint32_t> crc;
    std::optional<uint64_t> size;
    std::optional<uint64_t> compressedSize;
    std::optional<std::string> localName;
    std::optional<uint32_t> localCrc;
};

// The zip: each entry's local header and data, the central directory, the end record.
std::string ZipBytes(const std::vector<ZipEntryBytes>& entries);
