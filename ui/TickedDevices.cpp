#include "ui/TickedDevices.h"

#include "framework/CTreeViewCtrlEx.h"
#include "ui/CheckPropagation.h"

std::vector<DeviceInfo*> CollectTickedDevices(HWND treeWindow)
{
    const CTreeViewCtrlEx tree(treeWindow);
    std::vector<DeviceInfo*> devices;
    const HTREEITEM root = tree.GetRootItem();
    if (!root)
        return devices;
    for (HTREEITEM classNode = tree.GetChildItem(root); classNode; classNode = tree.GetNextSiblingItem(classNode)) {
        for (HTREEITEM node = tree.GetChildItem(classNode); node; node = tree.GetNextSiblingItem(node)) {
            auto* device = reinterpret_cast<DeviceInfo*>(tree.GetItemData(node));
            if (tree.GetStateImage(node) == kChecked && device)
                devices.push_back(device);
        }
    }
    return devices;
}
