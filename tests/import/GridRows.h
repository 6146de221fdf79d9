#pragma once
// Import grids written and read row by row in tests.

#include "import/ImportGrid.h"

#include <QStringList>

#include <ostream>
#include <vector>

inline void PrintTo(const QString &text, std::ostream *out) { *out << '"' << text.toStdString() << '"'; }

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

inline QStringList GridRow(const TImportGrid &grid, int row)
{
    QStringList cells;
    for (int column = 0; column < grid.ColCount(); ++column)
        cells << grid.Cells(column, row);
    return cells;
}
