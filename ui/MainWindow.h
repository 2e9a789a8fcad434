#pragma once

// Runs the main window until its message loop ends and returns the exit code carried by
// WM_QUIT (1 when the user closes the window), or 1 when the window cannot be created.
// restoreAtStart runs the restore command once the first scan is done.
int RunMainWindow(int showCommand, bool restoreAtStart = false);
