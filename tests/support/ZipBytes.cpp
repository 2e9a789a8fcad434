#include "tests/support/ZipBytes.h"

#include <zlib.h>

#include "archive/ZipFormat.h"

namespace {

std::string Deflated(const std::string& content)
{
    z_stream stream = {};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(content.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    stream.avail_in = static_cast<uInt>(content.size());
    stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// The fixed part of a header from the signature's end to the name's length, as both
// headers lay it out after their version fields.
void PutCommon(std::string& out, uint16_t flags, uint16_t method, uint32_t crc, uint64_t compressed, uint64_t size)
{
    zip::Put16(out, flags);
    zip::Put16(out, method);
    zip::Put16(out, 0);             // time
    zip::Put16(out, (1 << 5) | 1);  // 1980-01-01
    zip::Put32(out, crc);
    zip::Put32(out, static_cast<uint32_t>(compressed));
    zip::Put32(out, static_cast<uint32_t>(size));
}

} // namespace

std::string ZipBytes(const std::vector<ZipEntryBytes>& entries)
{
    std::string zip;
    std::string central;
    for (const ZipEntryBytes& entry : entries) {
        const std::string data = entry.deflate ? Deflated(entry.content) : entry.content;
        const uint16_t method = entry.method.value_or(entry.deflate ? 8 : 0);
        const uint32_t crc = entry.crc.value_or(
            crc32(0, reinterpret_cast<const Bytef*>(entry.content.data()), static_cast<uInt>(entry.content.size())));
        const uint64_t size = entry.size.value_or(entry.content.size());
        const uint64_t compressed = entry.compressedSize.value_or(data.size());
        const std::string localName = entry.localName.value_or(entry.name);
        const uint32_t offset = static_cast<uint32_t>(zip.size());

        zip::Put32(zip, zip::kLocalHeaderSignature);
        zip::Put16(zip, 20);
        PutCommon(zip, entry.flags, method, entry.localCrc.value_or(crc), compressed, size);
        zip::Put16(zip, static_cast<uint16_t>(localName.size()));
        zip::Put16(zip, 0);
        zip += localName + data;

        zip::Put32(central, zip::kCentralHeaderSignature);
        zip::Put16(central, 20);
        zip::Put16(central, 20);
        PutCommon(central, entry.flags, method, crc, compressed, size);
        zip::Put16(central, static_cast<uint16_t>(entry.name.size()));
        zip::Put16(central, 0);  // extra
        zip::Put16(central, 0);  // comment
        zip::Put16(central, 0);  // disk
        zip::Put16(central, 0);  // internal attributes
        zip::Put32(central, 0);  // external attributes
        zip::Put32(central, offset);
        central += entry.name;
    }
    const uint32_t directoryOffset = static_cast<uint32_t>(zip.size());
    zip += central;
    zip::Put32(zip, zip::kEndSignature);
    zip::Put16(zip, 0);
    zip::Put16(zip, 0);
    zip::Put16(zip, static_cast<uint16_t>(entries.size()));
    zip::Put16(zip, static_cast<uint16_t>(entries.size()));
    zip::Put32(zip, static_cast<uint32_t>(central.size()));
    zip::Put32(zip, directoryOffset);
    zip::Put16(zip, 0);
    return zip;
}
