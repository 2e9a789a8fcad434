// Sets the machine's "DevicePath" (the folders searched for INFs) for one test, and puts the
// original value back afterwards. ReadSystemFolders reads it anew.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/RegistryKey.h"

class ScopedDevicePath {
public:
    ScopedDevicePath()
    {
        RegistryKey key(HKEY_LOCAL_MACHINE, kCurrentVersion, false);
        DWORD size = 0;
        hadValue_ = key.IsOpen() &&
            ::RegQueryValueExW(key.Get(), L"DevicePath", nullptr, &type_, nullptr, &size) == ERROR_SUCCESS;
        if (hadValue_) {
            original_.resize(size);
            ::RegQueryValueExW(key.Get(), L"DevicePath", nullptr, &type_, original_.data(), &size);
        }
    }
    ~ScopedDevicePath()
    {
        RegistryKey key(HKEY_LOCAL_MACHINE, kCurrentVersion, true);
        if (hadValue_)
            ::RegSetValueExW(key.Get(), L"DevicePath", 0, type_, original_.data(), static_cast<DWORD>(original_.size()));
        else
            ::RegDeleteValueW(key.Get(), L"DevicePath");
    }
    ScopedDevicePath(const ScopedDevicePath&) = delete;
    ScopedDevicePath& operator=(const ScopedDevicePath&) = delete;

    bool Set(DWORD type, const std::wstring& text)
    {
        RegistryKey key(HKEY_LOCAL_MACHINE, kCurrentVersion, true);
        const bool set = ::RegSetValueExW(key.Get(), L"DevicePath", 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
        return set;
    }
    void Remove()
    {
        RegistryKey key(HKEY_LOCAL_MACHINE, kCurrentVersion, true);
        ::RegDeleteValueW(key.Get(), L"DevicePath");
    }

private:
    static constexpr const wchar_t* kCurrentVersion = L"Software\\Microsoft\\Windows\\CurrentVersion";
    bool hadValue_ = false;
    DWORD type_ = REG_NONE;
    std::vector<BYTE> original_;
};
