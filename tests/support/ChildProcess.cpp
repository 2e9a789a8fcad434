#include "tests/support/ChildProcess.h"

#include <cstdlib>

#include "tests/support/TempFolder.h"

ChildProcess::ChildProcess(const std::wstring& commandLine)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    Start(commandLine, startup, false, 0);
}

ChildProcess::ChildProcess(const std::wstring& commandLine, HANDLE standardOutput)
    : ChildProcess(commandLine, std::wstring(), standardOutput)
{
}

ChildProcess::ChildProcess(const std::wstring& commandLine, const std::wstring& desktop, HANDLE standardOutput)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    std::wstring desktopName = desktop;
    if (!desktopName.empty())
        startup.lpDesktop = &desktopName[0];
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = standardOutput;
    startup.hStdError = standardOutput;
    // Windows never attaches a GUI program to its parent's console; Wine hands it the
    // parent's console reference, and AllocConsole then fails. Detached, both start it alike.
    Start(commandLine, startup, standardOutput != nullptr, DETACHED_PROCESS);
}

void ChildProcess::Start(const std::wstring& commandLine, STARTUPINFOW& startup, bool inheritHandles, DWORD flags)
{
    std::wstring mutableLine = commandLine;
    PROCESS_INFORMATION info = {};
    if (::CreateProcessW(nullptr, &mutableLine[0], nullptr, nullptr, inheritHandles, flags, nullptr, nullptr, &startup,
                         &info)) {
        process_.reset(info.hProcess);
        ::CloseHandle(info.hThread);
        id_ = info.dwProcessId;
    }
}

bool ChildProcess::Wait(DWORD timeoutMs)
{
    return process_.valid() && ::WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

DWORD ChildProcess::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    if (process_.valid())
        ::GetExitCodeProcess(process_.get(), &code);
    return code;
}

ProgramRun RunWithOutputToFile(const std::wstring& commandLine, DWORD timeoutMs)
{
    const DWORD terminateTimeoutMs = 5000;
    ProgramRun run;
    const TempFolder folder;
    const std::wstring outputPath = folder / L"output.txt";
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    UniqueFileHandle output(::CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                                          CREATE_ALWAYS, 0, nullptr));
    if (!output)
        return run;
    ChildProcess child(commandLine, output.get());
    // The child writes through its own copy of the handle.
    output.reset();
    run.finished = child.Wait(timeoutMs);
    run.exitCode = child.ExitCode();
    if (!run.finished) {
        child.Terminate();
        // Until it is gone it holds the file open for writing, and the file cannot be read.
        child.Wait(terminateTimeoutMs);
    }
    run.output = ReadFileBytes(outputPath);
    return run;
}

namespace {

struct WindowSearch {
    DWORD processId;
    const std::wstring* className;
    const std::wstring* title;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId || !::IsWindowVisible(window))
        return TRUE;
    wchar_t name[256] = L"";
    ::GetClassNameW(window, name, 256);
    if (!search->className->empty() && *search->className != name)
        return TRUE;
    if (!search->title->empty() && WindowText(window) != *search->title)
        return TRUE;
    search->found = window;
    return FALSE;
}

struct ChildSearch {
    const std::wstring* className;
    std::vector<std::wstring> texts;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<ChildSearch*>(lParam);
    wchar_t name[256] = L"";
    ::GetClassNameW(window, name, 256);
    if (_wcsicmp(name, search->className->c_str()) == 0)
        search->texts.push_back(WindowText(window));
    return TRUE;
}

} // namespace

HWND ChildProcess::WaitForWindow(const std::wstring& className, DWORD timeoutMs) const
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (const HWND found = FindProcessWindow(id_, className))
            return found;
        if (::GetTickCount() - start > timeoutMs)
            return nullptr;
        ::Sleep(50);
    }
}

HWND FindProcessWindow(DWORD processId, const std::wstring& className, const std::wstring& title)
{
    WindowSearch search = {processId, &className, &title, nullptr};
    ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void ChildProcess::Terminate()
{
    if (process_.valid())
        ::TerminateProcess(process_.get(), 255);
}

std::wstring WindowText(HWND window)
{
    const LRESULT length = ::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(copied));
    return text;
}

std::vector<std::wstring> ChildTexts(HWND parent, const std::wstring& className)
{
    ChildSearch search = {&className, {}};
    ::EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&search));
    return search.texts;
}

std::wstring BuildProgramPath(const char* variable)
{
    const char* value = std::getenv(variable);
    if (!value)
        return std::wstring();
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, value, -1, nullptr, 0);
    std::wstring path(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, value, -1, &path[0], length);
    path.resize(static_cast<size_t>(length) - 1);
    return path;
}
