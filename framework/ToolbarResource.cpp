#include "framework/ToolbarResource.h"

#include <cstring>

#include "framework/AppModule.h"

bool ParseToolbarResource(const void* data, size_t size, ToolbarResource& toolbar)
{
    const size_t headerWords = 4;
    if (!data || size < headerWords * sizeof(WORD))
        return false;
    WORD header[headerWords];
    std::memcpy(header, data, sizeof(header));
    if (header[0] != 1)
        return false;
    const size_t count = header[3];
    if (size < (headerWords + count) * sizeof(WORD))
        return false;
    toolbar.width = header[1];
    toolbar.height = header[2];
    toolbar.items.resize(count);
    if (count)
        std::memcpy(toolbar.items.data(), static_cast<const WORD*>(data) + headerWords, count * sizeof(WORD));
    return true;
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
