// Registry hive files for tests of offline systems: keys and values are built under a scratch
// key of HKEY_CURRENT_USER and written out with RegSaveKeyW (under Wine in its own text
// format, which RegLoadKeyW reads back), or a whole key of the running system is saved.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class HiveFileBuilder {
public:
    HiveFileBuilder();
    ~HiveFileBuilder();
    HiveFileBuilder(const HiveFileBuilder&) = delete;
    HiveFileBuilder& operator=(const HiveFileBuilder&) = delete;

    // key is relative to the hive's top ("ControlSet001\\Enum\\ROOT\\X\\0000"); missing keys
    // are created. False when the value cannot be written.
    bool SetText(const std::wstring& key, const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ);
    bool SetMultiText(const std::wstring& key, const wchar_t* name, const std::vector<std::wstring>& texts);
    bool SetNumber(const std::wstring& key, const wchar_t* name, DWORD number);
    bool AddKey(const std::wstring& key);

    // Writes the hive file (its folders are created); an existing file is replaced.
    bool Save(const std::wstring& file) const;

private:
    std::wstring scratch_;
};

// Saves the running system's key (HKEY_LOCAL_MACHINE\subKey) as a hive file.
bool SaveMachineKey(const wchar_t* subKey, const std::wstring& file);

// Renames the key names of a saved hive file that start with from (a top-level key) to start
// with to, as a Windows SYSTEM hive names its control set "ControlSet001" where Wine keeps
// "CurrentControlSet". False when the file cannot be rewritten or holds no such key.
bool RenameTopKeyInHiveFile(const std::wstring& file, const std::wstring& from, const std::wstring& to);
