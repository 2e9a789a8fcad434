#include "platform/Trace.h"

#include <cwchar>
#include <exception>

namespace {

// Long enough for a path and a message; a longer line is cut, which a trace may be.
const size_t kTraceLength = 1024;

// Appends text to the zero-ended line in buffer, cutting what does not fit.
void Append(wchar_t (&line)[kTraceLength], const wchar_t* text) noexcept
{
    size_t used = std::wcslen(line);
    for (; text && *text && used + 1 < kTraceLength; ++text)
        line[used++] = *text;
    line[used] = L'\0';
}

// The system's text for error and " (error N)" after it, into buffer; no allocation.
void FormatErrorText(DWORD error, wchar_t* buffer, size_t length) noexcept
{
    wchar_t message[512] = L"";
    DWORD size = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                  message, static_cast<DWORD>(sizeof message / sizeof message[0]), nullptr);
    // The system's messages end in a line break (and some in a blank before it).
    while (size > 0 && (message[size - 1] == L'\n' || message[size - 1] == L'\r' || message[size - 1] == L' '))
        message[--size] = L'\0';
    const wchar_t* format = (error & 0xF0000000) ? L"%ls%ls(error 0x%08X)" : L"%ls%ls(error %u)";
    swprintf_s(buffer, length, format, message, size > 0 ? L" " : L"", static_cast<unsigned>(error));
}

} // namespace

void TraceFailure(const wchar_t* where, const wchar_t* what) noexcept
{
    wchar_t line[kTraceLength] = L"Tarnwick: ";
    Append(line, where);
    Append(line, L": ");
    Append(line, what);
    Append(line, L"\n");
    ::OutputDebugStringW(line);
}

void TraceFailure(const wchar_t* where, const std::wstring& what) noexcept
{
    TraceFailure(where, what.c_str());
}

void TraceFailure(const wchar_t* where, const std::exception& failure) noexcept
{
    wchar_t what[kTraceLength] = L"";
    const char* text = failure.what();
    if (!text || ::MultiByteToWideChar(CP_ACP, 0, text, -1, what, static_cast<int>(kTraceLength)) == 0)
        what[0] = L'\0';
    what[kTraceLength - 1] = L'\0';
    TraceFailure(where, what);
}

void TraceFailure(const wchar_t* where) noexcept
{
    try {
        const std::exception_ptr current = std::current_exception();
        if (current)
            std::rethrow_exception(current);
    } catch (const std::exception& failure) {
        TraceFailure(where, failure);
        return;
    } catch (...) {
    }
    TraceFailure(where, L"unknown exception");
}

void TraceFailure(const wchar_t* where, DWORD error) noexcept
{
    wchar_t text[kTraceLength] = L"";
    FormatErrorText(error, text, kTraceLength);
    TraceFailure(where, text);
}

std::wstring SystemErrorText(DWORD error)
{
    wchar_t text[kTraceLength] = L"";
    FormatErrorText(error, text, kTraceLength);
    return text;
}
