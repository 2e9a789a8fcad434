#include <windows.h>

#include "app/Console.h"

#include <share.h>

#include "log/SaveLog.h"

namespace {

const SHORT kConsoleLines = 500;
const UINT kLatin1CodePage = 28591;

// Puts a text-mode, unbuffered stream on the new console in place of a standard stream: the
// program started without a console, so the C runtime bound its standard streams to
// nothing. Reopening the console device works with every C runtime on Windows, where
// assigning a new FILE to stdout does not.
bool RebindStream(FILE* stream, const char* device, const char* mode)
{
    FILE* reopened = nullptr;
    if (::freopen_s(&reopened, device, mode, stream) != 0 || !reopened)
        return false;
    std::setvbuf(stream, nullptr, _IONBF, 0);
    return true;
}

// Wine's C runtime refuses to reopen a standard stream that started unbound; the messages
// then go to a stream of their own on the console, kept for the rest of the process.
FILE* OwnConsoleStream()
{
    static FILE* stream = nullptr;
    if (!stream) {
        stream = ::_fsopen("CONOUT$", "w", _SH_DENYNO);
        if (stream)
            std::setvbuf(stream, nullptr, _IONBF, 0);
    }
    return stream ? stream : stdout;
}

} // namespace

bool OutputIsRedirected()
{
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    const DWORD type = ::GetFileType(output);
    if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE)
        return true;
    // "> NUL" is a character device, as a console is; only a console has a console mode.
    DWORD mode = 0;
    return type == FILE_TYPE_CHAR && !::GetConsoleMode(output, &mode);
}

FILE* SetUpConsole()
{
    if (OutputIsRedirected()) {
        std::setvbuf(stdout, nullptr, _IONBF, 0);
        return stdout;
    }
    // A GUI program gets a new console window here, also when started from a command prompt.
    ::AllocConsole();
    // The messages are ISO 8859-1 text, as in the log; the console's own code page would show
    // every accented letter as something else.
    ::SetConsoleOutputCP(kLatin1CodePage);
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO info = {};
    if (::GetConsoleScreenBufferInfo(output, &info)) {
        const COORD size = {info.dwSize.X, kConsoleLines};
        ::SetConsoleScreenBufferSize(output, size);
    }
    const bool outputBound = RebindStream(stdout, "CONOUT$", "w");
    RebindStream(stdin, "CONIN$", "r");
    RebindStream(stderr, "CONOUT$", "w");
    return outputBound ? stdout : OwnConsoleStream();
}

void PrintMessage(FILE* output, const std::wstring& message)
{
    const std::string text = ToLogText(message);
    std::fwrite(text.data(), 1, text.size(), output);
    std::fflush(output);
}
