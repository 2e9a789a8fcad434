#include "ui/MainWindow.h"

#include "framework/AppModule.h"
#include "framework/CMessageLoop.h"
#include "framework/SystemMessageBox.h"
#include "log/SystemShellOpen.h"
#include "ui/CMainFrame.h"
#include "ui/MainFrameActions.h"
#include "ui/SystemFolderPicker.h"

int RunMainWindow(int showCommand, bool restoreAtStart)
{
    CMessageLoop loop;
    AppModule().AddMessageLoop(loop);
    // A window that cannot be made (no display to show it on) has done nothing: a failure.
    int result = 1;
    {
        SystemMessageBox messages;
        SystemShellOpen shell;
        SystemFolderPicker folderPicker;
        const SystemFolders systemFolders = ReadSystemFolders();
        MainFrameActions actions(ShellServices{messages, shell, folderPicker, systemFolders});
        CMainFrame frame(SystemDeviceSet, actions, messages);
        if (restoreAtStart)
            frame.RestoreWhenScanned();
        if (frame.CreateMainWindow()) {
            frame.Show(showCommand);
            result = loop.Run();
        }
    }
    AppModule().RemoveMessageLoop();
    return result;
}
