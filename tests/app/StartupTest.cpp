// The program as a whole at start: the file it is, and which run each command line starts,
// with the help box and the exit codes.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <vector>

#include "app/CommandLineOptions.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/OpenVerbRecorder.h"
#include "tests/support/TempFolder.h"

namespace {

const DWORD kTimeoutMs = 30000;

std::wstring Program()
{
    return BuildProgramPath("TARNWICK_EXE");
}

std::wstring CommandLine(const std::wstring& arguments)
{
    return L"\"" + Program() + L"\" " + arguments;
}

// Closes the main window of a window run and returns its exit code.
DWORD CloseMainWindow(ChildProcess& child, HWND frame)
{
    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_TRUE(child.Wait(kTimeoutMs));
    return child.ExitCode();
}

// The main window has shown its first scan: the tree holds the computer's node and the frame
// is enabled again.
bool WaitUntilScanned(HWND frame)
{
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < kTimeoutMs) {
        // The tree is the view's child that answers for its items (a superclass of the system's
        // tree, under a class name of the program's own).
        bool filled = false;
        for (HWND child = ::GetWindow(::GetDlgItem(frame, 3006), GW_CHILD); child && !filled;
             child = ::GetWindow(child, GW_HWNDNEXT))
            filled = ::SendMessageW(child, TVM_GETCOUNT, 0, 0) > 0;
        if (filled && ::IsWindowEnabled(frame))
            return true;
        ::Sleep(50);
    }
    return false;
}

std::vector<BYTE> VersionInfo(const std::wstring& file)
{
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &handle);
    std::vector<BYTE> data(size);
    if (size == 0 || !::GetFileVersionInfoW(file.c_str(), 0, size, data.data()))
        data.clear();
    return data;
}

std::wstring VersionString(std::vector<BYTE>& data, const wchar_t* name)
{
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    if (!::VerQueryValueW(data.data(), path.c_str(), &value, &length) || !value)
        return std::wstring();
    return static_cast<const wchar_t*>(value);
}

} // namespace

TEST(Startup, ProgramCarriesItsVersionAndManifest)
{
    ASSERT_FALSE(Program().empty()) << "TARNWICK_EXE is not set";
    std::vector<BYTE> version = VersionInfo(Program());
    ASSERT_FALSE(version.empty());
    EXPECT_EQ(VersionString(version, L"ProductName"), L"Tarnwick");
    EXPECT_EQ(VersionString(version, L"ProductVersion"), L"3.1");
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(version.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(1, 3));

    HMODULE module = ::LoadLibraryExW(Program().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC manifest = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(manifest, nullptr);
    const char* text = static_cast<const char*>(::LockResource(::LoadResource(module, manifest)));
    const std::string xml(text, ::SizeofResource(module, manifest));
    EXPECT_NE(xml.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(xml.find("PerMonitorV2"), std::string::npos);
    EXPECT_NE(xml.find("asInvoker"), std::string::npos);
    EXPECT_NE(xml.find("SMI/2016/WindowsSettings\">true</longPathAware>"), std::string::npos);
    ::FreeLibrary(module);
}

TEST(Startup, WindowRunEndsWithExitCodeOneWhenClosed)
{
    ChildProcess child(CommandLine(L""));
    ASSERT_TRUE(child.started());
    HWND frame = child.WaitForWindow(L"", kTimeoutMs);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(WindowText(frame), L"Tarnwick 3.1");
    EXPECT_EQ(CloseMainWindow(child, frame), 1u);
}

TEST(Startup, PathWithoutFolderOpensTheWindow)
{
    ChildProcess child(CommandLine(L"/path: /all"));
    ASSERT_TRUE(child.started());
    HWND frame = child.WaitForWindow(L"", kTimeoutMs);
    ASSERT_NE(frame, nullptr);
    wchar_t className[64] = L"";
    ::GetClassNameW(frame, className, 64);
    EXPECT_STRNE(className, L"#32770") << "no message box for an empty path";
    EXPECT_EQ(CloseMainWindow(child, frame), 1u);
}

TEST(Startup, UnknownArgumentShowsTheHelpBoxThenTheWindow)
{
    // Started as from a desktop shortcut, with no output: under Wine a child started plainly
    // writes to the test runner's output, which is a scripted run's.
    ChildProcess child(CommandLine(L"/bogus /path:C:\\never-used"), nullptr);
    ASSERT_TRUE(child.started());
    HWND box = child.WaitForWindow(L"#32770", kTimeoutMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(box), L"Tarnwick");
    bool helpShown = false;
    for (const std::wstring& text : ChildTexts(box, L"Static"))
        helpShown = helpShown || text.find(L"Tarnwick command line options:") == 0;
    EXPECT_TRUE(helpShown);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);

    HWND frame = nullptr;
    const DWORD start = ::GetTickCount();
    while (!frame && ::GetTickCount() - start < kTimeoutMs) {
        HWND window = child.WaitForWindow(L"", kTimeoutMs);
        wchar_t className[64] = L"";
        if (window)
            ::GetClassNameW(window, className, 64);
        if (window && wcscmp(className, L"#32770") != 0)
            frame = window;
        else
            ::Sleep(50);
    }
    ASSERT_NE(frame, nullptr) << "the window run follows the help box";
    EXPECT_EQ(CloseMainWindow(child, frame), 1u);
    EXPECT_FALSE(::PathFileExistsW(L"C:\\never-used")) << "no command-line run took place";
}

TEST(Startup, F1OpensTheHelpFileBesideTheProgram)
{
    const std::wstring helpFile = Program().substr(0, Program().rfind(L'\\')) + L"\\Help.chm";
    if (!::PathFileExistsW(helpFile.c_str()))
        GTEST_SKIP() << "no Help.chm was built beside the program (no CHM compiler here)";
    ChildProcess child(CommandLine(L""));
    ASSERT_TRUE(child.started());
    HWND frame = child.WaitForWindow(L"", kTimeoutMs);
    ASSERT_NE(frame, nullptr);
    // F1 arrives as a key press in the frame's queue and is turned into Help Contents by the
    // accelerator table, once the first scan has filled the tree and the frame takes input
    // again.
    ASSERT_TRUE(WaitUntilScanned(frame));
    ::PostMessageW(frame, WM_KEYDOWN, VK_F1, 0);
    HWND help = nullptr;
    const DWORD start = ::GetTickCount();
    while (!help && ::GetTickCount() - start < kTimeoutMs) {
        help = FindProcessWindow(child.id(), L"", L"Tarnwick 3.1 Help");
        ::Sleep(50);
    }
    EXPECT_NE(help, nullptr) << "the HTML Help window of Help.chm";
    if (help)
        ::PostMessageW(help, WM_CLOSE, 0, 0);
    EXPECT_EQ(CloseMainWindow(child, frame), 1u);
}

namespace {

// The help text as a scripted run prints it: 8-bit lines ending in CR LF.
std::string HelpAsPrinted()
{
    std::string printed;
    for (const wchar_t c : CommandLineHelp())
        printed += c == L'\n' ? std::string("\r\n") : std::string(1, static_cast<char>(c));
    return printed + "\r\n";
}

// A window station and desktop of the test's own that nobody sees, as a service account's.
class HiddenDesktop {
public:
    HiddenDesktop()
        : station(::CreateWindowStationW(L"TarnwickHidden", 0, WINSTA_ALL_ACCESS, nullptr))
    {
        if (!station)
            return;
        // A desktop is created in the calling process's window station.
        const HWINSTA own = ::GetProcessWindowStation();
        ::SetProcessWindowStation(station);
        desktop = ::CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        ::SetProcessWindowStation(own);
    }
    ~HiddenDesktop()
    {
        if (desktop)
            ::CloseDesktop(desktop);
        if (station)
            ::CloseWindowStation(station);
    }
    HiddenDesktop(const HiddenDesktop&) = delete;
    HiddenDesktop& operator=(const HiddenDesktop&) = delete;

    bool made() const { return desktop != nullptr; }
    std::wstring name() const { return L"TarnwickHidden\\Default"; }

private:
    HWINSTA station;
    HDESK desktop = nullptr;
};

} // namespace

TEST(Startup, BadCommandLineInAScriptedRunPrintsTheHelpAndExitsWithTwo)
{
    for (const wchar_t* arguments : {L"/bogus", L"/path:C:\\never-used /restore:C:\\never-used", L"/ALL -x",
                                     L"/report:C:\\never-used.txt", L"/force"}) {
        SCOPED_TRACE(arguments);
        // No box waits for an OK: the run ends by itself, long before the time given.
        const ProgramRun run = RunWithOutputToFile(CommandLine(arguments), kTimeoutMs);
        ASSERT_TRUE(run.finished) << "a box or a window kept the run waiting";
        EXPECT_EQ(run.exitCode, 2u);
        EXPECT_EQ(run.output, HelpAsPrinted());
    }
    EXPECT_FALSE(::PathFileExistsW(L"C:\\never-used")) << "nothing ran";
}

TEST(Startup, RunWithoutAVisibleDesktopShowsNothingAndFails)
{
    HiddenDesktop hidden;
    ASSERT_TRUE(hidden.made());
    // The window run has no one to show its window to; a bad command line no one to show
    // the help box to.
    const struct {
        const wchar_t* arguments;
        DWORD exitCode;
    } cases[] = {{L"", 1u}, {L"/bogus", 2u}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.arguments);
        ChildProcess child(CommandLine(test.arguments), hidden.name(), nullptr);
        ASSERT_TRUE(child.started());
        ASSERT_TRUE(child.Wait(kTimeoutMs)) << "the run waited for someone to see it";
        EXPECT_EQ(child.ExitCode(), test.exitCode);
    }
}

// A command run on a desktop nobody sees (a scheduled task, a service) starts no viewer for
// its log, though its output is not redirected: the viewer would be left running unseen.
TEST(Startup, CommandRunWithoutAVisibleDesktopOpensNoViewer)
{
    OpenVerbRecorder recorder;
    ASSERT_TRUE(recorder.installed()) << "TARNWICK_OPEN_RECORDER is not set";
    HiddenDesktop hidden;
    ASSERT_TRUE(hidden.made());
    TempFolder empty;
    for (const std::wstring& folder : {empty.path(), empty / L"missing"}) {
        SCOPED_TRACE(::testing::PrintToString(folder));
        ChildProcess child(CommandLine(L"\"/verify:" + folder + L"\""), hidden.name(), nullptr);
        ASSERT_TRUE(child.started());
        ASSERT_TRUE(child.Wait(kTimeoutMs)) << "the run waited for someone to see it";
        EXPECT_EQ(child.ExitCode(), 1u);
        EXPECT_TRUE(recorder.WaitForOpened(1, 3000).empty()) << "no viewer on a desktop nobody sees";
    }
}
