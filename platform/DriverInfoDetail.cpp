#include "platform/DriverInfoDetail.h"

const SP_DRVINFO_DETAIL_DATA_W* ReadDriverInfoDetail(HDEVINFO set, SP_DEVINFO_DATA& element,
                                                     SP_DRVINFO_DATA_W& driver, std::vector<BYTE>& buffer)
{
    DWORD needed = 0;
    ::SetupDiGetDriverInfoDetailW(set, &element, &driver, nullptr, 0, &needed);
    if (needed < sizeof(SP_DRVINFO_DETAIL_DATA_W))
        return nullptr;
    buffer.assign(needed, 0);
    auto* detail = reinterpret_cast<SP_DRVINFO_DETAIL_DATA_W*>(buffer.data());
    detail->cbSize = sizeof(SP_DRVINFO_DETAIL_DATA_W);
    if (!::SetupDiGetDriverInfoDetailW(set, &element, &driver, detail, needed, nullptr))
        return nullptr;
    return detail;
}
