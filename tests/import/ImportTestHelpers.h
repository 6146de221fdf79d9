#pragma once
// What the import tests share: a grid row as texts, files written byte by byte, small dBASE tables.

#include "import/ImportGrid.h"

#include "platform/db/Database.h"

#include "TableRows.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

/// Sizes the grid to `rows` (row 0 the names) and fills it; shorter rows leave their cells empty.
inline void FillGrid(TImportGrid &grid, const std::vector<QStringList> &rows)
{
    qsizetype columns = 0;
    for (const QStringList &row : rows)
        columns = std::max(columns, row.size());
    grid.SetRowCount(int(rows.size()));
    grid.SetColCount(int(columns));
    for (int row = 0; row < int(rows.size()); ++row)
        for (int column = 0; column < int(rows[size_t(row)].size()); ++column)
            grid.SetCells(column, row, rows[size_t(row)][column]);
}

inline QStringList Row(const TImportGrid &grid, int row)
{
    QStringList cells;
    for (int column = 0; column < grid.ColCount(); ++column)
        cells << grid.Cells(column, row);
    return cells;
}

inline QString WriteBytes(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString fileName = dir.filePath(name);
    QFile file(fileName);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return fileName;
}

/// Makes the dBASE table `name`.dbf in `dir` with the columns of a CREATE TABLE statement and
/// rows of texts; answers its full file name.
inline QString WriteTable(const QTemporaryDir &dir, const QString &name, const QString &columns,
                          const std::vector<QStringList> &rows)
{
    const QString alias = QStringLiteral("importtests");
    db::TDatabase database;
    database.SetDatabaseName(alias);
    database.Params().Add(QStringLiteral("PATH=") + dir.path());
    database.Open();
    CreateTableWithRows(alias, name, columns, rows);
    return dir.filePath(name + QStringLiteral(".dbf"));
}
