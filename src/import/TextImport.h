#pragma once
// The readers that fill the import grid: delimited text, fixed-column text cut by a mask, and
// the records of a dataset. Row 0 receives the column names, column 0 the item numbers 1, 2, ...
// (or the row names); the corner cell is left to the caller.

#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

class TImportGrid;

namespace db {
class TDataSet;
}

/// A file that holds nothing the chosen reader can take; the message names the file.
class ETextImportError : public rtl::Exception
{
public:
    using rtl::Exception::Exception;
};

/// Splits `text` at each `delimiter` (no quoting) into row `row` from column 1 on, each piece
/// without the characters of code 32 or below at its ends. An empty text gives no cell, a
/// delimiter at the end no extra cell. The grid gains columns as needed and never loses any;
/// cells no piece reaches keep their text.
void SplitIntoRow(TImportGrid &grid, int row, QStringView text, QChar delimiter);

/// Reads delimited text into the grid: the first line as the column names when `varNames`,
/// then one row per line numbered from 1. Without names, columns 1.. are named "Var 1", ...
/// Throws ETextImportError, before any cell changes, when names are asked for and `data` has
/// no line; `fileName` names the file in that message.
void ReadDelimitedText(TImportGrid &grid, QByteArrayView data, QChar delimiter, bool varNames, const QString &fileName);

/// Text columns first .. last (from 1) of a fixed-column line.
struct TMaskField
{
    int first = 0;
    int last = 0;
    friend bool operator==(const TMaskField &, const TMaskField &) = default;
};

/// The fields of a mask, left to right: "[" to the next "]", or a single "x" outside brackets.
/// Cutting stops at a "]" that comes before the next "[", and at a "[" without "]".
std::vector<TMaskField> CutMask(QStringView mask);

/// Cuts each line by the fields into one grid row (numbered from 1); with `rowNames` the first
/// field gives the row name in column 0. Column c (from 1) is named after the descriptor value
/// "Var<c>" when `descriptors` holds a non-empty one, else "Var <c>". The grid takes exactly the
/// columns of the fields and the rows of the lines.
void ReadFixedColumnLines(TImportGrid &grid, const QStringList &lines, const std::vector<TMaskField> &fields,
                          bool rowNames, const rtl::TStringList *descriptors);

/// Fills the grid from an open dataset, walked from its first record: `fieldNames` in row 0,
/// record numbers in column 0 and each field's value as text, for `recordCount` records.
/// Errors of the database layer pass to the caller.
void ReadDataSetRecords(TImportGrid &grid, db::TDataSet &dataSet, const QStringList &fieldNames, int recordCount);
