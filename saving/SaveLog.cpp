#include <windows.h>
#include <shellapi.h>

#include "saving/SaveLog.h"

#include <share.h>

#include <cstdarg>
#include <cwchar>
#include <vector>

#include "discovery/SystemFolders.h"

namespace {

const int kStampLength = 32;

bool IsHighSurrogate(wchar_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(wchar_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

std::wstring LogFileName(const SYSTEMTIME* localTime, const std::wstring& kind)
{
    wchar_t date[kStampLength] = L"";
    wchar_t time[kStampLength] = L"";
    ::GetDateFormatW(LOCALE_USER_DEFAULT, 0, localTime, L"dd.MM.yyyy", date, kStampLength);
    ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, localTime, L"HH.mm.ss", time, kStampLength);
    return std::wstring(L"Tarnwick-") + date + L"-" + time + L"-" + kind + L".txt";
}

std::string ToLogText(const std::wstring& message)
{
    std::string text;
    text.reserve(message.size());
    for (size_t i = 0; i < message.size(); ++i) {
        const wchar_t c = message[i];
        if (c < 256) {
            text += static_cast<char>(static_cast<unsigned char>(c));
            continue;
        }
        if (IsHighSurrogate(c) && i + 1 < message.size() && IsLowSurrogate(message[i + 1]))
            ++i;
        text += '?';
    }
    return text;
}

SaveLog::~SaveLog() = default;

bool SaveLog::Open(const std::wstring& targetFolder, FILE* consoleStream)
{
    console = consoleStream;
    logFile.reset();
    isOpen = false;

    // Taken once, so the date and the time belong to the same moment.
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    const std::wstring name = LogFileName(&now, kind);
    // The system reports the temporary folder with a closing backslash; the doubled backslash
    // this gives is read as one.
    tempPath = SystemFolders::Current().tempDir + L"\\" + name;
    finalPath = targetFolder + L"\\" + name;

    // Text mode: every line feed of a message is written as CR LF. Shared for reading, so the
    // log can be watched while the run goes on.
    logFile.reset(::_wfsopen(tempPath.c_str(), L"wt", _SH_DENYNO));
    isOpen = logFile != nullptr;
    return isOpen;
}

void SaveLog::Print(const wchar_t* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    va_list measureArguments;
    va_copy(measureArguments, arguments);
    // The CRT's own wide formatting, where %s takes wide text. The message is measured first
    // so that it is never cut, however long.
    const int length = ::_vscwprintf(format, measureArguments);
    va_end(measureArguments);
    if (length < 0) {
        va_end(arguments);
        return;
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    ::_vsnwprintf_s(buffer.data(), buffer.size(), _TRUNCATE, format, arguments);
    va_end(arguments);

    const std::string text = ToLogText(std::wstring(buffer.data(), static_cast<size_t>(length)));
    if (logFile)
        std::fwrite(text.data(), 1, text.size(), logFile.get());
    if (console)
        std::fwrite(text.data(), 1, text.size(), console);
}

void SaveLog::Finish()
{
    if (isOpen) {
        logFile.reset();
        const bool moved = ::MoveFileExW(tempPath.c_str(), finalPath.c_str(),
                                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != FALSE;
        const std::wstring& shown = moved ? finalPath : tempPath;
        ::ShellExecuteW(nullptr, L"open", shown.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
    isOpen = false;
    tempPath.clear();
    finalPath.clear();
}
