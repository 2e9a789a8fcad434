// The device tree filled from a scan's records a batch of devices at a time, so that the
// thread that owns the tree can handle its messages (paint, input, a move of the window)
// between two batches instead of waiting for thousands of rows at once.
#pragma once

#include <windows.h>

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "devices/DeviceList.h"

class TreeFill {
public:
    // Starts the fill: drawing suspended, every item deleted, the computer's node inserted.
    // The list and the tree must outlive the fill, and the list must not be scanned again
    // before the fill is done.
    TreeFill(const DeviceList& list, HWND tree);
    TreeFill(const TreeFill&) = delete;
    TreeFill& operator=(const TreeFill&) = delete;

    // Inserts up to count more devices (their class nodes as they are needed); once every
    // device is in, expands the computer's node and draws the tree again. True when the tree
    // is complete.
    bool Next(size_t count);
    bool Done() const noexcept { return finished; }
    size_t DevicesLeft() const noexcept { return order.size() - next; }

private:
    void InsertDevice(const DeviceInfo& device);
    void Finish();

    const DeviceList* list;
    HWND tree;
    HTREEITEM root = nullptr;
    // The devices in the order they are inserted (see the constructor).
    std::vector<const DeviceInfo*> order;
    size_t next = 0;
    std::map<std::wstring, const DeviceInfo*> firstOfClass;
    std::map<std::wstring, HTREEITEM> classNodes;
    bool finished = false;
};
