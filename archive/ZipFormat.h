// The parts of the zip file format that both the writer (a backup saved as one zip) and the
// reader (a zip restored or verified) use: the record signatures and sizes, little-endian
// fields, names in UTF-8 with "/" between their parts, and MS-DOS times.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace zip {

const uint32_t kLocalHeaderSignature = 0x04034b50;
const uint32_t kCentralHeaderSignature = 0x02014b50;
const uint32_t kEndSignature = 0x06054b50;
const uint32_t kZip64EndSignature = 0x06064b50;
const uint32_t kZip64LocatorSignature = 0x07064b50;

const size_t kLocalHeaderSize = 30;
const size_t kCentralHeaderSize = 46;
const size_t kEndSize = 22;
const size_t kZip64EndSize = 56;
const size_t kZip64LocatorSize = 20;
// The end record's comment is at most this long, so the end record lies within the last
// kEndSize + kLongestComment bytes.
const size_t kLongestComment = 0xFFFF;

// A 16- or 32-bit field that holds this value is given in the ZIP64 extra field instead.
const uint16_t kZip64Count = 0xFFFF;
const uint32_t kZip64Size = 0xFFFFFFFF;
const uint16_t kZip64ExtraId = 0x0001;
// Room in a local header that the writer keeps for its entry's name to grow into (the
// folder of a device that turned out incomplete is renamed): no reader gives it a meaning.
const uint16_t kPaddingExtraId = 0x5754;

// General purpose flags.
const uint16_t kFlagEncrypted = 0x0001;
const uint16_t kFlagDataDescriptor = 0x0008;
const uint16_t kFlagStrongEncryption = 0x0040;
const uint16_t kFlagUtf8 = 0x0800;

const uint16_t kMethodStored = 0;
const uint16_t kMethodDeflate = 8;

// The system a zip was made on (the high byte of "version made by"): Windows NTFS.
const uint16_t kHostNtfs = 10;

// The version needed to extract: 2.0 for deflate and folders, 4.5 for ZIP64.
const uint16_t kVersionDeflate = 20;
const uint16_t kVersionZip64 = 45;

// Little-endian fields, appended to out or read at a position of bytes (which must hold
// them).
void Put16(std::string& out, uint16_t value);
void Put32(std::string& out, uint32_t value);
void Put64(std::string& out, uint64_t value);
uint16_t Get16(const char* bytes);
uint32_t Get32(const char* bytes);
uint64_t Get64(const char* bytes);

// A name inside the zip: UTF-8, "/" between its parts. Backslashes of a Windows name become
// "/". Empty when the name is not valid UTF-16 text.
std::string EntryName(const std::wstring& name);
// A stored name as text: UTF-8 when the entry says so (flag bit 11), else the IBM PC code
// page that zip tools used before it. Empty when the bytes are not valid in that encoding.
std::wstring NameText(const std::string& stored, bool utf8);

// The MS-DOS date and time (local time, two-second steps) of a file time in UTC; 1980-01-01
// for a time before that.
void DosTimeOf(const FILETIME& time, uint16_t& dosTime, uint16_t& dosDate);

} // namespace zip
