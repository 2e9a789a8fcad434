// INF texts for tests that read a driver's file set from an INF of their own, so that each
// test shows only the sections it is about.
#pragma once

#include <string>

// The [Version] section of a plain Contoso driver (class Sample, 1.2.3.4 of 06/21/2006), with
// `extra` lines (CatalogFile, LayoutFile) at its end.
inline std::string VersionSection(const std::string& extra = "")
{
    return "[Version]\nSignature=\"$WINDOWS NT$\"\nClass=Sample\nClassGuid={78A1C341-4539-11d3-B88D-00C04FAD5171}\n"
           "Provider=Contoso\nDriverVer=06/21/2006,1.2.3.4\n" +
           extra;
}

// The install section `section`, which copies `files` (one a line) into the drivers folder.
inline std::string CopyToDrivers(const std::string& section, const std::string& files)
{
    return "\n[DestinationDirs]\nDefaultDestDir = 12\n\n[" + section + "]\nCopyFiles = " + section + ".Copy\n\n[" +
           section + ".Copy]\n" + files;
}
