#include "archive/ZipWriter.h"

#include <zlib.h>

#include <algorithm>

#include "archive/ZipFormat.h"

namespace zip {

namespace {

// A file up to this size is read and deflated whole, and written with its header in one go;
// a larger one is streamed and its header completed afterwards.
const uint64_t kWholeFileLimit = 4u << 20;
const size_t kChunk = 1u << 20;
// The output is handed to the system in blocks of about this size.
const size_t kFlushSize = 1u << 20;
// An entry this large may not fit the classic 32-bit fields once deflated (deflate can add a
// little to data that does not compress): it is written in ZIP64 form from the start.
const uint64_t kZip64Threshold = 0xFFFF0000ull;

} // namespace

// One zlib deflate stream (raw deflate, as zip stores it), reset for every entry.
class ZipWriter::Deflater {
public:
    Deflater()
    {
        ok = deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~Deflater()
    {
        if (ok)
            deflateEnd(&stream);
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    bool Reset() { return ok && deflateReset(&stream) == Z_OK; }
    // Deflates size bytes of data (the last ones when finish), appending to out.
    bool Run(const char* data, size_t size, bool finish, std::string& out)
    {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        stream.avail_in = static_cast<uInt>(size);
        const int flush = finish ? Z_FINISH : Z_NO_FLUSH;
        for (;;) {
            const size_t before = out.size();
            const size_t room = std::max<size_t>(size / 2 + 64, 1u << 16);
            out.resize(before + room);
            stream.next_out = reinterpret_cast<Bytef*>(&out[before]);
            stream.avail_out = static_cast<uInt>(room);
            const int result = deflate(&stream, flush);
            out.resize(before + room - stream.avail_out);
            if (result == Z_STREAM_END)
                return true;
            if (result != Z_OK && result != Z_BUF_ERROR)
                return false;
            if (stream.avail_in == 0 && stream.avail_out != 0 && !finish)
                return true;
        }
    }

private:
    z_stream stream = {};
    bool ok = false;
};

ZipWriter::ZipWriter(HANDLE file) : file(file), deflater(std::make_unique<Deflater>())
{
}

ZipWriter::~ZipWriter() = default;

bool ZipWriter::Fail(DWORD error)
{
    failed = true;
    ::SetLastError(error);
    return false;
}

std::string ZipWriter::LocalHeader(const Entry& entry) const
{
    std::string extra;
    if (entry.zip64) {
        Put16(extra, kZip64ExtraId);
        Put16(extra, 16);
        Put64(extra, entry.size);
        Put64(extra, entry.compressedSize);
    }
    Put16(extra, kPaddingExtraId);
    Put16(extra, entry.room);
    extra.append(entry.room, '\0');

    std::string header;
    Put32(header, kLocalHeaderSignature);
    Put16(header, entry.zip64 ? kVersionZip64 : kVersionDeflate);
    Put16(header, kFlagUtf8);
    Put16(header, kMethodDeflate);
    Put16(header, entry.dosTime);
    Put16(header, entry.dosDate);
    Put32(header, entry.crc);
    Put32(header, entry.zip64 ? kZip64Size : static_cast<uint32_t>(entry.compressedSize));
    Put32(header, entry.zip64 ? kZip64Size : static_cast<uint32_t>(entry.size));
    Put16(header, static_cast<uint16_t>(entry.name.size()));
    Put16(header, static_cast<uint16_t>(extra.size()));
    return header + entry.name + extra;
}

std::string ZipWriter::CentralHeader(const Entry& entry) const
{
    // In ZIP64 form a field that does not fit (or every field, when forced) holds all ones,
    // and its value follows in the extra field, in this order.
    const bool bigSizes = entry.zip64;
    const bool bigOffset = forceZip64 || entry.offset >= kZip64Size;
    std::string extra;
    if (bigSizes || bigOffset) {
        Put16(extra, kZip64ExtraId);
        Put16(extra, static_cast<uint16_t>((bigSizes ? 16 : 0) + (bigOffset ? 8 : 0)));
        if (bigSizes) {
            Put64(extra, entry.size);
            Put64(extra, entry.compressedSize);
        }
        if (bigOffset)
            Put64(extra, entry.offset);
    }
    const uint16_t version = bigSizes || bigOffset ? kVersionZip64 : kVersionDeflate;
    std::string header;
    Put32(header, kCentralHeaderSignature);
    // Made on Windows NTFS (10): a reader takes a name made on MS-DOS (0) for the IBM PC code
    // page and converts it, though the UTF-8 flag says otherwise (unzip 6.0 does).
    Put16(header, static_cast<uint16_t>((kHostNtfs << 8) | version));
    Put16(header, version);
    Put16(header, kFlagUtf8);
    Put16(header, kMethodDeflate);
    Put16(header, entry.dosTime);
    Put16(header, entry.dosDate);
    Put32(header, entry.crc);
    Put32(header, bigSizes ? kZip64Size : static_cast<uint32_t>(entry.compressedSize));
    Put32(header, bigSizes ? kZip64Size : static_cast<uint32_t>(entry.size));
    Put16(header, static_cast<uint16_t>(entry.name.size()));
    Put16(header, static_cast<uint16_t>(extra.size()));
    Put16(header, 0);  // comment
    Put16(header, 0);  // disk
    Put16(header, 0);  // internal attributes
    Put32(header, 0);  // external attributes
    Put32(header, bigOffset ? kZip64Size : static_cast<uint32_t>(entry.offset));
    return header + entry.name + extra;
}

bool ZipWriter::Add(const std::string& name, HANDLE source, const FILETIME& time, Sha256Hash* digest)
{
    Entry entry;
    entry.name = name;
    DosTimeOf(time, entry.dosTime, entry.dosDate);
    if (!AddData(entry, source, nullptr, digest))
        return false;
    entries.push_back(std::move(entry));
    return true;
}

bool ZipWriter::Add(const std::string& name, const std::string& content, const FILETIME& time)
{
    Entry entry;
    entry.name = name;
    DosTimeOf(time, entry.dosTime, entry.dosDate);
    if (!AddData(entry, nullptr, &content, nullptr))
        return false;
    entries.push_back(std::move(entry));
    return true;
}

bool ZipWriter::AddData(Entry& entry, HANDLE source, const std::string* content, Sha256Hash* digest)
{
    if (failed)
        return Fail(ERROR_INVALID_HANDLE);
    if (entry.name.empty() || entry.name.size() + kNameRoom > 0xFFFF)
        return Fail(ERROR_INVALID_NAME);
    LARGE_INTEGER size = {};
    if (content)
        size.QuadPart = static_cast<LONGLONG>(content->size());
    else if (!::GetFileSizeEx(source, &size))
        return false;
    entry.zip64 = forceZip64 || static_cast<uint64_t>(size.QuadPart) >= kZip64Threshold;
    entry.offset = position;
    if (!deflater->Reset())
        return Fail(ERROR_NOT_ENOUGH_MEMORY);

    const bool whole = static_cast<uint64_t>(size.QuadPart) <= kWholeFileLimit;
    std::string data;
    std::string chunk;
    if (!whole && (!Append(LocalHeader(entry).data(), LocalHeader(entry).size()) || !Flush()))
        return false;
    const uint64_t dataStart = position;
    uint32_t crc = crc32(0, nullptr, 0);
    uint64_t read = 0;
    for (bool last = false; !last;) {
        const char* bytes = nullptr;
        size_t count = 0;
        if (content) {
            bytes = content->data();
            count = content->size();
            last = true;
        } else {
            chunk.resize(whole ? static_cast<size_t>(size.QuadPart) + 1 : kChunk);
            DWORD got = 0;
            if (!::ReadFile(source, &chunk[0], static_cast<DWORD>(chunk.size()), &got, nullptr))
                return false;
            bytes = chunk.data();
            count = got;
            last = got == 0 || whole;
        }
        crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes), static_cast<uInt>(count));
        if (digest && !digest->Add(bytes, count))
            return Fail(ERROR_INVALID_DATA);
        read += count;
        if (!deflater->Run(bytes, count, last, data))
            return Fail(ERROR_INVALID_DATA);
        // A large entry's data goes out as it comes.
        if (!whole && !data.empty()) {
            if (!Append(data.data(), data.size()))
                return false;
            data.clear();
        }
    }
    entry.crc = crc;
    entry.size = read;
    entry.compressedSize = whole ? data.size() : position - dataStart;
    // A file that grew past 4 GiB while it was read does not fit the form chosen before.
    if (!entry.zip64 && (entry.size >= kZip64Size || entry.compressedSize >= kZip64Size))
        return Fail(ERROR_FILE_TOO_LARGE);
    const std::string header = LocalHeader(entry);
    if (whole)
        return Append(header.data(), header.size()) && Append(data.data(), data.size());
    return Flush() && WriteAt(entry.offset, header);
}

bool ZipWriter::RenamePrefix(const std::string& from, const std::string& to)
{
    if (failed)
        return Fail(ERROR_INVALID_HANDLE);
    if (!Flush())
        return false;
    for (Entry& entry : entries) {
        if (entry.name.compare(0, from.size(), from) != 0)
            continue;
        const size_t grown = entry.room + from.size();
        if (to.size() > grown)
            return Fail(ERROR_FILENAME_EXCED_RANGE);
        // The header keeps its length: what the name takes, the room gives back.
        entry.room = static_cast<uint16_t>(grown - to.size());
        entry.name = to + entry.name.substr(from.size());
        if (!WriteAt(entry.offset, LocalHeader(entry)))
            return false;
    }
    return true;
}

bool ZipWriter::Finish()
{
    if (failed)
        return Fail(ERROR_INVALID_HANDLE);
    const uint64_t directoryOffset = position;
    for (const Entry& entry : entries) {
        const std::string header = CentralHeader(entry);
        if (!Append(header.data(), header.size()))
            return false;
    }
    const uint64_t directorySize = position - directoryOffset;
    const uint64_t count = entries.size();
    const bool zip64 = forceZip64 || count >= kZip64Count || directoryOffset >= kZip64Size ||
                       directorySize >= kZip64Size;
    std::string end;
    if (zip64) {
        const uint64_t recordOffset = position;
        Put32(end, kZip64EndSignature);
        Put64(end, kZip64EndSize - 12);
        Put16(end, kVersionZip64);
        Put16(end, kVersionZip64);
        Put32(end, 0);
        Put32(end, 0);
        Put64(end, count);
        Put64(end, count);
        Put64(end, directorySize);
        Put64(end, directoryOffset);
        Put32(end, kZip64LocatorSignature);
        Put32(end, 0);
        Put64(end, recordOffset);
        Put32(end, 1);
    }
    const uint16_t shownCount = zip64 ? kZip64Count : static_cast<uint16_t>(count);
    Put32(end, kEndSignature);
    Put16(end, 0);
    Put16(end, 0);
    Put16(end, shownCount);
    Put16(end, shownCount);
    Put32(end, zip64 ? kZip64Size : static_cast<uint32_t>(directorySize));
    Put32(end, zip64 ? kZip64Size : static_cast<uint32_t>(directoryOffset));
    Put16(end, 0);
    return Append(end.data(), end.size()) && Flush();
}

bool ZipWriter::Append(const char* data, size_t size)
{
    if (failed)
        return Fail(ERROR_INVALID_HANDLE);
    pending.append(data, size);
    position += size;
    return pending.size() < kFlushSize || Flush();
}

bool ZipWriter::Flush()
{
    size_t done = 0;
    while (done < pending.size()) {
        const DWORD part = static_cast<DWORD>(std::min<size_t>(pending.size() - done, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, pending.data() + done, part, &written, nullptr))
            return Fail(::GetLastError());
        // A short write without an error: the volume took no more.
        if (written == 0)
            return Fail(ERROR_DISK_FULL);
        done += written;
    }
    pending.clear();
    return true;
}

bool ZipWriter::WriteAt(uint64_t offset, const std::string& bytes)
{
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(position);
    DWORD written = 0;
    if (!::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) ||
        !::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size() || !::SetFilePointerEx(file, end, nullptr, FILE_BEGIN))
        return Fail(::GetLastError() ? ::GetLastError() : ERROR_WRITE_FAULT);
    return true;
}

} // namespace zip
