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
