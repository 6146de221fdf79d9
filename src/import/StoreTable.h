#pragma once
// Storing the rows of the import grid as new records of a table: which fields can take part,
// which grid column is proposed for a field, and the store itself, record by record.

#include "platform/db/FieldType.h"
#include "platform/rtl/SysUtils.h"

#include <QString>
#include <QStringList>

#include <vector>

class TImportGrid;

namespace db {
class TDataSet;
class TField;
}

/// True for the field types the store writes: text, 16- and 32-bit integers, 16-bit unsigned
/// integers, floating point, date, time, date and time, fixed-length bytes.
bool IsStorableFieldType(db::TFieldType type);

/// The names of the storable fields of the open dataset `table`, in the table's order.
QStringList StorableFieldNames(db::TDataSet &table);

/// The first of `columns` (grid column names, index = grid column) whose name equals
/// `fieldName` without regard to case; -1 when none does.
int ProposedColumn(const QStringList &columns, const QString &fieldName);

/// One field that takes part in a store.
struct TFieldRecord
{
    int ColIndex = -1;     ///< grid column feeding the field (0 = the item numbers); below 0 = none
    QString StandardValue; ///< stored where there is no column or the row's cell is empty
    db::TField *Field = nullptr;
};

/// A store that an error ended: the records of the rows before `Row` are in the table, the
/// record of `Row` was cancelled.
class EStoreError : public rtl::Exception
{
public:
    EStoreError(int row, int stored, const QString &reason);
    int Row() const { return m_row; }
    int Stored() const { return m_stored; }

private:
    int m_row;
    int m_stored;
};

/// Appends one record to `table` (open) for each grid row 1 .. RowCount-1: each field of
/// `fields` takes its column's cell, or its standard value where the cell is empty, converted
/// by the field's type (an empty text leaves the field empty). A record is posted whole or not
/// at all: at the first error the record being appended is cancelled and EStoreError is thrown.
/// Other programs are kept off the table meanwhile; when one holds it, nothing is stored
/// (EStoreError for row 1). Answers the number of records stored.
int StoreGridRows(const TImportGrid &grid, db::TDataSet &table, const std::vector<TFieldRecord> &fields);
