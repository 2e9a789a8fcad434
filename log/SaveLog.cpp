#include <windows.h>
#include <shellapi.h>

#include "log/SaveLog.h"

#include <fcntl.h>
#include <io.h>

#include <cstdarg>
#include <cwchar>
#include <vector>

#include "platform/Handles.h"
#include "platform/ShellPath.h"
#include "platform/Trace.h"

namespace {

const int kStampLength = 32;
const unsigned kMostLogNames = 100;
const wchar_t kLogSuffix[] = L"-log.txt";

// A new file only: "w" would empty the log of another run that took the same name in the
// same second. Text mode, so every line feed is written as CR LF. Shared for reading and
// writing, so the log can be watched while the run goes on.
FILE* CreateNewTextFile(const std::wstring& path, bool& nameTaken)
{
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        // Only a file of that name is another run's log.
        nameTaken = error == ERROR_FILE_EXISTS;
        return nullptr;
    }
    nameTaken = false;
    const int descriptor = ::_open_osfhandle(reinterpret_cast<intptr_t>(file.get()), _O_WRONLY | _O_TEXT);
    if (descriptor == -1)
        return nullptr;
    file.release();
    FILE* stream = ::_wfdopen(descriptor, L"wt");
    if (!stream)
        ::_close(descriptor);
    return stream;
}

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

std::wstring NumberedLogFileName(const std::wstring& name, unsigned k)
{
    const size_t suffixLength = sizeof(kLogSuffix) / sizeof(kLogSuffix[0]) - 1;
    const size_t stem = name.size() >= suffixLength ? name.size() - suffixLength : name.size();
    return name.substr(0, stem) + L"-" + std::to_wstring(k) + name.substr(stem);
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

bool SaveLog::Open(const std::optional<FolderPath>& targetFolder, FILE* consoleStream)
{
    console = consoleStream;
    logFile.reset();
    isOpen = false;

    // Taken once, so the date and the time belong to the same moment.
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    const std::wstring name = LogFileName(&now, kind);
    finalPath = targetFolder ? targetFolder->WithSeparator() + name : std::wstring();
    writeFailed = false;
    writeError = ERROR_SUCCESS;

    // The first free name: the plain one, else the same name numbered.
    bool nameTaken = true;
    for (unsigned k = 0; !logFile && nameTaken && k < kMostLogNames; ++k) {
        // The system reports the temporary folder with a closing backslash.
        tempPath = WithBackslash(tempFolder) + (k == 0 ? name : NumberedLogFileName(name, k));
        logFile.reset(CreateNewTextFile(tempPath, nameTaken));
    }
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

    const std::wstring message(buffer.data(), static_cast<size_t>(length));
    const std::string text = ToLogText(message);
    if (logFile && !writeFailed) {
        ::SetLastError(ERROR_SUCCESS);
        if (std::fwrite(text.data(), 1, text.size(), logFile.get()) != text.size() || std::fflush(logFile.get()) != 0)
            NoteWriteFailure();
    }
    if (console) {
        std::fwrite(text.data(), 1, text.size(), console);
        std::fflush(console);
    }
}

void SaveLog::NoteWriteFailure()
{
    writeFailed = true;
    writeError = ::GetLastError();
    TraceFailure(L"writing the log", writeError);
}

void SaveLog::ReportPathInsteadOfOpening(FILE* output)
{
    pathOutput = output;
}

bool SaveLog::Finish()
{
    if (isOpen) {
        // Closing writes out what the stream still holds: that may fail as well.
        ::SetLastError(ERROR_SUCCESS);
        if (std::fclose(logFile.release()) != 0 && !writeFailed)
            NoteWriteFailure();
        DWORD moveError = ERROR_SUCCESS;
        const std::wstring moved = place ? place(tempPath, moveError) : MoveIntoTarget(moveError);
        // Both are full paths: the target folder's and the temporary folder's, as the system gave it.
        const std::wstring& shown = moved.empty() ? tempPath : moved;
        finishedPath = shown;
        if (moved.empty() && moveError != ERROR_SUCCESS && sayFailedMove && console)
            WriteLine(console, L"The log could not be moved into " + WithoutFileName(finalPath) + L": " +
                                   SystemErrorText(moveError) + L"\nIt stays at " + finishedPath + L"\n");
        if (writeFailed && console)
            WriteLine(console, L"ERROR: The log file " + finishedPath + L" is incomplete: " +
                                   SystemErrorText(writeError) + L"\n");
        if (pathOutput)
            WriteLine(pathOutput, finishedPath + L"\n");
        else
            shell.Open(shown);
    }
    const bool result = !writeFailed;
    isOpen = false;
    tempPath.clear();
    finalPath.clear();
    return result;
}

std::wstring SaveLog::MoveIntoTarget(DWORD& error) const
{
    if (finalPath.empty())
        return std::wstring();
    // Never over another log: two runs started in the same second take the same name, and the
    // earlier run's log is data the user keeps.
    const std::wstring name = FileNamePart(finalPath);
    const std::wstring folder = finalPath.substr(0, finalPath.size() - name.size());
    for (unsigned k = 0; k < kMostLogNames; ++k) {
        const std::wstring path = k == 0 ? finalPath : folder + NumberedLogFileName(name, k);
        if (::MoveFileExW(tempPath.c_str(), OpenablePath(path).c_str(), MOVEFILE_COPY_ALLOWED))
            return path;
        error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
            TraceFailure(L"moving the log into the target folder", error);
            return std::wstring();
        }
    }
    return std::wstring();
}

void SaveLog::WriteLine(FILE* output, const std::wstring& line)
{
    const std::string text = ToLogText(line);
    std::fwrite(text.data(), 1, text.size(), output);
    std::fflush(output);
}
