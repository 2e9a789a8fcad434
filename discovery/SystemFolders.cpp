#include "discovery/SystemFolders.h"

#include <windows.h>
#include <winspool.h>

#include "platform/RegistryKey.h"
#include "platform/ShellPath.h"

namespace {

const DWORD kFolderBuffer = 512;  // characters

using SpoolerFolderFunction = BOOL(WINAPI*)(LPWSTR, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD);

// Asks the spooler for one of its folders (local server, default environment, level 1, a
// buffer of 512 bytes). Empty text when the spooler cannot answer or the folder does not fit.
std::wstring SpoolerFolder(SpoolerFolderFunction query)
{
    wchar_t buffer[kFolderBuffer / sizeof(wchar_t)] = L"";
    DWORD needed = 0;
    if (!query(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(buffer), sizeof(buffer), &needed))
        return std::wstring();
    return buffer;
}

std::wstring WindowsFolder()
{
    wchar_t buffer[kFolderBuffer] = L"";
    const UINT length = ::GetWindowsDirectoryW(buffer, kFolderBuffer);
    return length > 0 && length < kFolderBuffer ? std::wstring(buffer) : std::wstring();
}

std::wstring SystemFolder()
{
    wchar_t buffer[kFolderBuffer] = L"";
    const UINT length = ::GetSystemDirectoryW(buffer, kFolderBuffer);
    return length > 0 && length < kFolderBuffer ? std::wstring(buffer) : std::wstring();
}

std::wstring TempFolder()
{
    wchar_t buffer[kFolderBuffer] = L"";
    const DWORD length = ::GetTempPathW(kFolderBuffer, buffer);
    return length > 0 && length < kFolderBuffer ? std::wstring(buffer) : std::wstring();
}

std::vector<std::wstring> SplitFolderList(const std::wstring& list)
{
    std::vector<std::wstring> folders;
    size_t start = 0;
    for (;;) {
        const size_t separator = list.find(L';', start);
        folders.push_back(list.substr(start, separator - start));
        if (separator == std::wstring::npos)
            return folders;
        start = separator + 1;
    }
}

std::vector<std::wstring> InfFolders()
{
    std::wstring devicePath;
    {
        RegistryKey key(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", false);
        if (key.IsOpen())
            devicePath = key.ReadText(L"DevicePath");
    }
    if (!devicePath.empty())
        return SplitFolderList(devicePath);
    return {WindowsFolder() + L"\\inf"};
}

} // namespace

SystemFolders ReadSystemFolders()
{
    SystemFolders folders;
    folders.windowsDir = WithBackslash(WindowsFolder());
    folders.systemDir = WithBackslash(SystemFolder());
    folders.tempDir = TempFolder();

    // Without a spooler (a stopped service, a server core install) INFs that copy to the
    // printer folders still resolve: to where Windows keeps them for this platform.
    folders.printerDriverDir = WithBackslash(SpoolerFolder(::GetPrinterDriverDirectoryW));
    if (folders.printerDriverDir.empty())
        folders.printerDriverDir = WithBackslash(JoinPath(folders.systemDir, L"spool\\drivers\\x64"));
    folders.printProcessorDir = WithBackslash(SpoolerFolder(::GetPrintProcessorDirectoryW));
    if (folders.printProcessorDir.empty())
        folders.printProcessorDir = WithBackslash(JoinPath(folders.systemDir, L"spool\\prtprocs\\x64"));

    folders.catalogDir = WithBackslash(JoinPath(folders.systemDir, L"CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}"));
    folders.infFolders = InfFolders();
    return folders;
}
