#include "framework/ResourceText.h"

#include <vector>

#include "framework/AppModule.h"

std::wstring LoadResourceString(UINT id, int capacity)
{
    std::vector<wchar_t> buffer(static_cast<size_t>(capacity), L'\0');
    const int length = ::LoadStringW(AppModule().GetInstance(), id, buffer.data(), capacity);
    return std::wstring(buffer.data(), length > 0 ? static_cast<size_t>(length) : 0);
}

std::wstring PromptPart(const std::wstring& text)
{
    return text.substr(0, text.find(L'\n'));
}

std::wstring TooltipPart(const std::wstring& text, size_t maxLength)
{
    const size_t lineFeed = text.find(L'\n');
    if (lineFeed == std::wstring::npos)
        return std::wstring();
    return text.substr(lineFeed + 1, maxLength);
}

std::wstring FormatResourceString(UINT id, std::initializer_list<std::wstring> arguments)
{
    // With no buffer, LoadString lends the resource's own text and tells its length.
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(AppModule().GetInstance(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text)
        return std::wstring();
    return FillPlaceholders(std::wstring(text, static_cast<size_t>(length)), arguments);
}

std::wstring FillPlaceholders(const std::wstring& text, std::initializer_list<std::wstring> arguments)
{
    std::wstring filled;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool placeholder = text[i] == L'%' && i + 1 < text.size() && text[i + 1] >= L'1' && text[i + 1] <= L'9';
        const auto index = placeholder ? static_cast<size_t>(text[i + 1] - L'1') : arguments.size();
        if (index < arguments.size()) {
            filled += *(arguments.begin() + index);
            ++i;
        } else {
            filled += text[i];
        }
    }
    return filled;
}
