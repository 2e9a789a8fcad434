// The HTML Help entry point, reached through the HTML Help control library on first use. The
// library stays loaded; a failure to load it, or to find the function, is remembered so that
// later help requests do nothing instead of trying again.
#pragma once

#include <windows.h>

#include <string>

class HtmlHelpLibrary {
public:
    using EntryPoint = HWND(WINAPI*)(HWND owner, const wchar_t* file, UINT command, DWORD_PTR data);

    // clsidKey: the library's COM registration under HKEY_CLASSES_ROOT; fallbackName: the
    // library loaded by name when the registration is missing or its library does not load.
    HtmlHelpLibrary(std::wstring clsidKey, std::wstring fallbackName);
    HtmlHelpLibrary(const HtmlHelpLibrary&) = delete;
    HtmlHelpLibrary& operator=(const HtmlHelpLibrary&) = delete;

    // The entry point, or null when it cannot be had (now or at an earlier try).
    EntryPoint Get();
    int loadAttempts() const { return loadAttempts_; }

    // The system's HTML Help library.
    static HtmlHelpLibrary& System();

private:
    HMODULE Load();

    std::wstring clsidKey_;
    std::wstring fallbackName_;
    EntryPoint entryPoint_ = nullptr;
    int loadAttempts_ = 0;
};
