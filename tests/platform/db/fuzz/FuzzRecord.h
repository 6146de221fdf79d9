#pragma once
// The record the fuzz targets write: a value for every field of a type both formats write.

#include "platform/db/TableStore.h"

#include <vector>

/// Fills `record` and `changed` for `fields`; fields of other types stay null and unchanged.
inline void FuzzRecord(const std::vector<db::FieldDef> &fields, db::Record &record, std::vector<bool> &changed)
{
    record.assign(fields.size(), QVariant());
    changed.assign(fields.size(), false);
    for (size_t field = 0; field < fields.size(); ++field) {
        switch (fields[field].type) {
        case db::ftString: record[field] = QStringLiteral("fuzz"); break;
        case db::ftFloat: record[field] = 1.5; break;
        case db::ftInteger: case db::ftSmallint: record[field] = 7; break;
        case db::ftMemo: record[field] = QStringLiteral("memo\r\ntext"); break;
        case db::ftBoolean: record[field] = true; break;
        default: continue;
        }
        changed[field] = true;
    }
}
