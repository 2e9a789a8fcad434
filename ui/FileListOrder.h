// The order of the driver files list: by name (letters A to Z in any case), by size or by
// date, ascending or descending, chosen by clicks on the column headers.
#pragma once

#include "model/DriverFile.h"

enum FileListColumn { kNameColumn = 0, kSizeColumn = 1, kDateColumn = 2 };

struct FileListOrder {
    int column = kNameColumn;
    bool descending = false;
};

// A click on a column header: the same column again flips ascending to descending; anything
// else sorts the clicked column ascending.
FileListOrder AfterColumnClick(FileListOrder order, int clickedColumn);

// Negative, zero or positive as left sorts before, with or after right. A missing record and
// an unknown column compare equal. It never throws: the list view calls it in its own sort.
int CompareDriverFiles(const DriverFile* left, const DriverFile* right, FileListOrder order) noexcept;
