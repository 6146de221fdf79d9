#pragma once
// A small dBASE table made for a test: created by statement, its rows appended as texts.

#include "platform/db/Query.h"
#include "platform/db/Table.h"

#include <QStringList>

#include <vector>

/// Creates `name`.dbf with `columns` (the inside of CREATE TABLE's parentheses) in the database
/// `alias` and appends `rows`, each text assigned to the field of its position.
inline void CreateTableWithRows(const QString &alias, const QString &name, const QString &columns,
                                const std::vector<QStringList> &rows)
{
    db::TQuery create;
    create.SetDatabaseName(alias);
    create.SQL().Add(QStringLiteral("CREATE TABLE '%1.dbf' (%2)").arg(name, columns));
    create.ExecSQL();
    db::TTable table;
    table.SetDatabaseName(alias);
    table.SetTableName(name);
    table.Open();
    for (const QStringList &row : rows) {
        table.Append();
        for (int i = 0; i < row.size(); ++i)
            table.Fields()[i].SetAsString(row[i]);
        table.Post();
    }
}
