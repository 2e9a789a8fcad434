#include "tests/support/HiveFile.h"

#include <atomic>

#include "platform/LoadedHive.h"
#include "tests/support/TempFolder.h"

namespace {

const wchar_t kScratchRoot[] = L"Software\\Morvane\\TarnwickTest\\Hive";

bool SetValue(const std::wstring& key, const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    HKEY handle = nullptr;
    if (::RegCreateKeyW(HKEY_CURRENT_USER, key.c_str(), &handle) != ERROR_SUCCESS)
        return false;
    const LSTATUS status = ::RegSetValueExW(handle, name, 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

bool SaveKey(HKEY key, const std::wstring& file)
{
    const size_t slash = file.find_last_of(L'\\');
    if (slash != std::wstring::npos && !MakeFolders(file.substr(0, slash)))
        return false;
    ::DeleteFileW(file.c_str());
    return EnableHivePrivileges() == ERROR_SUCCESS && ::RegSaveKeyW(key, file.c_str(), nullptr) == ERROR_SUCCESS;
}

// A name as Wine's hive text writes it in a key header: backslashes doubled.
std::string HeaderName(const std::wstring& name)
{
    std::string text;
    for (wchar_t c : name) {
        if (c == L'\\')
            text += "\\\\";
        else
            text += static_cast<char>(c);
    }
    return text;
}

} // namespace

HiveFileBuilder::HiveFileBuilder()
{
    static std::atomic<unsigned> counter{0};
    scratch_ = std::wstring(kScratchRoot) + L"\\" + std::to_wstring(::GetCurrentProcessId()) + L"." +
               std::to_wstring(++counter);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, scratch_.c_str());
    AddKey(L"");
}

HiveFileBuilder::~HiveFileBuilder()
{
    ::RegDeleteTreeW(HKEY_CURRENT_USER, scratch_.c_str());
}

bool HiveFileBuilder::AddKey(const std::wstring& key)
{
    HKEY handle = nullptr;
    const std::wstring path = key.empty() ? scratch_ : scratch_ + L"\\" + key;
    if (::RegCreateKeyW(HKEY_CURRENT_USER, path.c_str(), &handle) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(handle);
    return true;
}

bool HiveFileBuilder::SetText(const std::wstring& key, const wchar_t* name, const std::wstring& text, DWORD type)
{
    return SetValue(scratch_ + L"\\" + key, name, type, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

bool HiveFileBuilder::SetMultiText(const std::wstring& key, const wchar_t* name, const std::vector<std::wstring>& texts)
{
    std::wstring joined;
    for (const std::wstring& text : texts)
        joined += text + L'\0';
    joined += L'\0';
    return SetValue(scratch_ + L"\\" + key, name, REG_MULTI_SZ, joined.data(),
                    static_cast<DWORD>(joined.size() * sizeof(wchar_t)));
}

bool HiveFileBuilder::SetNumber(const std::wstring& key, const wchar_t* name, DWORD number)
{
    return SetValue(scratch_ + L"\\" + key, name, REG_DWORD, &number, sizeof(number));
}

bool HiveFileBuilder::Save(const std::wstring& file) const
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, scratch_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    const bool saved = SaveKey(key, file);
    ::RegCloseKey(key);
    return saved;
}

bool SaveMachineKey(const wchar_t* subKey, const std::wstring& file)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    const bool saved = SaveKey(key, file);
    ::RegCloseKey(key);
    return saved;
}

bool RenameTopKeyInHiveFile(const std::wstring& file, const std::wstring& from, const std::wstring& to)
{
    std::string text = ReadFileBytes(file);
    const std::string oldHeader = "\n[" + HeaderName(from);
    const std::string newHeader = "\n[" + HeaderName(to);
    bool renamed = false;
    for (size_t at = text.find(oldHeader); at != std::string::npos; at = text.find(oldHeader, at + newHeader.size())) {
        const char next = at + oldHeader.size() < text.size() ? text[at + oldHeader.size()] : '\0';
        if (next != '\\' && next != ']')
            continue;
        text.replace(at, oldHeader.size(), newHeader);
        renamed = true;
    }
    return renamed && WriteFileBytes(file, text);
}
