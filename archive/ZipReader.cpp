#include "archive/ZipReader.h"

#include <zlib.h>

#include <algorithm>

#include "archive/ZipFormat.h"

namespace zip {

namespace {

const size_t kChunk = 1u << 20;

// The ZIP64 values of an extra field that stand for fields holding all ones, in their order.
bool ReadZip64Extra(const char* extra, size_t length, bool wantSize, bool wantCompressed, bool wantOffset,
                    uint64_t& size, uint64_t& compressed, uint64_t& offset)
{
    for (size_t at = 0; at + 4 <= length;) {
        const uint16_t id = Get16(extra + at);
        const uint16_t fieldLength = Get16(extra + at + 2);
        if (at + 4 + fieldLength > length)
            return false;
        if (id == kZip64ExtraId) {
            const char* field = extra + at + 4;
            size_t used = 0;
            const auto take = [&](bool wanted, uint64_t& value) {
                if (!wanted)
                    return true;
                if (used + 8 > fieldLength)
                    return false;
                value = Get64(field + used);
                used += 8;
                return true;
            };
            return take(wantSize, size) && take(wantCompressed, compressed) && take(wantOffset, offset);
        }
        at += 4 + fieldLength;
    }
    // Fields that hold all ones with no ZIP64 field to give their values.
    return !wantSize && !wantCompressed && !wantOffset;
}

} // namespace

bool ZipReader::ReadAt(uint64_t offset, char* buffer, size_t size) const
{
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    size_t done = 0;
    while (done < size) {
        DWORD got = 0;
        const DWORD part = static_cast<DWORD>(std::min<size_t>(size - done, kChunk));
        if (!::ReadFile(file, buffer + done, part, &got, &at) || got == 0)
            return false;
        done += got;
        const uint64_t next = offset + done;
        at.Offset = static_cast<DWORD>(next & 0xFFFFFFFF);
        at.OffsetHigh = static_cast<DWORD>(next >> 32);
    }
    return true;
}

ReadFault ZipReader::ReadEnd(uint64_t size, uint64_t& count, uint64_t& directorySize)
{
    if (size < kEndSize)
        return ReadFault::NotAZip;
    const size_t tailSize = static_cast<size_t>(std::min<uint64_t>(size, kEndSize + kLongestComment));
    std::string tail(tailSize, '\0');
    if (!ReadAt(size - tailSize, &tail[0], tailSize))
        return ReadFault::CutShort;
    // The last end record whose comment reaches the end of the file.
    size_t at = tailSize - kEndSize + 1;
    bool found = false;
    while (at-- > 0) {
        if (Get32(&tail[at]) == kEndSignature && at + kEndSize + Get16(&tail[at + 20]) == tailSize) {
            found = true;
            break;
        }
    }
    if (!found)
        return ReadFault::NotAZip;
    const char* end = &tail[at];
    const uint64_t endOffset = size - tailSize + at;
    if (Get16(end + 4) != 0 || Get16(end + 6) != 0 || Get16(end + 8) != Get16(end + 10))
        return ReadFault::Corrupt;  // spanned over several disks
    count = Get16(end + 10);
    directorySize = Get32(end + 12);
    directoryOffset = Get32(end + 16);
    uint64_t directoryEnd = endOffset;
    if (endOffset >= kZip64LocatorSize) {
        char locator[kZip64LocatorSize];
        if (!ReadAt(endOffset - kZip64LocatorSize, locator, sizeof(locator)))
            return ReadFault::CutShort;
        if (Get32(locator) == kZip64LocatorSignature) {
            const uint64_t recordOffset = Get64(locator + 8);
            char record[kZip64EndSize];
            if (recordOffset > endOffset - kZip64LocatorSize - kZip64EndSize ||
                !ReadAt(recordOffset, record, sizeof(record)))
                return ReadFault::CutShort;
            if (Get32(record) != kZip64EndSignature || Get32(record + 16) != 0 || Get32(record + 20) != 0)
                return ReadFault::Corrupt;
            count = Get64(record + 32);
            directorySize = Get64(record + 40);
            directoryOffset = Get64(record + 48);
            directoryEnd = recordOffset;
        }
    }
    if (directoryOffset > directoryEnd || directorySize > directoryEnd - directoryOffset)
        return ReadFault::CutShort;
    // Each entry takes at least its fixed header.
    if (count > directorySize / kCentralHeaderSize)
        return ReadFault::Corrupt;
    return ReadFault::None;
}

ReadFault ZipReader::ReadDirectory()
{
    entries.clear();
    faultEntry = 0;
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file, &size))
        return ReadFault::NotAZip;
    fileSize = static_cast<uint64_t>(size.QuadPart);
    uint64_t count = 0;
    uint64_t directorySize = 0;
    const ReadFault end = ReadEnd(fileSize, count, directorySize);
    if (end != ReadFault::None)
        return end;
    std::string directory(static_cast<size_t>(directorySize), '\0');
    if (directorySize != 0 && !ReadAt(directoryOffset, &directory[0], directory.size()))
        return ReadFault::CutShort;
    return ParseDirectory(directory, count);
}

ReadFault ZipReader::ParseDirectory(const std::string& directory, uint64_t count)
{
    size_t at = 0;
    for (uint64_t i = 0; i < count; ++i) {
        faultEntry = entries.size();
        if (at + kCentralHeaderSize > directory.size())
            return ReadFault::Corrupt;
        const char* header = directory.data() + at;
        if (Get32(header) != kCentralHeaderSignature)
            return ReadFault::Corrupt;
        const size_t nameLength = Get16(header + 28);
        const size_t extraLength = Get16(header + 30);
        const size_t commentLength = Get16(header + 32);
        if (at + kCentralHeaderSize + nameLength + extraLength + commentLength > directory.size())
            return ReadFault::Corrupt;
        CentralEntry entry;
        entry.flags = Get16(header + 8);
        entry.method = Get16(header + 10);
        entry.dosTime = Get16(header + 12);
        entry.dosDate = Get16(header + 14);
        entry.crc = Get32(header + 16);
        entry.compressedSize = Get32(header + 20);
        entry.size = Get32(header + 24);
        entry.localOffset = Get32(header + 42);
        entry.name.assign(header + kCentralHeaderSize, nameLength);
        if (Get16(header + 34) != 0)
            return ReadFault::Corrupt;  // on another disk
        if (!ReadZip64Extra(header + kCentralHeaderSize + nameLength, extraLength, entry.size == kZip64Size,
                            entry.compressedSize == kZip64Size, entry.localOffset == kZip64Size, entry.size,
                            entry.compressedSize, entry.localOffset))
            return ReadFault::Corrupt;
        entries.push_back(std::move(entry));
        at += kCentralHeaderSize + nameLength + extraLength + commentLength;
    }
    faultEntry = entries.size();
    return ReadFault::None;
}

ReadFault ZipReader::ReadLocal(const CentralEntry& entry, LocalEntry& local) const
{
    char header[kLocalHeaderSize];
    if (entry.localOffset > fileSize || fileSize - entry.localOffset < kLocalHeaderSize ||
        !ReadAt(entry.localOffset, header, sizeof(header)))
        return ReadFault::CutShort;
    if (Get32(header) != kLocalHeaderSignature)
        return ReadFault::Corrupt;
    local.flags = Get16(header + 6);
    local.method = Get16(header + 8);
    local.crc = Get32(header + 14);
    local.compressedSize = Get32(header + 18);
    local.size = Get32(header + 22);
    const size_t nameLength = Get16(header + 26);
    const size_t extraLength = Get16(header + 28);
    const uint64_t variable = entry.localOffset + kLocalHeaderSize;
    if (fileSize - variable < nameLength + extraLength)
        return ReadFault::CutShort;
    std::string rest(nameLength + extraLength, '\0');
    if (!rest.empty() && !ReadAt(variable, &rest[0], rest.size()))
        return ReadFault::CutShort;
    local.name = rest.substr(0, nameLength);
    uint64_t unusedOffset = 0;
    // A local ZIP64 field gives both sizes.
    const bool big = local.size == kZip64Size || local.compressedSize == kZip64Size;
    if (big && !ReadZip64Extra(rest.data() + nameLength, extraLength, true, true, false, local.size,
                               local.compressedSize, unusedOffset))
        return ReadFault::Corrupt;
    local.dataOffset = variable + nameLength + extraLength;
    if (local.dataOffset > directoryOffset || directoryOffset - local.dataOffset < entry.compressedSize)
        return ReadFault::CutShort;
    return ReadFault::None;
}

ReadFault ZipReader::Extract(const CentralEntry& entry, const LocalEntry& local, HANDLE out,
                             const std::function<bool()>& goOn) const
{
    const bool deflated = entry.method == kMethodDeflate;
    z_stream stream = {};
    if (deflated && inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return ReadFault::Corrupt;
    std::string input;
    std::string output(kChunk, '\0');
    uint64_t consumed = 0;
    uint64_t written = 0;
    uint32_t crc = crc32(0, nullptr, 0);
    bool ended = !deflated;
    ReadFault fault = ReadFault::None;
    // Writes the block, counting it against the entry's size first.
    const auto put = [&](const char* data, size_t size) {
        if (size > entry.size - written)
            return ReadFault::SizeMismatch;
        crc = crc32(crc, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(size));
        written += size;
        DWORD done = 0;
        if (size != 0 && (!::WriteFile(out, data, static_cast<DWORD>(size), &done, nullptr) || done != size))
            return ReadFault::WriteFailed;
        return ReadFault::None;
    };
    while (fault == ReadFault::None && consumed < entry.compressedSize) {
        if (goOn && !goOn()) {
            fault = ReadFault::Stopped;
            break;
        }
        const size_t part = static_cast<size_t>(std::min<uint64_t>(entry.compressedSize - consumed, kChunk));
        input.resize(part);
        if (!ReadAt(local.dataOffset + consumed, &input[0], part)) {
            fault = ReadFault::CutShort;
            break;
        }
        consumed += part;
        if (!deflated) {
            fault = put(input.data(), part);
            continue;
        }
        if (ended) {
            fault = ReadFault::Corrupt;  // bytes after the end of the deflated stream
            break;
        }
        stream.next_in = reinterpret_cast<Bytef*>(&input[0]);
        stream.avail_in = static_cast<uInt>(part);
        while (fault == ReadFault::None && !ended && stream.avail_in != 0) {
            stream.next_out = reinterpret_cast<Bytef*>(&output[0]);
            stream.avail_out = static_cast<uInt>(output.size());
            const int result = inflate(&stream, Z_NO_FLUSH);
            if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
                fault = ReadFault::Corrupt;
                break;
            }
            fault = put(output.data(), output.size() - stream.avail_out);
            ended = result == Z_STREAM_END;
            if (result == Z_BUF_ERROR && stream.avail_out != 0)
                break;
        }
        if (fault == ReadFault::None && ended && stream.avail_in != 0)
            fault = ReadFault::Corrupt;
    }
    // Output still held by zlib once all input is in; a stream that does not end there was
    // cut short.
    while (fault == ReadFault::None && deflated && !ended) {
        stream.next_in = nullptr;
        stream.avail_in = 0;
        stream.next_out = reinterpret_cast<Bytef*>(&output[0]);
        stream.avail_out = static_cast<uInt>(output.size());
        const int result = inflate(&stream, Z_NO_FLUSH);
        if (result == Z_DATA_ERROR || result == Z_MEM_ERROR || result == Z_STREAM_ERROR) {
            fault = ReadFault::Corrupt;
            break;
        }
        const size_t produced = output.size() - stream.avail_out;
        fault = put(output.data(), produced);
        ended = result == Z_STREAM_END;
        if (fault == ReadFault::None && !ended && produced == 0)
            fault = ReadFault::CutShort;
    }
    if (deflated)
        inflateEnd(&stream);
    if (fault != ReadFault::None)
        return fault;
    if (written != entry.size)
        return ReadFault::SizeMismatch;
    if (crc != entry.crc)
        return ReadFault::CrcMismatch;
    return ReadFault::None;
}

} // namespace zip
