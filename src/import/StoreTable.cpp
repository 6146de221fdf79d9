#include "StoreTable.h"

#include "ImportGrid.h"

#include "platform/db/DataSet.h"

bool IsStorableFieldType(db::TFieldType type)
{
    switch (type) {
    case db::ftString:
    case db::ftSmallint:
    case db::ftInteger:
    case db::ftWord:
    case db::ftFloat:
    case db::ftDate:
    case db::ftTime:
    case db::ftDateTime:
    case db::ftBytes:
        return true;
    default:
        return false;
    }
}

QStringList StorableFieldNames(db::TDataSet &table)
{
    QStringList names;
    for (int i = 0; i < table.Fields().Count(); ++i) {
        const db::TField &field = table.Fields()[i];
        if (IsStorableFieldType(field.DataType()))
            names << field.FieldName();
    }
    return names;
}

int ProposedColumn(const QStringList &columns, const QString &fieldName)
{
    for (int column = 0; column < columns.size(); ++column)
        if (columns[column].compare(fieldName, Qt::CaseInsensitive) == 0)
            return column;
    return -1;
}

EStoreError::EStoreError(int row, int stored, const QString &reason)
    : rtl::Exception(QStringLiteral("Row %1 of the grid was not stored: %2\n%3 record(s) of the rows before it were stored "
                                    "into the table.")
                         .arg(row)
                         .arg(reason)
                         .arg(stored)),
      m_row(row), m_stored(stored)
{
}

int StoreGridRows(const TImportGrid &grid, db::TDataSet &table, const std::vector<TFieldRecord> &fields)
{
    int stored = 0;
    // Other programs keep off the table until the store is done.
    std::unique_ptr<db::TableLock> lock;
    try {
        lock = table.LockTable();
    } catch (const rtl::Exception &error) {
        throw EStoreError(1, 0, error.Message());
    }
    for (int row = 1; row < grid.RowCount(); ++row) {
        try {
            table.Append();
            for (const TFieldRecord &record : fields) {
                QString text = record.ColIndex >= 0 ? grid.Cells(record.ColIndex, row) : QString();
                if (text.isEmpty())
                    text = record.StandardValue;
                record.Field->SetAsString(text);
            }
            table.Post();
        } catch (const rtl::Exception &error) {
            // The record is dropped whole; those posted before it stay.
            if (table.Active())
                table.Cancel();
            throw EStoreError(row, stored, error.Message());
        }
        ++stored;
    }
    return stored;
}
