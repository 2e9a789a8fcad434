#include "ui/ShellActions.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include "platform/ProcAddress.h"
#include "platform/ShellPath.h"
#include "Version.h"
#include "ui/HtmlHelpLibrary.h"

const wchar_t kHomePageUrl[] = L"" TARNWICK_HOMEPAGE_URL;
const wchar_t kSupportEmailUrl[] = L"mailto:" TARNWICK_SUPPORT_EMAIL;

namespace {

int CALLBACK PreselectFolder(HWND dialog, UINT message, LPARAM, LPARAM data)
{
    if (message == BFFM_INITIALIZED && data != 0) {
        const auto* path = reinterpret_cast<const std::wstring*>(data);
        ::SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path->c_str()));
    }
    return 0;
}

} // namespace

void ShellOpen(const std::wstring& target)
{
    ::ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void OpenHomePage()
{
    ShellOpen(kHomePageUrl);
}

void OpenDeviceManager(HWND owner)
{
    ::ShellExecuteW(owner, L"open", L"devmgmt.msc", nullptr, nullptr, SW_SHOWNORMAL);
}

void ShowHelp(HWND owner)
{
    wchar_t program[kPathBufferLength] = L"";
    const DWORD length = ::GetModuleFileNameW(nullptr, program, static_cast<DWORD>(kPathBufferLength));
    if (length == 0 || length >= kPathBufferLength)
        return;
    const std::wstring helpFile = JoinPath(WithoutFileName(program), L"Help.chm");
    if (helpFile.empty())
        return;
    if (const HtmlHelpLibrary::EntryPoint htmlHelp = HtmlHelpLibrary::System().Get())
        htmlHelp(owner, helpFile.c_str(), 0, 0);
}

void ShowDeviceProperties(const std::wstring& instanceId, HWND owner)
{
    using RunDllFunction = void(WINAPI*)(HWND, HINSTANCE, LPCWSTR, int);
    if (instanceId.empty())
        return;
    // Kept loaded for the rest of the run, like the help library.
    const HMODULE devmgr = ::LoadLibraryW(L"devmgr.dll");
    const auto deviceProperties = GetProcAddressAs<RunDllFunction>(devmgr, "DeviceProperties_RunDLLW");
    if (!deviceProperties)
        return;
    const std::wstring commandLine = L"/DeviceID " + instanceId;
    deviceProperties(owner, nullptr, commandLine.c_str(), SW_SHOW);
}

bool BrowseForTargetFolder(std::wstring& path, HWND owner, const wchar_t* title)
{
    wchar_t displayName[kPathBufferLength] = L"";
    BROWSEINFOW browse = {};
    browse.hwndOwner = owner;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = title;
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    browse.lpfn = PreselectFolder;
    browse.lParam = path.empty() ? 0 : reinterpret_cast<LPARAM>(&path);

    PIDLIST_ABSOLUTE item = ::SHBrowseForFolderW(&browse);
    if (!item)
        return false;
    // Freed before the text is copied, which is the one step that can throw.
    wchar_t chosen[kPathBufferLength] = L"";
    ::SHGetPathFromIDListW(item, chosen);
    ::CoTaskMemFree(item);
    path = chosen;
    return true;
}
