// The driver store of Windows 10 and later, which keeps every installed driver package whole
// (INF, catalog and every file in its source layout) in a folder of its own, and from which
// many drivers run. Asked for where a published INF (oem12.inf, by name or full path) came
// from, it names the store copy of that INF.
//
// The system's store asks SetupGetInfDriverStoreLocationW, looked up once per process: older
// systems (and Wine) lack it or answer that it is not implemented, which means no store. A
// test hands discovery a store of its own, whose function behaves as the system's does.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <functional>
#include <string>

class DriverStore {
public:
    // SetupGetInfDriverStoreLocationW's signature: with no buffer it fails and gives the size
    // needed, in characters; a name the store does not know fails.
    using LocationFunction = BOOL(WINAPI*)(PCWSTR fileName, const SP_ALTPLATFORM_INFO* platform, PCWSTR localeName,
                                           PWSTR buffer, DWORD bufferSize, PDWORD requiredSize);

    explicit DriverStore(LocationFunction location) noexcept : location_(location) {}
    // A store that answers by a lookup of its own (the store of an offline Windows): given
    // the published INF's name or path, the store copy's path, or empty text.
    using Lookup = std::function<std::wstring(const std::wstring& fileName)>;
    explicit DriverStore(Lookup lookup) : location_(nullptr), lookup_(std::move(lookup)) {}

    // The system's store; a store without a function when the system has none.
    static const DriverStore& System();

    // The store copy of the INF published under fileName; empty when there is no store or it
    // does not know the name.
    std::wstring Locate(const std::wstring& fileName) const;

private:
    LocationFunction location_;
    Lookup lookup_;
};
