// The platform part of an INF's decorations ([Models.NTamd64], CatalogFile.NTarm64,
// [SourceDisksFiles.amd64]) for the machine the program runs on. The system installs drivers
// made for its own processor, so an x64 program running on ARM64 Windows reads the ARM64
// sections, as the system's installer does.
#pragma once

#include <windows.h>

#include <string>

// "amd64", "arm64" or "x86" for an IMAGE_FILE_MACHINE_* value; "amd64" for any other.
std::wstring DecorationForMachine(USHORT machine);

// The decoration of the running machine's processor: "amd64" on x64, "arm64" on ARM64.
std::wstring MachineDecoration();

// The same with "NT" before it, as models, install sections and CatalogFile lines use it:
// "NTamd64".
std::wstring NtMachineDecoration();
