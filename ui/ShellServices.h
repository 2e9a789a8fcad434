// The system's services that the windows hand work to: message boxes, the shell's "open"
// and the folder picker. The program gives the system's own; tests give recorders.
#pragma once

#include "framework/IMessageBox.h"
#include "saving/IShellOpen.h"
#include "ui/IFolderPicker.h"

struct ShellServices {
    IMessageBox& messages;
    IShellOpen& shell;
    IFolderPicker& folders;
};
