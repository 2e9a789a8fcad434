#include "discovery/DriverStore.h"

#include <vector>

#include "platform/ProcAddress.h"

const DriverStore& DriverStore::System()
{
    // SetupAPI is linked into the program, so the library stays loaded anyway; the lookup is
    // made once instead of once per device.
    static const DriverStore store(GetProcAddressAs<LocationFunction>(
        ::LoadLibraryW(L"SetupAPI.dll"), "SetupGetInfDriverStoreLocationW"));
    return store;
}

std::wstring DriverStore::Locate(const std::wstring& fileName) const
{
    if (lookup_)
        return lookup_(fileName);
    if (!location_)
        return std::wstring();
    DWORD required = 0;
    location_(fileName.c_str(), nullptr, nullptr, nullptr, 0, &required);
    // The store's answer may have grown between the two calls: grow and ask again.
    std::vector<wchar_t> buffer;
    while (required > buffer.size()) {
        buffer.assign(required, L'\0');
        if (location_(fileName.c_str(), nullptr, nullptr, buffer.data(), required, &required)) {
            buffer.back() = L'\0';
            return buffer.data();
        }
    }
    return std::wstring();
}
