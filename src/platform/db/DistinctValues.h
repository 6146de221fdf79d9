#pragma once
// The distinct values of one field of a table, as a value list offers them.

#include "platform/db/FieldType.h"

#include <QString>
#include <QVariant>

#include <vector>

namespace db {

struct DistinctValueList
{
    TFieldType type = ftUnknown; ///< the field's type
    /// Each value once, ordered as ORDER BY orders them: null first, then numbers, then text
    /// (by code point), then anything else.
    std::vector<QVariant> values;
};

/// The distinct values of field `field` of table `table` in database `databaseName` (a full
/// path when the name is ''), among the records that satisfy `where` (an SQL condition; ''
/// for all). Gives the rows of SELECT DISTINCT field FROM 'table' WHERE where ORDER BY field,
/// but reads each record's field once instead of sorting every record. Throws EDatabaseError
/// for an unknown table or field or a condition the engine rejects.
DistinctValueList DistinctFieldValues(const QString &databaseName, const QString &table, const QString &field,
                                      const QString &where);

} // namespace db
