#include "ui/PackageListLayout.h"

#include <algorithm>

SIZE SmallestClient(const PackageDialogParts& parts) noexcept
{
    // Both the list and the status line follow the width one for one, so the one with the
    // less to give up decides how much narrower the dialog may get.
    const LONG listSpare = std::max<LONG>(0, parts.list.cx - parts.minListWidth);
    const LONG statusSpare = std::max<LONG>(0, parts.statusWidth - parts.minStatusWidth);
    const LONG narrower = std::min(listSpare, statusSpare);
    const LONG lower = std::max<LONG>(0, parts.list.cy - parts.minListHeight);
    return {parts.client.cx - narrower, parts.client.cy - lower};
}

int NameColumnWidth(int given, int otherColumns, int listInside) noexcept
{
    return std::max(given, listInside - otherColumns);
}
