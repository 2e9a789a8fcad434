#include "ui/ShellActions.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/ProcAddress.h"
#include "platform/ShellPath.h"
#include "Version.h"
#include "ui/HtmlHelpLibrary.h"

const wchar_t kHomePageUrl[] = L"" TARNWICK_HOMEPAGE_URL;
const wchar_t kSupportEmailUrl[] = L"mailto:" TARNWICK_SUPPORT_EMAIL;
const wchar_t kBrowseFolderTitle[] = L"Select a folder to save driver files:";

namespace {

// Releases a COM interface when it goes.
template <typename Interface>
class ComRef {
public:
    ComRef() = default;
    ~ComRef()
    {
        if (pointer_)
            pointer_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    Interface* operator->() const noexcept { return pointer_; }
    Interface* get() const noexcept { return pointer_; }
    Interface** out() noexcept { return &pointer_; }
    void** outVoid() noexcept { return reinterpret_cast<void**>(&pointer_); }

private:
    Interface* pointer_ = nullptr;
};

// The item a path names, or nothing.
bool ShellItemOf(const std::wstring& path, ComRef<IShellItem>& item)
{
    return !path.empty()
        && SUCCEEDED(::SHCreateItemFromParsingName(path.c_str(), nullptr, IID_IShellItem, item.outVoid()));
}

// Opens the picker in the folder above `path` with `path` itself selected, so that OK takes it.
void Preselect(IFileOpenDialog& dialog, const std::wstring& path)
{
    if (!IsFileSystemFolder(path))
        return;
    ComRef<IShellItem> parent;
    const std::wstring name = FileNamePart(path);
    // A drive's root has no folder above it to open.
    const bool hasParent = !name.empty() && name.find_first_of(L":\\") == std::wstring::npos;
    if (hasParent && ShellItemOf(WithoutFileName(path), parent)) {
        dialog.SetFolder(parent.get());
        dialog.SetFileName(name.c_str());
        return;
    }
    ComRef<IShellItem> folder;
    if (ShellItemOf(path, folder))
        dialog.SetFolder(folder.get());
}

// A .zip file on disk.
bool IsZipFile(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) && path.size() > 4 &&
           ::lstrcmpiW(path.c_str() + path.size() - 4, L".zip") == 0;
}

bool SelectedFileSystemFolder(PCIDLIST_ABSOLUTE item, std::wstring& path, bool zipFileToo)
{
    wchar_t chosen[kPathBufferLength] = L"";
    if (!item || !::SHGetPathFromIDListW(item, chosen) || !(IsFileSystemFolder(chosen) || (zipFileToo && IsZipFile(chosen))))
        return false;
    path = chosen;
    return true;
}

int CALLBACK OnBrowserEvent(HWND dialog, UINT message, LPARAM, LPARAM data)
{
    if (message == BFFM_INITIALIZED && data != 0) {
        const auto* path = reinterpret_cast<const std::wstring*>(data);
        ::SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path->c_str()));
    }
    return 0;
}

} // namespace

void OpenDeviceManagerWindow(HWND owner)
{
    ::ShellExecuteW(owner, L"open", L"devmgmt.msc", nullptr, nullptr, SW_SHOWNORMAL);
}

void ShowHelpFile(HWND owner)
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

bool BrowseForBackup(std::wstring& path, HWND owner, const wchar_t* title)
{
    const FolderChoice choice = PickFolderWithFileDialog(path, owner, title, true);
    if (choice == FolderChoice::Unavailable)
        return PickFolderWithBrowser(path, owner, title, true);
    return choice == FolderChoice::Chosen;
}

bool BrowseForTargetFolder(std::wstring& path, HWND owner, const wchar_t* title)
{
    const FolderChoice choice = PickFolderWithFileDialog(path, owner, title);
    if (choice == FolderChoice::Unavailable)
        return PickFolderWithBrowser(path, owner, title);
    return choice == FolderChoice::Chosen;
}

FolderChoice PickFolderWithFileDialog(std::wstring& path, HWND owner, const wchar_t* title, bool zipFileToo)
{
    ComRef<IFileOpenDialog> dialog;
    if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                  dialog.outVoid())))
        return FolderChoice::Unavailable;
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    // The shell shows a zip file as a folder: picking folders, it can be chosen like one.
    if (FAILED(dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST |
                                  FOS_NOCHANGEDIR)))
        return FolderChoice::Unavailable;
    dialog->SetTitle(title ? title : kBrowseFolderTitle);
    Preselect(*dialog.get(), path);

    const HRESULT shown = dialog->Show(owner);
    if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED))
        return FolderChoice::Cancelled;
    if (FAILED(shown))
        return FolderChoice::Unavailable;
    ComRef<IShellItem> result;
    PWSTR chosen = nullptr;
    if (FAILED(dialog->GetResult(result.out())) || FAILED(result->GetDisplayName(SIGDN_FILESYSPATH, &chosen)))
        return FolderChoice::Cancelled;
    const std::wstring folder = chosen;
    ::CoTaskMemFree(chosen);
    if (!IsFileSystemFolder(folder) && !(zipFileToo && IsZipFile(folder)))
        return FolderChoice::Cancelled;
    path = folder;
    return FolderChoice::Chosen;
}

bool PickFolderWithBrowser(std::wstring& path, HWND owner, const wchar_t* title, bool zipFileToo)
{
    wchar_t displayName[kPathBufferLength] = L"";
    BROWSEINFOW browse = {};
    browse.hwndOwner = owner;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = title ? title : kBrowseFolderTitle;
    browse.ulFlags = zipFileToo ? BIF_BROWSEINCLUDEFILES : BIF_RETURNONLYFSDIRS;
    browse.lpfn = OnBrowserEvent;
    browse.lParam = path.empty() ? 0 : reinterpret_cast<LPARAM>(&path);

    PIDLIST_ABSOLUTE item = ::SHBrowseForFolderW(&browse);
    if (!item)
        return false;
    std::wstring chosen;
    const bool usable = SelectedFileSystemFolder(item, chosen, zipFileToo);
    ::CoTaskMemFree(item);
    if (!usable)
        return false;
    path = chosen;
    return true;
}

bool IsFileSystemFolder(const std::wstring& path)
{
    if (path.empty())
        return false;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
