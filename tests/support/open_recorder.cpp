// Stands in for the viewer of text files in a test prefix: appends the file it was asked to
// open, as one UTF-16 line, to the record file named first on its command line, and exits.
//   open_recorder.exe <record file> <opened file>
#include <windows.h>
#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!arguments || count < 3)
        return 2;
    const std::wstring line = std::wstring(arguments[2]) + L"\n";
    const HANDLE record = ::CreateFileW(arguments[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ::LocalFree(arguments);
    if (record == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    // One write per line, so a reader never sees half of one.
    const BOOL ok = ::WriteFile(record, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written, nullptr);
    ::CloseHandle(record);
    return ok ? 0 : 1;
}
