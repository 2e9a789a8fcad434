// Owning wrapper of one open registry key. Every registry key the program opens by path goes
// through it; the key is closed when the wrapper goes, on every path.
#pragma once

#include <windows.h>

#include <string>

class RegistryKey {
public:
    // With create set, the key and any missing parents are created (RegCreateKeyW); without
    // it, an existing key is opened (RegOpenKeyW).
    RegistryKey(HKEY root, const wchar_t* subKey, bool create);
    ~RegistryKey();

    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    bool IsOpen() const noexcept { return open; }
    HKEY Get() const noexcept { return handle; }

    // Stores REG_SZ with its terminating null.
    LSTATUS WriteText(const wchar_t* valueName, const std::wstring& text);
    bool WriteBinary(const wchar_t* valueName, const void* bytes, DWORD byteCount);
    bool WriteDword(const wchar_t* valueName, DWORD value);

    // Reads up to capacity bytes, whatever the stored type. A shorter value fills only its own
    // length. A value longer than the capacity counts as absent: the buffer is left as it was,
    // since the platform leaves its content undefined after ERROR_MORE_DATA.
    bool ReadBinary(const wchar_t* valueName, void* buffer, DWORD capacity) const;

    bool HasValue(const wchar_t* valueName) const;

    // ReadRegistryText of the value; empty text when the value is missing.
    std::wstring ReadText(const wchar_t* valueName) const;

private:
    HKEY handle = nullptr;
    bool open = false;
};
