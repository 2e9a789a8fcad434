// A registry hive file of another Windows (a disk in a USB case, a system that no longer
// boots) loaded below HKEY_LOCAL_MACHINE for reading, and unloaded when its owner goes.
//
// The system keeps a loaded hive until someone unloads it, past the end of the process that
// loaded it. So every hive is loaded under a name of its own, "Tarnwick.Offline.<process
// id>.<n>", the owner unloads it on every path out, and a load first unloads what a run that
// ended without unloading (a crash, a kill) left behind: at most one key outlives a crash.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/Handles.h"

class LoadedHive {
public:
    LoadedHive() noexcept = default;
    ~LoadedHive();
    LoadedHive(LoadedHive&& other) noexcept;
    LoadedHive& operator=(LoadedHive&& other) noexcept;
    LoadedHive(const LoadedHive&) = delete;
    LoadedHive& operator=(const LoadedHive&) = delete;

    // Loads the hive file. Needs the backup and restore privileges, which it enables on the
    // process's token: without administrator rights that fails with ERROR_PRIVILEGE_NOT_HELD.
    // On failure the result holds no hive and error says why (ERROR_FILE_NOT_FOUND,
    // ERROR_SHARING_VIOLATION for a hive in use, ERROR_BADDB for a file that is no hive, ...).
    static LoadedHive Load(const std::wstring& file, LSTATUS& error);

    bool IsLoaded() const noexcept { return root_.valid(); }
    // The hive's top key, open for reading; null when nothing is loaded. Keys opened below it
    // must be closed before the owner goes, or the system refuses to unload the hive.
    HKEY Root() const noexcept { return root_.get(); }
    // The key name below HKEY_LOCAL_MACHINE.
    const std::wstring& Name() const noexcept { return name_; }

    // Unloads the hive now; nothing when none is loaded.
    void Unload() noexcept;

private:
    LoadedHive(std::wstring name, HKEY root) noexcept;

    std::wstring name_;
    UniqueRegKey root_;
};

// The names below HKEY_LOCAL_MACHINE under which this program has hives loaded now, by any
// of its processes, running or ended.
std::vector<std::wstring> LoadedHiveNames();

// Unloads the hives that processes of this program which no longer run left loaded.
void UnloadLeftoverHives();

// Enables the backup and restore privileges on the process's token. ERROR_SUCCESS, or
// ERROR_PRIVILEGE_NOT_HELD when the token does not have them (no administrator rights).
LSTATUS EnableHivePrivileges();
