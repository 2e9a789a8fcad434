#include <windows.h>
#include <commctrl.h>

#include "devices/TreeFill.h"

#include <algorithm>

namespace {

// State image 1: a cleared check box.
const UINT kUncheckedState = INDEXTOSTATEIMAGEMASK(1);

// Inserts with text only, in the tree's own sorted place; the other attributes follow in
// separate messages.
HTREEITEM InsertItem(HWND tree, HTREEITEM parent, const std::wstring& text)
{
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_SORT;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    return reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void SetItem(HWND tree, TVITEMW& item)
{
    ::SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void SetImages(HWND tree, HTREEITEM handle, int image)
{
    TVITEMW item = {};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = handle;
    item.iImage = image;
    item.iSelectedImage = image;
    SetItem(tree, item);
}

void SetUnchecked(HWND tree, HTREEITEM handle)
{
    TVITEMW item = {};
    item.mask = TVIF_STATE;
    item.hItem = handle;
    item.state = kUncheckedState;
    item.stateMask = TVIS_STATEIMAGEMASK;
    SetItem(tree, item);
}

void SetData(HWND tree, HTREEITEM handle, const DeviceInfo* device)
{
    TVITEMW item = {};
    item.mask = TVIF_PARAM;
    item.hItem = handle;
    item.lParam = reinterpret_cast<LPARAM>(device);
    SetItem(tree, item);
}

int ItemImage(HWND tree, HTREEITEM handle)
{
    TVITEMW item = {};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = handle;
    ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

// The tree sorts a new item in by walking its siblings from the first until one comes after
// it. Handed a class's devices from the last name to the first, it finds each one's place at
// once, where in name order it walks every row inserted before: with thousands of devices in
// one class that walk, not the insertion, is the fill. Devices of the same name keep the
// list's order, so the tree comes out as it would in list order.
void LastNameFirst(std::vector<const DeviceInfo*>::iterator first, std::vector<const DeviceInfo*>::iterator last)
{
    std::stable_sort(first, last, [](const DeviceInfo* left, const DeviceInfo* right) {
        return ::lstrcmpiW(left->name.c_str(), right->name.c_str()) > 0;
    });
}

} // namespace

TreeFill::TreeFill(const DeviceList& list, HWND tree) : list(&list), tree(tree)
{
    // The list's order keeps the devices of a class together.
    for (const auto& entry : list.Devices())
        order.push_back(entry.second.get());
    for (auto start = order.begin(); start != order.end();) {
        const std::wstring& className = (*start)->className;
        const auto end = std::find_if(start, order.end(), [&](const DeviceInfo* d) { return d->className != className; });
        // The class's node is made for its first device in the list's order.
        firstOfClass.emplace(className, *start);
        LastNameFirst(start, end);
        start = end;
    }

    ::SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    wchar_t computerName[1024] = L"";
    DWORD size = 1024;
    if (!::GetComputerNameW(computerName, &size))
        computerName[0] = L'\0';
    root = InsertItem(tree, TVI_ROOT, computerName);
    SetImages(tree, root, list.ComputerImage());
    SetUnchecked(tree, root);
}

bool TreeFill::Next(size_t count)
{
    for (; count > 0 && next < order.size(); --count)
        InsertDevice(*order[next++]);
    if (next == order.size() && !finished)
        Finish();
    return finished;
}

void TreeFill::InsertDevice(const DeviceInfo& device)
{
    int image = 0;
    HTREEITEM classNode = nullptr;
    const auto found = classNodes.find(device.className);
    if (found == classNodes.end()) {
        const DeviceInfo& first = *firstOfClass.at(device.className);
        classNode = InsertItem(tree, root, first.classDescription);
        SP_CLASSIMAGELIST_DATA* images = list->ClassImages();
        if (!images || !::SetupDiGetClassImageIndex(images, &first.devInfoData.ClassGuid, &image))
            image = 0;
        SetImages(tree, classNode, image);
        SetUnchecked(tree, classNode);
        classNodes.emplace(device.className, classNode);
    } else {
        classNode = found->second;
        image = ItemImage(tree, classNode);
    }
    HTREEITEM item = InsertItem(tree, classNode, device.name);
    SetData(tree, item, &device);
    SetImages(tree, item, image);
    SetUnchecked(tree, item);
}

void TreeFill::Finish()
{
    finished = true;
    ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
    ::SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
    ::RedrawWindow(tree, nullptr, nullptr, RDW_FRAME | RDW_ALLCHILDREN | RDW_NOINTERNALPAINT | RDW_INVALIDATE);
}
