#include "platform/RegistryKey.h"

#include <cstring>
#include <vector>

#include "platform/RegistryText.h"

RegistryKey::RegistryKey(HKEY root, const wchar_t* subKey, bool create)
{
    const LSTATUS status = create ? ::RegCreateKeyW(root, subKey, &handle) : ::RegOpenKeyW(root, subKey, &handle);
    open = status == ERROR_SUCCESS && handle != nullptr
        && handle != reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE);
}

RegistryKey::~RegistryKey()
{
    if (open)
        ::RegCloseKey(handle);
}

LSTATUS RegistryKey::WriteText(const wchar_t* valueName, const std::wstring& text)
{
    const DWORD byteCount = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(handle, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), byteCount);
}

bool RegistryKey::WriteBinary(const wchar_t* valueName, const void* bytes, DWORD byteCount)
{
    return ::RegSetValueExW(handle, valueName, 0, REG_BINARY, static_cast<const BYTE*>(bytes), byteCount)
        == ERROR_SUCCESS;
}

bool RegistryKey::WriteDword(const wchar_t* valueName, DWORD value)
{
    return ::RegSetValueExW(handle, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

bool RegistryKey::ReadBinary(const wchar_t* valueName, void* buffer, DWORD capacity) const
{
    std::vector<BYTE> bytes(capacity);
    DWORD size = capacity;
    if (::RegQueryValueExW(handle, valueName, nullptr, nullptr, bytes.data(), &size) != ERROR_SUCCESS)
        return false;
    if (size > 0)
        std::memcpy(buffer, bytes.data(), size);
    return true;
}

bool RegistryKey::HasValue(const wchar_t* valueName) const
{
    if (!handle)
        return false;
    DWORD type = REG_NONE;
    DWORD size = 0;
    return ::RegQueryValueExW(handle, valueName, nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
}

std::wstring RegistryKey::ReadText(const wchar_t* valueName) const
{
    return HasValue(valueName) ? ReadRegistryText(handle, valueName) : std::wstring();
}
