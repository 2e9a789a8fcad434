#include "platform/SystemIdentity.h"

#include <windows.h>

#include <cwctype>
#include <sstream>
#include <vector>

#include "platform/RegistryKey.h"
#include "platform/ShellPath.h"

namespace {

const wchar_t kFirmwareKey[] = L"HARDWARE\\DESCRIPTION\\System\\BIOS";
const wchar_t kCurrentVersionKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
// The first build of Windows 11, which kept "Windows 10" as its product name.
const unsigned long kFirstWindows11Build = 22000;

std::wstring ReadMachineText(const wchar_t* key, const wchar_t* value)
{
    const RegistryKey opened(HKEY_LOCAL_MACHINE, key, false);
    return opened.IsOpen() ? opened.ReadText(value) : std::wstring();
}

std::vector<std::wstring> Words(const std::wstring& text)
{
    std::wistringstream stream(text);
    std::vector<std::wstring> words;
    for (std::wstring word; stream >> word;)
        words.push_back(word);
    return words;
}

bool HasDigit(const std::wstring& word)
{
    for (wchar_t c : word) {
        if (std::iswdigit(c))
            return true;
    }
    return false;
}

// The version words after "Windows": a number or a name ("10", "8.1", "Vista", "XP"), or
// "Server" with its year and "R2"; the edition and marks such as "(TM)" are left out.
std::vector<std::wstring> VersionWords(const std::vector<std::wstring>& words, size_t at)
{
    std::vector<std::wstring> version;
    if (at >= words.size())
        return version;
    if (EqualsFoldingAsciiCase(words[at], L"Server")) {
        version.push_back(L"Server");
        if (at + 1 < words.size() && HasDigit(words[at + 1])) {
            version.push_back(words[at + 1]);
            if (at + 2 < words.size() && EqualsFoldingAsciiCase(words[at + 2], L"R2"))
                version.push_back(L"R2");
        }
    } else if (HasDigit(words[at]) || EqualsFoldingAsciiCase(words[at], L"Vista") ||
               EqualsFoldingAsciiCase(words[at], L"XP")) {
        version.push_back(words[at]);
    }
    return version;
}

std::wstring ArchitectureWord(const std::wstring& architecture)
{
    if (EqualsFoldingAsciiCase(architecture, L"AMD64"))
        return L"x64";
    if (EqualsFoldingAsciiCase(architecture, L"x86"))
        return L"x86";
    if (EqualsFoldingAsciiCase(architecture, L"ARM64"))
        return L"ARM64";
    return std::wstring();
}

} // namespace

std::wstring ComputerName()
{
    DWORD size = 0;
    ::GetComputerNameExW(ComputerNameDnsHostname, nullptr, &size);
    std::wstring name(size, L'\0');
    if (size == 0 || !::GetComputerNameExW(ComputerNameDnsHostname, &name[0], &size))
        return std::wstring();
    name.resize(size);
    return name;
}

std::wstring FirmwareManufacturer()
{
    return ReadMachineText(kFirmwareKey, L"SystemManufacturer");
}

std::wstring FirmwareModel()
{
    return ReadMachineText(kFirmwareKey, L"SystemProductName");
}

std::wstring WindowsName(const std::wstring& productName, const std::wstring& build, const std::wstring& architecture)
{
    const std::vector<std::wstring> words = Words(productName);
    size_t at = !words.empty() && EqualsFoldingAsciiCase(words[0], L"Microsoft") ? 1 : 0;
    std::vector<std::wstring> version;
    if (at < words.size() && EqualsFoldingAsciiCase(words[at], L"Windows"))
        version = VersionWords(words, at + 1);
    if (version.size() == 1 && version[0] == L"10" && std::wcstoul(build.c_str(), nullptr, 10) >= kFirstWindows11Build)
        version[0] = L"11";
    std::wstring name = L"Windows";
    for (const std::wstring& word : version)
        name += L" " + word;
    const std::wstring processors = ArchitectureWord(architecture);
    return processors.empty() ? name : name + L" " + processors;
}

std::wstring ThisWindowsName()
{
    return WindowsName(ReadMachineText(kCurrentVersionKey, L"ProductName"),
                       ReadMachineText(kCurrentVersionKey, L"CurrentBuildNumber"), NativeArchitecture());
}

std::wstring NativeArchitecture()
{
    SYSTEM_INFO info = {};
    ::GetNativeSystemInfo(&info);
    switch (info.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_AMD64:
        return L"AMD64";
    case PROCESSOR_ARCHITECTURE_INTEL:
        return L"x86";
    case PROCESSOR_ARCHITECTURE_ARM64:
        return L"ARM64";
    default:
        return std::wstring();
    }
}
