#include "archive/ZipFormat.h"

#include <vector>

namespace zip {

namespace {

// The code page of names stored without the UTF-8 flag.
const UINT kIbmPcCodePage = 437;
// 1980-01-01 00:00, the first time an MS-DOS date can hold.
const uint16_t kFirstDosDate = (0 << 9) | (1 << 5) | 1;

} // namespace

void Put16(std::string& out, uint16_t value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

void Put32(std::string& out, uint32_t value)
{
    Put16(out, static_cast<uint16_t>(value & 0xFFFF));
    Put16(out, static_cast<uint16_t>(value >> 16));
}

void Put64(std::string& out, uint64_t value)
{
    Put32(out, static_cast<uint32_t>(value & 0xFFFFFFFF));
    Put32(out, static_cast<uint32_t>(value >> 32));
}

uint16_t Get16(const char* bytes)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t Get32(const char* bytes)
{
    return Get16(bytes) | (static_cast<uint32_t>(Get16(bytes + 2)) << 16);
}

uint64_t Get64(const char* bytes)
{
    return Get32(bytes) | (static_cast<uint64_t>(Get32(bytes + 4)) << 32);
}

std::string EntryName(const std::wstring& name)
{
    std::wstring slashed = name;
    for (wchar_t& c : slashed)
        if (c == L'\\')
            c = L'/';
    if (slashed.empty())
        return std::string();
    const int length = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, slashed.data(),
                                             static_cast<int>(slashed.size()), nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::string();
    std::string utf8(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, slashed.data(), static_cast<int>(slashed.size()), &utf8[0],
                          length, nullptr, nullptr);
    return utf8;
}

std::wstring NameText(const std::string& stored, bool utf8)
{
    if (stored.empty())
        return std::wstring();
    const UINT codePage = utf8 ? CP_UTF8 : kIbmPcCodePage;
    const DWORD flags = utf8 ? MB_ERR_INVALID_CHARS : 0;
    const int length =
        ::MultiByteToWideChar(codePage, flags, stored.data(), static_cast<int>(stored.size()), nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, flags, stored.data(), static_cast<int>(stored.size()), &text[0], length);
    return text;
}

void DosTimeOf(const FILETIME& time, uint16_t& dosTime, uint16_t& dosDate)
{
    FILETIME local = {};
    WORD date = 0;
    WORD clock = 0;
    if (!::FileTimeToLocalFileTime(&time, &local) || !::FileTimeToDosDateTime(&local, &date, &clock)) {
        dosDate = kFirstDosDate;
        dosTime = 0;
        return;
    }
    dosDate = date;
    dosTime = clock;
}

} // namespace zip
