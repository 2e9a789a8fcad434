#include "platform/DeviceProperty.h"

#include <algorithm>
#include <cwchar>
#include <utility>

std::vector<std::wstring> ReadDeviceTexts(HDEVINFO set, const SP_DEVINFO_DATA& element, DWORD property)
{
    std::vector<std::wstring> texts;
    SP_DEVINFO_DATA data = element;
    // Most properties fit the first buffer. A longer one is read again at its reported size:
    // cutting it off would lose devices with long descriptions from every backup.
    std::vector<BYTE> buffer(512 + 2 * sizeof(wchar_t));
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD required = 0;
        std::fill(buffer.begin(), buffer.end(), BYTE(0));
        // Two spare zero characters stay after the value, so a text or a list stored without
        // its terminating nulls still ends inside the buffer.
        const DWORD usable = static_cast<DWORD>(buffer.size() - 2 * sizeof(wchar_t));
        if (::SetupDiGetDeviceRegistryPropertyW(set, &data, property, nullptr, buffer.data(), usable, &required)) {
            for (auto* text = reinterpret_cast<const wchar_t*>(buffer.data()); *text; text += std::wcslen(text) + 1)
                texts.emplace_back(text);
            return texts;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || required <= usable)
            return texts;
        buffer.resize(static_cast<size_t>(required) + 2 * sizeof(wchar_t));
    }
    return texts;
}

std::wstring ReadDeviceProperty(HDEVINFO set, const SP_DEVINFO_DATA& element, DWORD property)
{
    std::vector<std::wstring> texts = ReadDeviceTexts(set, element, property);
    return texts.empty() ? std::wstring() : std::move(texts.front());
}
