#include "framework/ToolbarResource.h"

#include <cstring>

#include "framework/AppModule.h"

namespace {

// Microsoft's resource compiler: WORD version (1), width, height, count, then WORD items.
bool ParseWordForm(const unsigned char* data, size_t size, ToolbarResource& toolbar)
{
    WORD header[4];
    if (size < sizeof(header))
        return false;
    std::memcpy(header, data, sizeof(header));
    const size_t count = header[3];
    if (header[0] != 1 || size != sizeof(header) + count * sizeof(WORD))
        return false;
    toolbar.width = header[1];
    toolbar.height = header[2];
    toolbar.items.resize(count);
    for (size_t i = 0; i < count; ++i)
        std::memcpy(&toolbar.items[i], data + sizeof(header) + i * sizeof(WORD), sizeof(WORD));
    return true;
}

// GNU windres: DWORD width, height, count, then DWORD items, and no version.
bool ParseDwordForm(const unsigned char* data, size_t size, ToolbarResource& toolbar)
{
    DWORD header[3];
    if (size < sizeof(header))
        return false;
    std::memcpy(header, data, sizeof(header));
    const size_t count = header[2];
    if (header[0] > 0xFFFF || header[1] > 0xFFFF || count > 0xFFFF || size != sizeof(header) + count * sizeof(DWORD))
        return false;
    toolbar.width = static_cast<WORD>(header[0]);
    toolbar.height = static_cast<WORD>(header[1]);
    toolbar.items.resize(count);
    for (size_t i = 0; i < count; ++i) {
        DWORD item = 0;
        std::memcpy(&item, data + sizeof(header) + i * sizeof(DWORD), sizeof(DWORD));
        toolbar.items[i] = static_cast<WORD>(item);
    }
    return true;
}

} // namespace

bool ParseToolbarResource(const void* data, size_t size, ToolbarResource& toolbar)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    return bytes && (ParseWordForm(bytes, size, toolbar) || ParseDwordForm(bytes, size, toolbar));
}

bool LoadToolbarResource(WORD id, ToolbarResource& toolbar)
{
    const HINSTANCE instance = AppModule().GetInstance();
    const HRSRC resource = ::FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(kToolbarResourceType));
    if (!resource)
        return false;
    const HGLOBAL loaded = ::LoadResource(instance, resource);
    return loaded && ParseToolbarResource(::LockResource(loaded), ::SizeofResource(instance, resource), toolbar);
}
