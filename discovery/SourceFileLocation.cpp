#include "discovery/SourceFileLocation.h"

#include "platform/InfText.h"

bool ReadSourceFileLocation(HINF inf, const std::wstring& fileName, SourceFileLocation& location)
{
    // The section decorated for the machine's processor comes first, as Windows reads it.
    INFCONTEXT line = {};
    bool found = false;
    for (const std::wstring& section : PlatformSections(L"SourceDisksFiles"))
        found = found || ::SetupFindFirstLineW(inf, section.c_str(), fileName.c_str(), &line);
    if (!found)
        return false;
    INT diskId = 0;
    if (!::SetupGetIntField(&line, kDiskIdField, &diskId))
        return false;
    location.diskId = static_cast<UINT>(diskId);
    location.subdirectory = ReadInfField(line, kSubdirectoryField);
    return true;
}
