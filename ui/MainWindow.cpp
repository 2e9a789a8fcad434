#include "ui/MainWindow.h"

#include "framework/AppModule.h"
#include "framework/CMessageLoop.h"
#include "ui/CMainFrame.h"

int RunMainWindow(int showCommand, bool restoreAtStart)
{
    CMessageLoop loop;
    AppModule().AddMessageLoop(loop);
    int result = 0;
    {
        CMainFrame frame;
        frame.restoreWhenScanned = restoreAtStart;
        if (frame.CreateMainWindow()) {
            frame.Show(showCommand);
            result = loop.Run();
        }
    }
    AppModule().RemoveMessageLoop();
    return result;
}
