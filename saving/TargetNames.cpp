#include "saving/TargetNames.h"

#include <windows.h>

#include <cwchar>

#include "platform/ShellPath.h"
#include "platform/SystemIdentity.h"
#include "saving/SavePaths.h"

namespace {

struct NameRow {
    const wchar_t* name;
    std::wstring TargetNameValues::*value;
    // What stands in when the value has nothing usable for a folder name.
    const wchar_t* standIn;
};

const NameRow kNames[] = {
    {L"computer", &TargetNameValues::computer, L"Unknown computer"},
    {L"manufacturer", &TargetNameValues::manufacturer, L"Unknown maker"},
    {L"model", &TargetNameValues::model, L"Unknown model"},
    {L"os", &TargetNameValues::os, L"Windows"},
    {L"date", &TargetNameValues::date, L"Unknown date"},
};

const NameRow* FindName(const std::wstring& name)
{
    for (const NameRow& row : kNames) {
        if (EqualsFoldingAsciiCase(name, row.name))
            return &row;
    }
    return nullptr;
}

// Walks the names of text in order, calling onText for the text between them and onName for
// each known name; stops at the first error.
template <typename OnText, typename OnName>
TargetNameError WalkNames(const std::wstring& text, OnText onText, OnName onName)
{
    size_t at = 0;
    while (at < text.size()) {
        const size_t open = text.find_first_of(L"{}", at);
        if (open == std::wstring::npos) {
            onText(text.substr(at));
            break;
        }
        if (text[open] == L'}')
            return TargetNameError::UnmatchedBrace;
        const size_t close = text.find_first_of(L"{}", open + 1);
        if (close == std::wstring::npos || text[close] == L'{')
            return TargetNameError::UnmatchedBrace;
        const NameRow* row = FindName(text.substr(open + 1, close - open - 1));
        if (!row)
            return TargetNameError::UnknownName;
        onText(text.substr(at, open - at));
        onName(*row);
        at = close + 1;
    }
    return TargetNameError::None;
}

std::wstring Today()
{
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    wchar_t text[16] = L"";
    ::swprintf_s(text, L"%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
    return text;
}

} // namespace

TargetNameError CheckTargetNames(const std::wstring& text)
{
    return WalkNames(text, [](const std::wstring&) {}, [](const NameRow&) {});
}

bool UsesTargetName(const std::wstring& text, const std::wstring& name)
{
    bool used = false;
    WalkNames(text, [](const std::wstring&) {},
              [&](const NameRow& row) { used = used || EqualsFoldingAsciiCase(name, row.name); });
    return used;
}

std::optional<std::wstring> ExpandTargetNames(const std::wstring& text, const TargetNameValues& values)
{
    std::wstring expanded;
    const TargetNameError error = WalkNames(
        text, [&](const std::wstring& plain) { expanded += plain; },
        [&](const NameRow& row) { expanded += FolderNameOf({values.*row.value, row.standIn}); });
    if (error != TargetNameError::None)
        return std::nullopt;
    return expanded;
}

TargetNameValues ThisComputerNames()
{
    TargetNameValues values;
    values.computer = ComputerName();
    values.manufacturer = FirmwareManufacturer();
    values.model = FirmwareModel();
    values.os = ThisWindowsName();
    values.date = Today();
    return values;
}
