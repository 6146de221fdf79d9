#pragma once
// Reading of data tables: one data item per record of a query result. The values of a record
// are its fields Rf1, Rf2, ... less its field Start, optionally multiplied by its FACTOR and
// filtered by its flags Inc1, Inc2, ...; the statement texts the main window runs to read and
// to create such tables.

#include "DataItem.h"

#include "platform/rtl/SysUtils.h"

#include <QStringList>

namespace db {
class TDataSet;
class TFields;
}

/// The fields of a query result that a read looks at.
struct TableLayout
{
    /// The consecutive run Rf1 .. RfN that exists (fields Rf1, Rf2, Rf4 give 2).
    int RfCount = 0;
    /// An Inc<j> field exists for every Rf<j> of the run; only then are the flags looked at.
    bool HasInc = false;
    bool HasFactor = false;
};

/// Looks the fields up by name without regard to letter case.
TableLayout DescribeTable(const db::TFields &fields);

struct TableReadOptions
{
    /// The field read as the item's identifier.
    QString IdFieldName = QStringLiteral("ID");
    /// Multiply by FACTOR when the table has one (a factor of 0 or blank counts as 1).
    bool UseFactor = true;
    /// Store the base-10 logarithm of each value.
    bool LogTransform = false;
    /// An Rf value equal to this is skipped before Start is subtracted.
    double SkipValue = 0.0;
    /// The records the dataset is known to hold (0: not known); the items are laid out for them
    /// at once instead of growing a million times.
    int ExpectedRecords = 0;
};

struct TableData
{
    std::vector<TDataItem> items;
    /// Identifiers of the records that held more accepted values than an item can keep; their
    /// items keep the first MaxItemValues values.
    QStringList truncatedItems;
};

/// A read that stopped at a record; the message names the 1-based record number and the field.
class ETableDataError : public rtl::Exception
{
public:
    ETableDataError(int record, const QString &field, const QString &reason);
    int Record() const { return m_record; }
    const QString &Field() const { return m_field; }

private:
    int m_record;
    QString m_field;
};

/// A field's value as the text a read takes it for: the identifier of an item, a flag.
QString FieldText(const QVariant &value);

/// Reads every record of the open dataset from its first into one item each (the item of a
/// record without an accepted value is not used). Throws ETableDataError for a missing
/// identifier or Start field, a value that is no number, or a logarithm of a value that is not
/// positive; nothing read before is answered then.
TableData ReadTableData(db::TDataSet &dataSet, const TableReadOptions &options);

/// The statement that reads every column of the records a builder statement selects: the lines
/// before the one holding the word FROM are dropped, that line becomes "SELECT * " followed by
/// its text from FROM on, and the later lines stay. FROM counts only as a whole word outside
/// quotes (a field FROMDATE or a table 'from.dbf' does not cut the statement). Answers no lines
/// when no line holds FROM.
QStringList SelectAllColumns(const QStringList &lines);

/// The statement by which a driving program narrows the open table: the identifiers of the
/// records of `tableFile` (a file name without folder) that meet `where`.
QStringList SelectIdsWhere(const QString &tableFile, const QString &where);

/// The statement of the output table's record of one item: every field, where `keyField`
/// equals the parameter of the same name.
QString OutputRecordStatement(const QString &tableName, const QString &keyField);

/// The answers that shape a new data table.
struct NewTableSpec
{
    QString FileName;             ///< with extension, without folder
    QStringList OptionalFields;   ///< each as typed, with or without its final ","
    int RfCount = 3;
    QString RfFormat = QStringLiteral("DECIMAL(6,3)");
    bool WithFactor = true;
    bool WithClass = true;
};

/// The lines of the CREATE TABLE statement for `spec`: ID, the optional fields, START, Rf1..N,
/// INC1..N, FACTOR and CLAS as asked; the last line ends with ")".
QStringList CreateTableStatement(const NewTableSpec &spec);
