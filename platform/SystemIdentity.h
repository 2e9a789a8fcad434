// What names a computer and its Windows, as deployment kits name their driver folders: the
// computer's name, the system's maker and model as the firmware reports them, and the
// Windows ("Windows 11 x64"). Read from the running system here; an offline Windows gives its
// own product, build and architecture to WindowsName.
#pragma once

#include <string>

// The computer's name (its DNS host name); empty when the system does not say.
std::wstring ComputerName();

// The system's maker and product as Windows reads them from the firmware tables
// (SystemManufacturer and SystemProductName of HKLM\HARDWARE\DESCRIPTION\System\BIOS);
// empty when the firmware leaves them empty.
std::wstring FirmwareManufacturer();
std::wstring FirmwareModel();

// The name of a Windows: "Windows", its version without the edition ("10", "8.1", "Vista",
// "Server 2012 R2") and its processors ("x64", "x86", "ARM64"). productName is the
// CurrentVersion key's ProductName ("Windows 10 Pro", "Microsoft Windows 7"), build its
// CurrentBuildNumber (a Windows 10 from build 22000 on is Windows 11, which still calls
// itself "Windows 10" there), architecture as Windows names it ("AMD64", "x86", "ARM64").
// What cannot be read is left out: an unknown product is "Windows".
std::wstring WindowsName(const std::wstring& productName, const std::wstring& build,
                         const std::wstring& architecture);

// The running Windows' name, as above.
std::wstring ThisWindowsName();

// The running system's processors, as Windows names them ("AMD64", "x86", "ARM64").
std::wstring NativeArchitecture();
