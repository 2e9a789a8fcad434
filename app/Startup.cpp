#include "app/Startup.h"

#include <objbase.h>
#include <commctrl.h>

#include "app/CStandaloneTarnwick.h"
#include "app/CommandLineOptions.h"
#include "app/Wow64.h"
#include "framework/AppModule.h"
#include "framework/SystemMessageBox.h"
#include "saving/SystemShellOpen.h"
#include "ui/MainWindow.h"

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
        return 1;
    }

    CommandLineOptions options;
    if (ParseCommandLine(options, messages)) {
        SystemShellOpen shell;
        CStandaloneTarnwick standalone(shell);
        return standalone.Run(options);
    }

    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    AppModule().Init(instance);
    // "/restore" without a folder: the program started itself again with administrator
    // rights, for the restore command that the window without them could not run.
    const int result = RunMainWindow(showCommand, options.restoreRequested && options.restore.empty());
    AppModule().Term();
    ::CoUninitialize();
    return result;
}
