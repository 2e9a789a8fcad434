// The system's services that the windows hand work to: message boxes, the shell's "open",
// the folder picker, and the system's folders that the driver search and the logs use. The
// program gives the system's own; tests give recorders and the test prefix's folders.
#pragma once

#include "framework/IMessageBox.h"
#include "discovery/SystemFolders.h"
#include "log/IShellOpen.h"
#include "ui/IFolderPicker.h"

struct ShellServices {
    IMessageBox& messages;
    IShellOpen& shell;
    IFolderPicker& folderPicker;
    const SystemFolders& systemFolders;
};
