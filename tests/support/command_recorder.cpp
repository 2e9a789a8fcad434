// Stands in for the program where a test runs a script that starts it: writes its whole
// command line, as UTF-16, to the file that TARNWICK_COMMAND_RECORD names, and exits.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    wchar_t record[MAX_PATH] = L"";
    if (!::GetEnvironmentVariableW(L"TARNWICK_COMMAND_RECORD", record, MAX_PATH))
        return 2;
    const HANDLE file =
        ::CreateFileW(record, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    const wchar_t* line = ::GetCommandLineW();
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, line, static_cast<DWORD>(::lstrlenW(line) * sizeof(wchar_t)), &written, nullptr);
    ::CloseHandle(file);
    return ok ? 0 : 1;
}
