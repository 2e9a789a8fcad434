#include "platform/FileCopy.h"

#include <algorithm>
#include <vector>

#include "platform/Handles.h"

namespace {

const DWORD kLargestChunk = 1u << 20;
const DWORD kCopiedAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

bool CopyContent(HANDLE from, HANDLE to, uint64_t size, Sha256Hash* digest)
{
    std::vector<char> buffer(static_cast<size_t>(std::max<uint64_t>(1, std::min<uint64_t>(size, kLargestChunk))));
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
            return false;
        if (read == 0)
            return true;
        if (digest && !digest->Add(buffer.data(), read)) {
            ::SetLastError(ERROR_INVALID_DATA);
            return false;
        }
        DWORD written = 0;
        if (!::WriteFile(to, buffer.data(), read, &written, nullptr))
            return false;
        // A short write without an error: the volume took no more.
        if (written != read) {
            ::SetLastError(ERROR_DISK_FULL);
            return false;
        }
    }
}

LARGE_INTEGER AsLargeInteger(const FILETIME& time)
{
    LARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = static_cast<LONG>(time.dwHighDateTime);
    return value;
}

} // namespace

UniqueFileHandle OpenCopySource(const std::wstring& path)
{
    return UniqueFileHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

bool CopyFileStamped(const std::wstring& source, const std::wstring& target, const FILETIME& time)
{
    const UniqueFileHandle from = OpenCopySource(source);
    return from && CopyFileStamped(from.get(), target, time);
}

bool CopyFileStamped(HANDLE from, const std::wstring& target, const FILETIME& time, Sha256Hash* digest)
{
    // Size and attributes asked one by one: the whole information in one call asks for the
    // volume's serial number too, which under Wine costs more than a small file's copy.
    LARGE_INTEGER size;
    FILE_BASIC_INFO sourceInfo;
    if (!::GetFileSizeEx(from, &size) || !::GetFileInformationByHandleEx(from, FileBasicInfo, &sourceInfo, sizeof(sourceInfo)))
        return false;
    // Written as a plain file: its attributes come last, with the times, so that a copy that
    // fails part way, even of a read-only file, can still be removed.
    UniqueFileHandle to(::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!to)
        return false;
    if (!CopyContent(from, to.get(), static_cast<uint64_t>(size.QuadPart), digest)) {
        const DWORD error = ::GetLastError();
        to.reset();
        ::DeleteFileW(target.c_str());
        ::SetLastError(error);
        return false;
    }
    FILE_BASIC_INFO basic = {};
    basic.CreationTime = AsLargeInteger(time);
    basic.LastWriteTime = AsLargeInteger(time);
    const DWORD attributes = sourceInfo.FileAttributes & kCopiedAttributes;
    basic.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    if (!::SetFileInformationByHandle(to.get(), FileBasicInfo, &basic, sizeof(basic)))
        ::SetFileTime(to.get(), &time, nullptr, &time);
    return true;
}
