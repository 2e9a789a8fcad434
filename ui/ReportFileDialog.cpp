#include <windows.h>
#include <commdlg.h>

#include "ui/ReportFileDialog.h"

#include <vector>

#include "framework/ResourceText.h"
#include "resources/resource.h"
#include "saving/ReportWriter.h"

namespace {

const DWORD kCsvFilter = 2;
// Long enough for any path the dialog gives; a longer one is refused by the dialog itself.
const size_t kFileBufferLength = 32768;

} // namespace

bool ChooseReportFile(HWND owner, std::wstring& file)
{
    // The string table cannot hold the null characters between the filter's parts.
    std::wstring filter = FormatResourceString(IDS_EXPORT_FILTER);
    for (wchar_t& c : filter)
        if (c == L'|')
            c = L'\0';
    const std::wstring title = FormatResourceString(IDS_EXPORT_CAPTION);
    std::vector<wchar_t> buffer(kFileBufferLength, L'\0');
    const std::wstring initial = L"Tarnwick devices.json";
    initial.copy(buffer.data(), initial.size());

    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!::GetSaveFileNameW(&dialog))
        return false;
    file = WithReportExtension(buffer.data(), dialog.nFilterIndex);
    return true;
}

std::wstring WithReportExtension(const std::wstring& file, DWORD filterIndex)
{
    if (IsReportFileName(file))
        return file;
    return file + (filterIndex == kCsvFilter ? L".csv" : L".json");
}
