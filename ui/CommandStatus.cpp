#include "ui/CommandStatus.h"

#include "framework/ResourceText.h"
#include "resources/resource.h"

std::wstring SaveStatusText(const DeviceReport& report, size_t given, const std::wstring& target)
{
    size_t saved = 0;
    for (const ReportDevice& device : report.devices)
        saved += device.status == L"saved" ? 1 : 0;
    return FormatResourceString(IDS_STATUS_SAVED, {std::to_wstring(saved), std::to_wstring(given), target});
}

std::wstring ExportStatusText(size_t devices, const std::wstring& file)
{
    return FormatResourceString(IDS_STATUS_EXPORTED, {std::to_wstring(devices), file});
}

std::wstring RestoreStatusText(const std::wstring& backup, const std::wstring& summary)
{
    return FormatResourceString(IDS_STATUS_RESTORED, {backup, summary});
}

std::wstring VerifyStatusText(const std::wstring& backup, const std::wstring& summary)
{
    return FormatResourceString(IDS_STATUS_VERIFIED, {backup, summary});
}
