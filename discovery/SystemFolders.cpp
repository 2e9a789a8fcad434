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

PathResult<FolderPath> SearchRoot(const SystemFolders& folders)
{
    const PathRules there = {kClassicPathLength, true};
    // An image's system folder is made from the image's own value; this PC's is the one the
    // system gave.
    return folders.image ? folders.image->Folder(L"Windows\\System32", there)
                         : FolderPath::Resolve(folders.systemDir, there);
}

namespace {

// The folder name that the spooler gives printer drivers and print processors of a platform.
std::wstring SpoolerPlatform(const std::wstring& architecture)
{
    if (EqualsFoldingAsciiCase(architecture, L"x86"))
        return L"W32X86";
    if (EqualsFoldingAsciiCase(architecture, L"ARM64"))
        return L"ARM64";
    return L"x64";
}

// The system drive's root of a path of this PC ("C:\\"); empty when it has none.
std::wstring DriveRoot(const std::wstring& path)
{
    return path.size() >= 3 && path[1] == L':' && path[2] == L'\\' ? path.substr(0, 3) : std::wstring();
}

// Maps this PC's folder from to the image's folder to, when both are folder values.
void AddMapping(std::vector<FolderMapping>& mappings, const std::wstring& from, const PathResult<FolderPath>& to)
{
    const PathResult<FolderPath> own = FolderPath::Resolve(from);
    if (own && to)
        mappings.push_back({*own, *to});
}

} // namespace

SystemFolders ReadImageFolders(const FolderPath& imageRoot, const std::wstring& architecture)
{
    const SystemFolders own = ReadSystemFolders();
    SystemFolders image;
    image.image = imageRoot;
    image.imageArchitecture = architecture;
    image.tempDir = own.tempDir;
    image.windowsDir = imageRoot.WithSeparator() + L"Windows\\";
    image.systemDir = image.windowsDir + L"System32\\";
    image.catalogDir = image.systemDir + L"CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\\";
    image.printerDriverDir = image.systemDir + L"spool\\drivers\\" + SpoolerPlatform(architecture) + L"\\";
    image.printProcessorDir = image.systemDir + L"spool\\prtprocs\\" + SpoolerPlatform(architecture) + L"\\";
    image.driverStoreDir = image.systemDir + L"DriverStore\\FileRepository\\";
    // The image's own "DevicePath" names its folders by this PC's variables: its INF folder
    // is where its published INFs are.
    image.infFolders = {image.windowsDir + L"INF"};

    // Every standard directory id lies in the Windows folder (10 and all of its subfolders:
    // 11, 12, 17, 18, 20, 23, 25, 50 to 55, the printer folders) or elsewhere on the system
    // drive (24, 16422 Program Files and the other shell folders): the Windows folder maps
    // to the image's, the rest of the system drive to the image's root. The Windows folder,
    // the deeper one, is asked first.
    AddMapping(image.imageMappings, own.windowsDir, imageRoot.Folder(L"Windows"));
    const std::wstring ownRoot = DriveRoot(own.windowsDir);
    if (!ownRoot.empty())
        AddMapping(image.imageMappings, ownRoot, imageRoot);
    return image;
}

std::wstring PathInImage(const std::wstring& path, const SystemFolders& folders)
{
    if (!folders.image)
        return path;
    for (const FolderMapping& mapping : folders.imageMappings) {
        const std::optional<std::wstring> relative = mapping.from.RelativeName(path);
        if (!relative)
            continue;
        const PathResult<PathInside> inImage = mapping.to.Inside(*relative, {kLongPathLength, false});
        return inImage ? inImage->full : std::wstring();
    }
    return std::wstring();
}
