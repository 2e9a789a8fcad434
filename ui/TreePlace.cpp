#include "ui/TreePlace.h"

#include <algorithm>

#include "model/DeviceInfo.h"

namespace {

const DeviceInfo* DeviceOf(const CTreeViewCtrlEx& tree, HTREEITEM item)
{
    return reinterpret_cast<const DeviceInfo*>(tree.GetItemData(item));
}

bool IsOpen(const CTreeViewCtrlEx& tree, HTREEITEM item)
{
    return (tree.GetItemState(item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

} // namespace

TreePlace TakePlace(const CTreeViewCtrlEx& tree)
{
    TreePlace place;
    const HTREEITEM root = tree.GetRootItem();
    for (HTREEITEM node = root ? tree.GetChildItem(root) : nullptr; node; node = tree.GetNextSiblingItem(node)) {
        if (IsOpen(tree, node))
            place.openClasses.push_back(tree.GetItemText(node));
    }
    const HTREEITEM selected = tree.GetCaretItem();
    if (!selected)
        return place;
    if (const DeviceInfo* device = DeviceOf(tree, selected))
        place.selectedDevice = device->instanceId;
    else if (selected == root)
        place.rootSelected = true;
    else
        place.selectedNode = tree.GetItemText(selected);
    return place;
}

void GiveBackPlace(const CTreeViewCtrlEx& tree, const TreePlace& place)
{
    const HTREEITEM root = tree.GetRootItem();
    if (!root)
        return;
    HTREEITEM select = place.rootSelected ? root : nullptr;
    for (HTREEITEM node = tree.GetChildItem(root); node; node = tree.GetNextSiblingItem(node)) {
        const std::wstring text = tree.GetItemText(node);
        const bool open = std::find(place.openClasses.begin(), place.openClasses.end(), text) != place.openClasses.end();
        if (open)
            tree.Expand(node);
        if (!place.selectedNode.empty() && text == place.selectedNode)
            select = node;
        for (HTREEITEM item = tree.GetChildItem(node); item && !place.selectedDevice.empty();
             item = tree.GetNextSiblingItem(item)) {
            const DeviceInfo* device = DeviceOf(tree, item);
            if (device && device->instanceId == place.selectedDevice)
                select = item;
        }
    }
    if (select)
        tree.SelectItem(select);
}
