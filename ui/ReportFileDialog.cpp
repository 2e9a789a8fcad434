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

bool ChooseSaveFile(HWND owner, UINT title, UINT filter, const std::wstring& initial, std::wstring& file,
                    DWORD* filterIndex)
{
    // The string table cannot hold the null characters between the filter's parts.
    std::wstring filterText = FormatResourceString(filter);
    for (wchar_t& c : filterText)
        if (c == L'|')
            c = L'\0';
    const std::wstring titleText = FormatResourceString(title);
    std::vector<wchar_t> buffer(kFileBufferLength, L'\0');
    initial.copy(buffer.data(), initial.size());

    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filterText.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.lpstrTitle = titleText.c_str();
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!::GetSaveFileNameW(&dialog))
        return false;
    file = buffer.data();
    if (filterIndex)
        *filterIndex = dialog.nFilterIndex;
    return true;
}

bool ChooseReportFile(HWND owner, std::wstring& file)
{
    DWORD filterIndex = 1;
    if (!ChooseSaveFile(owner, IDS_EXPORT_CAPTION, IDS_EXPORT_FILTER, L"Tarnwick devices.json", file, &filterIndex))
        return false;
    file = WithReportExtension(file, filterIndex);
    return true;
}

std::wstring WithReportExtension(const std::wstring& file, DWORD filterIndex)
{
    if (IsReportFileName(file))
        return file;
    return file + (filterIndex == kCsvFilter ? L".csv" : L".json");
}
