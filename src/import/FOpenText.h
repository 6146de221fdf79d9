#pragma once
// The dialog "Open text file": reads a fixed-column text through a mask, a delimited text, or a
// table through the query builder into the import grid.

#include <QString>

class TImportGrid;

/// Shows the dialog until a file has been read into `grid` or the user cancels; `fileName` is the
/// file read, or empty after a cancel.
void OpenTextFile(TImportGrid &grid, QString &fileName);
/// The same, preset to TAB-delimited text with the names in the first line.
void OpenTabTextFile(TImportGrid &grid, QString &fileName);
