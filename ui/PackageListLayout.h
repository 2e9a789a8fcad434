// The sizes of a package list dialog, worked out from where its template puts its controls:
// how small the user may make it, and how wide the name column is so that the columns fill the
// list. Pure arithmetic in pixels, tested without a window.
#pragma once

#include <windows.h>

// The dialog's client area as its template lays it out, in pixels.
struct PackageDialogParts {
    SIZE client;
    SIZE list;           // the list's size; it grows and shrinks with the dialog
    int statusWidth;     // the line under the list; it gives up width before the buttons move
    int minListWidth;    // the least that still shows the first column's start
    int minListHeight;   // the least that still shows a row under the header
    int minStatusWidth;  // the least that still shows the line's start
};

// The smallest client size: the list and the status line at their least, everything else (the
// margins, the buttons, the folder line's height) as laid out. Never larger than the client.
SIZE SmallestClient(const PackageDialogParts& parts) noexcept;

// The name column's width: whatever the other columns leave of the list's inside, and never
// less than its own given width.
int NameColumnWidth(int given, int otherColumns, int listInside) noexcept;
