#include "ui/FileListOrder.h"

#include "platform/ShellPath.h"

namespace {

template <typename T> int Compare(const T& left, const T& right) noexcept
{
    return left < right ? -1 : (right < left ? 1 : 0);
}

unsigned long long TimeValue(const FILETIME& time) noexcept
{
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

} // namespace

FileListOrder AfterColumnClick(FileListOrder order, int clickedColumn)
{
    const bool flip = clickedColumn == order.column && !order.descending;
    return FileListOrder{clickedColumn, flip};
}

int CompareDriverFiles(const DriverFile* left, const DriverFile* right, FileListOrder order) noexcept
{
    if (!left || !right)
        return 0;
    int result = 0;
    switch (order.column) {
    case kNameColumn:
        result = CompareFoldingAsciiCase(left->name, right->name);
        break;
    case kSizeColumn:
        result = Compare(left->size, right->size);
        break;
    case kDateColumn:
        result = Compare(TimeValue(left->time), TimeValue(right->time));
        break;
    default:
        break;
    }
    return order.descending ? -result : result;
}
