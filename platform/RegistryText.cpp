#include "platform/RegistryText.h"

#include <vector>

namespace {

std::wstring ExpandEnvironment(const std::wstring& text)
{
    DWORD needed = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    // The environment can change between the two calls; grow until the expansion fits.
    while (needed != 0) {
        std::vector<wchar_t> buffer(needed);
        const DWORD written = ::ExpandEnvironmentStringsW(text.c_str(), buffer.data(), needed);
        if (written == 0)
            break;
        if (written <= needed)
            return std::wstring(buffer.data());
        needed = written;
    }
    return std::wstring();
}

} // namespace

std::wstring ReadRegistryText(HKEY key, const wchar_t* valueName)
{
    // Most values fit the first buffer, so one query reads them: a scan reads several values
    // of every device. A longer value, or one that grew meanwhile, is read again at the size
    // the last query reported. One spare character stays after what is read, so a value
    // stored without its terminating null still ends.
    std::vector<wchar_t> buffer(256);
    DWORD type = REG_NONE;
    DWORD readSize = 0;
    LSTATUS status = ERROR_MORE_DATA;
    for (DWORD size = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t)); status == ERROR_MORE_DATA;) {
        buffer.assign(size / sizeof(wchar_t) + 2, L'\0');
        readSize = size;
        status = ::RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &readSize);
        size = readSize;
    }
    if (status != ERROR_SUCCESS)
        return std::wstring();
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return std::wstring();

    const size_t characters = readSize / sizeof(wchar_t);
    size_t length = 0;
    while (length < characters && buffer[length] != L'\0')
        ++length;
    std::wstring text(buffer.data(), length);
    return type == REG_EXPAND_SZ ? ExpandEnvironment(text) : text;
}
