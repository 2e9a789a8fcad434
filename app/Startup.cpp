#include "app/Startup.h"

#include <objbase.h>
#include <commctrl.h>

#include <cstdio>

#include "app/CStandaloneTarnwick.h"
#include "app/CommandLineOptions.h"
#include "app/Console.h"
#include "app/Desktop.h"
#include "app/ExitCodes.h"
#include "app/Wow64.h"
#include "framework/AppModule.h"
#include "framework/SystemMessageBox.h"
#include "log/SystemShellOpen.h"
#include "ui/MainWindow.h"

namespace {

// Into a redirected output when there is one; a run with none has nowhere to write it.
void WriteHelpToOutput()
{
    if (!OutputIsRedirected())
        return;
    PrintMessage(SetUpConsole(), CommandLineHelp() + L"\n");
}

} // namespace

int RunTarnwick(HINSTANCE instance, int showCommand)
{
    // Single-threaded apartment: the help viewer, the folder browser and the property sheets
    // host COM objects that need one on the thread that shows them. In a multithreaded
    // apartment the help window does not open at all.
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    // A 32-bit process on 64-bit Windows sees System32 and parts of the registry redirected,
    // so it would work out and copy the wrong driver files.
    SystemMessageBox messages;
    if (IsWow64()) {
        messages.Show(nullptr,
                       L"This 32-bit version of Tarnwick shall not be used on 64-bit OS.\nPlease reinstall Tarnwick.",
                       L"Failed to start", MB_OK);
        return kFailedExitCode;
    }

    CommandLineOptions options;
    const CommandLineRun run = ChooseRun(::GetCommandLineW(), options);
    if (run == CommandLineRun::BadCommandLine) {
        // A script's run (a deployment tool, a service account) has nobody to press OK: the
        // help goes to its output, and the exit code says that nothing ran.
        if (RunIsUnwatched()) {
            WriteHelpToOutput();
            return kBadCommandLineExitCode;
        }
        ShowCommandLineHelp(messages);
    }
    if (run == CommandLineRun::CommandLine) {
        SystemShellOpen shell;
        CStandaloneTarnwick standalone(shell);
        return standalone.Run(options);
    }
    // Nobody would see the window, and nothing was done.
    if (!DesktopIsVisible())
        return kFailedExitCode;

    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    AppModule().Init(instance);
    // "/restore" without a folder: the program started itself again with administrator
    // rights, for the restore command that the window without them could not run.
    const int result = RunMainWindow(showCommand, options.OpensTheRestoreCommand());
    AppModule().Term();
    ::CoUninitialize();
    return result;
}
