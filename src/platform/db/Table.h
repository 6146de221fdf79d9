#pragma once
// A dataset over all records of one table file, in the order of the file.

#include "platform/db/DataSet.h"

namespace db {

class TTable : public TDataSet
{
public:
    TTable() = default;
    ~TTable() override;

    /// A file name in the database's folder (letter case ignored; ".dbf" added when the name
    /// has no extension), or a full path when the database name is ''.
    const QString &TableName() const { return m_tableName; }
    /// Throws EDatabaseError while the table is open.
    void SetTableName(const QString &name);

    /// Works on a closed table too: the names are read from the file.
    void GetFieldNames(rtl::TStringList &names) override;

protected:
    std::unique_ptr<RowSource> OpenSource(const DatabaseContext &context) override;

private:
    QString tablePath(const DatabaseContext &context) const;

    QString m_tableName;
};

} // namespace db
