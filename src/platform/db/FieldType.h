#pragma once
// Field data types of tables, query results and parameters.

#include <QString>

namespace db {

/// The field types in their fixed order; the numbers are part of the interface (automation
/// clients pass them as type codes: 1 string, 2 16-bit integer, 3 32-bit integer, ...).
enum TFieldType {
    ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD,
    ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic,
    ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString,
    ftLargeint, ftADT, ftArray, ftReference, ftDataSet
};

/// The type's name as written in code, such as "ftFloat".
QString FieldTypeName(TFieldType type);

/// True for the types whose values are numbers.
bool IsNumericType(TFieldType type);

/// True for the types whose values are text or bytes held outside the record (memo, blob...).
bool IsBlobType(TFieldType type);

} // namespace db
