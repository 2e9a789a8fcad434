#include "discovery/SourceFileLocation.h"

#include "platform/InfText.h"
#include "platform/MachinePlatform.h"

namespace {

const wchar_t kPlainSection[] = L"SourceDisksFiles";

const DWORD kDiskIdField = 1;
const DWORD kSubdirectoryField = 2;

} // namespace

bool ReadSourceFileLocation(HINF inf, const std::wstring& fileName, SourceFileLocation& location)
{
    // The section decorated for the machine's processor comes first, as Windows reads it.
    const std::wstring platformSection = std::wstring(kPlainSection) + L"." + MachineDecoration();
    INFCONTEXT line = {};
    if (!::SetupFindFirstLineW(inf, platformSection.c_str(), fileName.c_str(), &line) &&
        !::SetupFindFirstLineW(inf, kPlainSection, fileName.c_str(), &line))
        return false;
    INT diskId = 0;
    if (!::SetupGetIntField(&line, kDiskIdField, &diskId))
        return false;
    location.diskId = static_cast<UINT>(diskId);
    location.subdirectory = ReadInfField(line, kSubdirectoryField);
    return true;
}
