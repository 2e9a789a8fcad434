#include "ui/HtmlHelpLibrary.h"

#include "platform/RegistryKey.h"
#include "platform/ProcAddress.h"

namespace {

// HtmlHelpW is exported by ordinal only in some versions of the library.
const WORD kHtmlHelpOrdinal = 15;
// The registered path is read into at most this many bytes, as the library's registration
// is a plain file path.
const size_t kRegisteredPathBytes = 260;

} // namespace

HtmlHelpLibrary::HtmlHelpLibrary(std::wstring clsidKey, std::wstring fallbackName)
    : clsidKey_(std::move(clsidKey))
    , fallbackName_(std::move(fallbackName))
{ }

HtmlHelpLibrary& HtmlHelpLibrary::System()
{
    static HtmlHelpLibrary library(L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", L"hhctrl.ocx");
    return library;
}

HtmlHelpLibrary::EntryPoint HtmlHelpLibrary::Get()
{
    // One attempt only: after a failure the entry point stays null.
    if (loadAttempts_ > 0)
        return entryPoint_;
    ++loadAttempts_;
    // Deliberately never freed: help windows live on after the call returns.
    const HMODULE library = Load();
    entryPoint_ = GetProcAddressAs<EntryPoint>(library, MAKEINTRESOURCEA(kHtmlHelpOrdinal));
    return entryPoint_;
}

HMODULE HtmlHelpLibrary::Load()
{
    std::wstring registered;
    {
        RegistryKey key(HKEY_CLASSES_ROOT, clsidKey_.c_str(), false);
        if (key.IsOpen())
            registered = key.ReadText(nullptr);
    }
    if (!registered.empty() && registered.size() * sizeof(wchar_t) < kRegisteredPathBytes) {
        if (const HMODULE library = ::LoadLibraryW(registered.c_str()))
            return library;
    }
    return ::LoadLibraryW(fallbackName_.c_str());
}
