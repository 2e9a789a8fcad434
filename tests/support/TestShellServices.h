// The system's services as the windows under test see them: boxes recorded, opened documents
// recorded, folder questions cancelled, and the test prefix's folders.
#pragma once

#include "tests/support/FolderPickerStub.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/ShellOpenRecorder.h"
#include "ui/ShellServices.h"

struct TestShellServices {
    MessageBoxRecorder messages;
    ShellOpenRecorder shell;
    FolderPickerStub folderPicker;
    SystemFolders systemFolders = ReadSystemFolders();

    ShellServices Services() { return {messages, shell, folderPicker, systemFolders}; }
};
