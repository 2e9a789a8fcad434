// Where the user is in the device tree: which class nodes are open and which row is selected
// (a device by its instance ID, else a class or the root by its text). Taken before a scan
// rebuilds the tree and given back to the new tree, so that a rescan keeps the user's place
// wherever the same classes and device are listed again. Ticks are not kept: a rescan clears
// them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/CTreeViewCtrlEx.h"

struct TreePlace {
    std::vector<std::wstring> openClasses;  // class nodes' texts
    std::wstring selectedDevice;            // instance ID; empty when no device is selected
    std::wstring selectedNode;              // the selected class node's text, or the root's
    bool rootSelected = false;
};

// The tree's place now. Device nodes carry their DeviceInfo as item data.
TreePlace TakePlace(const CTreeViewCtrlEx& tree);
// Opens the classes that were open and selects the row that was selected, where the new tree
// lists them.
void GiveBackPlace(const CTreeViewCtrlEx& tree, const TreePlace& place);
