// The device list's tree: computer, class and device nodes, every one with an unchecked box.
#include "devices/DeviceList.h"

#include <commctrl.h>

namespace {

// The setup class Computer, whose image stands for the machine at the root.
const GUID kComputerClass = {0x4D36E966, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

// State image 1: a cleared check box.
const UINT kUncheckedState = INDEXTOSTATEIMAGEMASK(1);

// Inserts with text only; the other attributes follow in separate messages.
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

} // namespace

void DeviceList::SetClassImageList(SP_CLASSIMAGELIST_DATA* images)
{
    classImageList = images;
    computerImage = 0;
    if (classImageList)
        ::SetupDiGetClassImageIndex(classImageList, &kComputerClass, &computerImage);
}

void DeviceList::FillTree(HWND tree)
{
    ::SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));

    wchar_t computerName[1024] = L"";
    DWORD size = 1024;
    if (!::GetComputerNameW(computerName, &size))
        computerName[0] = L'\0';
    HTREEITEM root = InsertItem(tree, TVI_ROOT, computerName);
    SetImages(tree, root, computerImage);
    SetUnchecked(tree, root);

    // Class nodes are found by class name; the tree itself sorts them by their text.
    std::map<std::wstring, HTREEITEM> classNodes;
    for (const auto& entry : devices) {
        const DeviceInfo& device = *entry.second;
        int image = 0;
        HTREEITEM classNode = nullptr;
        const auto found = classNodes.find(device.className);
        if (found == classNodes.end()) {
            classNode = InsertItem(tree, root, device.classDescription);
            if (!classImageList ||
                !::SetupDiGetClassImageIndex(classImageList, &device.devInfoData.ClassGuid, &image))
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

    ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
    ::SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
    ::RedrawWindow(tree, nullptr, nullptr, RDW_FRAME | RDW_ALLCHILDREN | RDW_NOINTERNALPAINT | RDW_INVALIDATE);
}
