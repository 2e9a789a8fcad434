// Runs the console set-up of the command-line run in a GUI program like tarnwick.exe, writes
// 601 lines (the last with an ISO 8859-1 letter) to the stream it gives and one to standard
// error, without flushing, and reports what reached the console.
//   console_probe.exe <report file>
// The report holds "key=value" lines: console (1 when a console is attached), height, row 0
// and the last two rows written.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "app/Console.h"

namespace {

std::wstring Row(HANDLE console, SHORT row, SHORT width)
{
    std::wstring text(static_cast<size_t>(width), L' ');
    DWORD read = 0;
    ::ReadConsoleOutputCharacterW(console, &text[0], static_cast<DWORD>(width), COORD{0, row}, &read);
    text.resize(read);
    const size_t end = text.find_last_not_of(L' ');
    return end == std::wstring::npos ? std::wstring() : text.substr(0, end + 1);
}

// ISO 8859-1 bytes; '?' for anything else.
std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t c : text)
        narrow += c < 256 ? static_cast<char>(static_cast<unsigned char>(c)) : '?';
    return narrow;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!arguments || count < 2)
        return 2;
    const std::wstring reportPath = arguments[1];
    ::LocalFree(arguments);

    FILE* messages = SetUpConsole();
    for (int i = 0; i < 600; ++i)
        std::fprintf(messages, "line %d\n", i);
    std::fputs("Caf\xe9 line\n", messages);
    std::fprintf(stderr, "error line\n");

    std::string report;
    const HANDLE console = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info = {};
    const bool attached = console != INVALID_HANDLE_VALUE && ::GetConsoleScreenBufferInfo(console, &info);
    report += std::string("console=") + (attached ? "1" : "0") + "\n";
    if (attached) {
        const SHORT cursor = info.dwCursorPosition.Y;
        report += "height=" + std::to_string(info.dwSize.Y) + "\n";
        report += "row0=" + Narrow(Row(console, 0, info.dwSize.X)) + "\n";
        report += "before-last=" + Narrow(Row(console, static_cast<SHORT>(cursor - 2), info.dwSize.X)) + "\n";
        report += "last=" + Narrow(Row(console, static_cast<SHORT>(cursor - 1), info.dwSize.X)) + "\n";
    }
    if (console != INVALID_HANDLE_VALUE)
        ::CloseHandle(console);

    FILE* out = ::_wfopen(reportPath.c_str(), L"wb");
    if (!out)
        return 1;
    std::fwrite(report.data(), 1, report.size(), out);
    std::fclose(out);
    return 0;
}
