#include "framework/ToolbarResource.h"

#include <cstring>

#include "framework/AppModule.h"

namespace {

// Reads the fields as values of type Field: `leading` fields (the version) before the width,
// the height and the count, then one field per item. False unless the size fits exactly.
template <typename Field>
bool ReadFields(const unsigned char* data, size_t size, size_t leading, ToolbarResource& toolbar)
{
    const auto field = [data](size_t index) {
        Field value = 0;
        std::memcpy(&value, data + index * sizeof(Field), sizeof(Field));
        return static_cast<size_t>(value);
    };
    const size_t headerFields = leading + 3;
    if (size < headerFields * sizeof(Field))
        return false;
    const size_t width = field(leading), height = field(leading + 1), count = field(leading + 2);
    if (width > 0xFFFF || height > 0xFFFF || size != (headerFields + count) * sizeof(Field))
        return false;
    toolbar.width = static_cast<WORD>(width);
    toolbar.height = static_cast<WORD>(height);
    toolbar.items.resize(count);
    for (size_t i = 0; i < count; ++i)
        toolbar.items[i] = static_cast<WORD>(field(headerFields + i));
    return true;
}

} // namespace

bool ParseToolbarResource(const void* data, size_t size, ToolbarResource& toolbar)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (!bytes)
        return false;
    // Microsoft's rc: WORD fields after a WORD version of 1. GNU windres: DWORD fields and
    // no version.
    WORD version = 0;
    if (size >= sizeof(version))
        std::memcpy(&version, bytes, sizeof(version));
    return (version == 1 && ReadFields<WORD>(bytes, size, 1, toolbar)) || ReadFields<DWORD>(bytes, size, 0, toolbar);
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
