#include "discovery/SourceFileLocation.h"

#include <vector>

namespace {

// The decorated section that Windows reads first on the platform this program is built for.
#if defined(_M_ARM64) || defined(__aarch64__)
const wchar_t kPlatformSection[] = L"SourceDisksFiles.arm64";
#else
const wchar_t kPlatformSection[] = L"SourceDisksFiles.amd64";
#endif
const wchar_t kPlainSection[] = L"SourceDisksFiles";

const DWORD kDiskIdField = 1;
const DWORD kSubdirectoryField = 2;

// A field that the line lacks reads as empty text.
std::wstring StringField(INFCONTEXT& line, DWORD field)
{
    DWORD needed = 0;
    if (!::SetupGetStringFieldW(&line, field, nullptr, 0, &needed) || needed == 0)
        return std::wstring();
    std::vector<wchar_t> buffer(needed, L'\0');
    if (!::SetupGetStringFieldW(&line, field, buffer.data(), needed, nullptr))
        return std::wstring();
    buffer.back() = L'\0';
    return buffer.data();
}

} // namespace

bool ReadSourceFileLocation(HINF inf, const std::wstring& fileName, SourceFileLocation& location)
{
    INFCONTEXT line = {};
    if (!::SetupFindFirstLineW(inf, kPlatformSection, fileName.c_str(), &line) &&
        !::SetupFindFirstLineW(inf, kPlainSection, fileName.c_str(), &line))
        return false;
    INT diskId = 0;
    if (!::SetupGetIntField(&line, kDiskIdField, &diskId))
        return false;
    location.diskId = static_cast<UINT>(diskId);
    location.subdirectory = StringField(line, kSubdirectoryField);
    return true;
}
