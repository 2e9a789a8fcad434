#include "platform/LoadedHive.h"

#include <atomic>
#include <cwchar>
#include <utility>

namespace {

const wchar_t kNamePrefix[] = L"Tarnwick.Offline.";

// True while a process of that id runs. An id the system does not know is refused with
// ERROR_INVALID_PARAMETER; any other refusal (another user's process) means it runs.
bool ProcessRuns(DWORD processId)
{
    UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process)
        return ::GetLastError() != ERROR_INVALID_PARAMETER;
    DWORD exitCode = 0;
    return !::GetExitCodeProcess(process.get(), &exitCode) || exitCode == STILL_ACTIVE;
}

// The process id in a name of ours; 0 for a name that is not one.
DWORD ProcessOfName(const std::wstring& name)
{
    const size_t prefixLength = std::wcslen(kNamePrefix);
    if (name.compare(0, prefixLength, kNamePrefix) != 0)
        return 0;
    wchar_t* end = nullptr;
    const unsigned long id = std::wcstoul(name.c_str() + prefixLength, &end, 10);
    return end && *end == L'.' ? static_cast<DWORD>(id) : 0;
}

// Unloads the hive of that name, or removes the empty key that a load which failed half way
// left (Wine leaves one).
void Discard(const std::wstring& name)
{
    if (::RegUnLoadKeyW(HKEY_LOCAL_MACHINE, name.c_str()) != ERROR_SUCCESS)
        ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, name.c_str());
}

std::wstring NewName()
{
    static std::atomic<unsigned> counter{0};
    return kNamePrefix + std::to_wstring(::GetCurrentProcessId()) + L"." + std::to_wstring(++counter);
}

bool EnablePrivilege(HANDLE token, const wchar_t* privilege)
{
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!::LookupPrivilegeValueW(nullptr, privilege, &privileges.Privileges[0].Luid))
        return false;
    // The call succeeds also when the token lacks the privilege; only the last error says so.
    ::SetLastError(ERROR_SUCCESS);
    return ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr)
        && ::GetLastError() == ERROR_SUCCESS;
}

} // namespace

LSTATUS EnableHivePrivileges()
{
    HANDLE rawToken = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken))
        return static_cast<LSTATUS>(::GetLastError());
    const UniqueKernelHandle token(rawToken);
    if (!EnablePrivilege(token.get(), SE_BACKUP_NAME) || !EnablePrivilege(token.get(), SE_RESTORE_NAME))
        return ERROR_PRIVILEGE_NOT_HELD;
    return ERROR_SUCCESS;
}

std::vector<std::wstring> LoadedHiveNames()
{
    std::vector<std::wstring> names;
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = ARRAYSIZE(name);
        const LSTATUS status =
            ::RegEnumKeyExW(HKEY_LOCAL_MACHINE, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA)
            continue;  // longer than any name of ours
        if (status != ERROR_SUCCESS)
            return names;
        if (ProcessOfName(name) != 0)
            names.emplace_back(name);
    }
}

void UnloadLeftoverHives()
{
    for (const std::wstring& name : LoadedHiveNames()) {
        if (!ProcessRuns(ProcessOfName(name)))
            Discard(name);
    }
}

LoadedHive LoadedHive::Load(const std::wstring& file, LSTATUS& error)
{
    error = EnableHivePrivileges();
    if (error != ERROR_SUCCESS)
        return LoadedHive();
    UnloadLeftoverHives();

    std::wstring name = NewName();
    error = ::RegLoadKeyW(HKEY_LOCAL_MACHINE, name.c_str(), file.c_str());
    if (error != ERROR_SUCCESS) {
        Discard(name);
        return LoadedHive();
    }
    HKEY root = nullptr;
    error = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, name.c_str(), 0, KEY_READ, &root);
    if (error != ERROR_SUCCESS) {
        Discard(name);
        return LoadedHive();
    }
    return LoadedHive(std::move(name), root);
}

LoadedHive::LoadedHive(std::wstring name, HKEY root) noexcept : name_(std::move(name)), root_(root) {}

LoadedHive::~LoadedHive()
{
    Unload();
}

LoadedHive::LoadedHive(LoadedHive&& other) noexcept
    : name_(std::move(other.name_)), root_(std::move(other.root_))
{
    other.name_.clear();
}

LoadedHive& LoadedHive::operator=(LoadedHive&& other) noexcept
{
    if (this != &other) {
        Unload();
        name_ = std::move(other.name_);
        root_ = std::move(other.root_);
        other.name_.clear();
    }
    return *this;
}

void LoadedHive::Unload() noexcept
{
    if (!root_)
        return;
    // The system refuses to unload a hive while a key of it is open: ours goes first.
    root_.reset();
    ::RegUnLoadKeyW(HKEY_LOCAL_MACHINE, name_.c_str());
    name_.clear();
}
