#include "discovery/SourceFileLocation.h"

#include "platform/InfText.h"

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
    location.subdirectory = ReadInfField(line, kSubdirectoryField);
    return true;
}
