// A benchmark's device package of plain payload files: fileCount files with the given
// contents, a catalog (a stand-in, which a restore's verification calls damaged) unless
// withoutCatalog, and the INF that copies them. No service, so Wine does not try to load a driver at
// every install.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "tests/fixtures/DriverFixture.h"

// The package "<stem><nnn>" for the device "ROOT\<idStem><nnn>"; content(k) is file k's bytes.
inline fixture::Package PayloadPackage(const std::wstring& stem, const std::wstring& idStem, int index, int fileCount,
                                       const std::function<std::string(int)>& content, bool withoutCatalog = false)
{
    wchar_t number[8];
    std::swprintf(number, 8, L"%03d", index);
    const std::wstring name = stem + number;
    const std::wstring hardwareId = L"ROOT\\" + idStem + number;
    fixture::Package package;
    package.infName = name + L".inf";
    std::wstring copyList, diskFiles;
    for (int k = 0; k < fileCount; ++k) {
        const std::wstring file = name + L"_" + std::to_wstring(k) + L".sys";
        copyList += file + L"\r\n";
        diskFiles += file + L"=1\r\n";
        package.files.push_back({file, content(k)});
    }
    if (!withoutCatalog)
        package.files.push_back({name + L".cat", "catalog"});
    package.infText = L"[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=" + std::wstring(fixture::kTestClassName) +
                      L"\r\nClassGuid=" + fixture::kTestClassGuid +
                      L"\r\nProvider=%P%\r\nDriverVer=1/2/2019,10.0.0.1\r\n" +
                      (withoutCatalog ? L"" : L"CatalogFile=" + name + L".cat\r\n") + L"\r\n[Manufacturer]\r\n%P%=M,NTamd64\r\n\r\n[M.NTamd64]\r\n%D%=Inst," + hardwareId +
                      L"\r\n\r\n[Inst.NT]\r\nCopyFiles=Sys\r\n\r\n[Inst.NT.Services]\r\nAddService=,2\r\n\r\n"
                      L"[DestinationDirs]\r\nSys=12\r\n\r\n[Sys]\r\n" + copyList +
                      L"\r\n[SourceDisksNames]\r\n1=%D%,,,\r\n\r\n[SourceDisksFiles]\r\n" + diskFiles +
                      L"\r\n[Strings]\r\nP=\"Fabrikam\"\r\nD=\"" + stem + L" device " + std::to_wstring(index) + L"\"\r\n";
    package.devices = {{hardwareId}};
    return package;
}

// The mixed set's devices: 95 of five 100 KB files and 5 of ten 20 MB files.
const int kMixedSetDevices = 100;

// Device index (1 to kMixedSetDevices) of the mixed set: its payload files, a catalog and the INF.
inline fixture::Package MixedSetPackage(int index)
{
    const int fileCount = index <= 95 ? 5 : 10;
    const size_t fileBytes = index <= 95 ? 100u * 1000u : 20u * 1000u * 1000u;
    return PayloadPackage(L"mixed", L"TARNWICK_MIXED_", index, fileCount,
                          [fileBytes](int k) { return std::string(fileBytes, static_cast<char>('a' + k % 26)); });
}
