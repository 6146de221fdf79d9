#pragma once
// The steps of the Talnex import that work on the grid alone: the export's columns kept, the
// cells of "row;column;value" lines placed, and each item's values put in ascending order under
// the names the data tables use (START, Rf1, Rf2, ...).

#include <QString>

class TImportGrid;

/// The intermediate file of the import: "im.csv" in the system's temporary folder.
QString TalnexTempFileName();

/// Of a TAB export read with its names: drops the first data line and keeps the export's
/// columns 1, 2 and 4 (item, position, value) as grid columns 1 to 3.
void KeepTalnexColumns(TImportGrid &grid);

/// Puts `value` into cell (column, row), growing the grid as needed; a filled cell becomes its
/// text + "/" + value.
void AddCellValue(TImportGrid &grid, int column, int row, const QString &value);

/// Reads the lines "row;column;value" of `fileName` (the value may hold further ";") into the
/// grid through AddCellValue, then numbers the rows in column 0 and names the columns "Var" + c.
/// Answers the number of lines that gave no cell: no row or column number of 1 or more.
/// Throws rtl::EInOutError when the file cannot be read, and ETextImportError naming the line
/// and the grid's size, before the grid changes, when a line asks for a grid of more cells
/// than ContingencyCellBudget allows for the file.
int ReadContingencyTable(TImportGrid &grid, const QString &fileName);

/// The most cells a contingency file of `fileBytes` bytes may make the grid hold. A line of a
/// few bytes fills one cell, so a file cannot fill a grid much larger than its size; a little
/// room is left for items and positions that never occur. A stray item number of a billion
/// would otherwise ask for more memory than any machine has.
qint64 ContingencyCellBudget(qint64 fileBytes);
inline constexpr qint64 kMinContingencyCells = 1'000'000;
inline constexpr qint64 kContingencyCellsPerByte = 2;
inline constexpr qint64 kMaxContingencyCells = 100'000'000;

/// Replaces the values of each row by the same values in ascending order, from column 1 on (with
/// a 0 among them when `startInFirstColumn` is false), names the columns "START", "Rf1", "Rf2",
/// ... and drops the columns that no row reaches, keeping column 1 when none does. Throws rtl::EConvertError at the first cell
/// that is no number; the rows before it are already ordered.
void OrderTalnexRows(TImportGrid &grid, bool startInFirstColumn);
