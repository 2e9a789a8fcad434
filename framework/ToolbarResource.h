// The TOOLBAR resource: image size and the command of each button, 0 for a separator.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

struct ToolbarResource {
    WORD width = 0;
    WORD height = 0;
    std::vector<WORD> items;
};

// Reads the resource's data as either compiler writes it: Microsoft's rc (WORD version 1,
// width, height, count, items) or GNU windres (the same fields as DWORDs, without the
// version). False when the data is neither.
bool ParseToolbarResource(const void* data, size_t size, ToolbarResource& toolbar);

// Finds and reads toolbar resource `id` of the program's module.
bool LoadToolbarResource(WORD id, ToolbarResource& toolbar);

// RT_TOOLBAR, which the SDK headers leave to the frameworks.
const WORD kToolbarResourceType = 241;
