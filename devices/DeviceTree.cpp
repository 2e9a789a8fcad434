// The device list's tree: computer, class and device nodes, every one with an unchecked box.
#include "devices/DeviceList.h"

#include <cstddef>

#include "devices/TreeFill.h"

namespace {

// The setup class Computer, whose image stands for the machine at the root.
const GUID kComputerClass = {0x4D36E966, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

} // namespace

void DeviceList::SetClassImageList(SP_CLASSIMAGELIST_DATA* images)
{
    classImageList = images;
    computerImage = 0;
    if (classImageList)
        ::SetupDiGetClassImageIndex(classImageList, &kComputerClass, &computerImage);
}

void DeviceList::FillTree(HWND tree) const
{
    TreeFill fill(*this, tree);
    fill.Next(SIZE_MAX);
}
