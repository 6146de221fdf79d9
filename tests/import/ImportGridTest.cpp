#include "ImportTestHelpers.h"

#include "import/ImportGrid.h"
#include "import/TextImport.h"

#include "platform/rtl/SysUtils.h"

#include "FileSizeLimit.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

TEST(ImportGrid, RowsAndColumnsMoveWithTheirNamesAndNumbers)
{
    TImportGrid grid;
    FillGrid(grid, {{"", "a", "b", "c"}, {"1", "x1", "y1", "z1"}, {"2", "x2", "y2", "z2"}, {"3", "x3", "y3", "z3"}});

    grid.DeleteRow(2);
    EXPECT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(grid.Cells(0, 2), "3") << "numbers are not renumbered";
    EXPECT_EQ(Row(grid, 2), QStringList({"3", "x3", "y3", "z3"}));

    grid.InsertColumn(1);
    EXPECT_EQ(Row(grid, 0), QStringList({"", "", "a", "b", "c"}));
    EXPECT_EQ(Row(grid, 1), QStringList({"1", "", "x1", "y1", "z1"}));

    grid.DeleteColumn(3);
    EXPECT_EQ(Row(grid, 0), QStringList({"", "", "a", "c"}));

    grid.DeleteColumn(0);
    grid.DeleteRow(0);
    EXPECT_EQ(grid.ColCount(), 4) << "column 0 stays";
    EXPECT_EQ(grid.RowCount(), 3) << "row 0 stays";
}

TEST(ImportGrid, ShiftingPushesARunOfFilledCellsOrNothing)
{
    struct Case
    {
        QStringList row;
        int column;
        int direction;
        bool moved;
        QStringList after;
    };
    const std::vector<Case> cases = {
        {{"1", "a", "b", "c"}, 1, +1, false, {"1", "a", "b", "c"}}, // the run reaches the last column
        {{"1", "a", "b", "", "d"}, 1, +1, true, {"1", "", "a", "b", "d"}},
        {{"1", "a", "b", ""}, 2, -1, false, {"1", "a", "b", ""}}, // column 0 is never a target
        {{"1", "", "b", "c"}, 3, -1, true, {"1", "b", "c", ""}},
    };
    for (const Case &c : cases) {
        TImportGrid grid;
        FillGrid(grid, {QStringList(c.row.size(), "n"), c.row});
        EXPECT_EQ(grid.ShiftCell(1, c.column, c.direction), c.moved) << c.row.join(',').toStdString();
        EXPECT_EQ(Row(grid, 1), c.after) << c.row.join(',').toStdString();
    }

    // A run as long as a long line of a file, pushed one place each way as a block.
    constexpr int kRun = 150000;
    TImportGrid longRow;
    longRow.SetColCount(kRun + 2);
    longRow.SetRowCount(2);
    for (int column = 1; column <= kRun; ++column)
        longRow.SetCells(column, 1, QString::number(column));
    EXPECT_TRUE(longRow.ShiftCell(1, 1, +1));
    EXPECT_EQ(longRow.Cells(1, 1), "");
    EXPECT_EQ(longRow.Cells(2, 1), "1");
    EXPECT_EQ(longRow.Cells(kRun + 1, 1), QString::number(kRun));
    EXPECT_FALSE(longRow.ShiftCell(1, kRun + 1, +1)) << "the run has reached the last column";
    EXPECT_TRUE(longRow.ShiftCell(1, kRun + 1, -1));
    EXPECT_EQ(longRow.Cells(1, 1), "1");
    EXPECT_EQ(longRow.Cells(kRun, 1), QString::number(kRun));
    EXPECT_EQ(longRow.Cells(kRun + 1, 1), "");

    TImportGrid grid;
    FillGrid(grid, {{"", "a", "b", "c", "d"}, {"1", "", "v", "w", "x"}});
    EXPECT_TRUE(grid.MoveToEmptyCell(1, 4, -1));
    EXPECT_EQ(Row(grid, 1), QStringList({"1", "x", "v", "w", ""}));
    EXPECT_FALSE(grid.MoveToEmptyCell(1, 2, -1));
}

TEST(ImportGrid, ClearLeavesOneNamedColumnAndOneNumberedRow)
{
    TImportGrid grid;
    FillGrid(grid, {{"Item", "a", "b"}, {"1", "x", "y"}, {"2", "u", "v"}});
    grid.Clear();
    EXPECT_EQ(grid.ColCount(), 2);
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(Row(grid, 0), QStringList({"", "Var1"}));
    EXPECT_EQ(Row(grid, 1), QStringList({"1", ""}));
}

TEST(ImportGrid, SavedTextKeepsCellsAsTheyAreAndAFailedSaveKeepsTheOldFile)
{
    TImportGrid grid;
    FillGrid(grid, {{"Item", "a", "b"}, {"1", "x;y", ""}, {"2", "3,5", "z"}});
    QTemporaryDir dir;
    const QString name = dir.filePath("grid.csv");

    SaveCSV(grid, name, true, true);
    EXPECT_EQ(ReadAll(name), "Item;a;b\r\n1;x;y\r\n2;3,5;z\r\n");
    SaveCSV(grid, name, false, false);
    EXPECT_EQ(ReadAll(name), "x;y\r\n3,5;z\r\n");

    EXPECT_THROW(SaveCSV(grid, dir.filePath("missing/grid.csv"), true, true), rtl::EInOutError);
    EXPECT_EQ(ReadAll(name), "x;y\r\n3,5;z\r\n");

    // A disk that fills up part way: the write stops short without an error of its own.
    grid.SetCells(2, 2, QString(4096, 'z'));
    WithFileSizeLimit(1024, [&] {
        try {
            SaveCSV(grid, name, true, true);
            ADD_FAILURE() << "a cut-off file was reported as saved";
        } catch (const rtl::EInOutError &error) {
            EXPECT_TRUE(error.Message().endsWith(QStringLiteral("grid.csv: File too large"))) << error.what();
        }
    });
    EXPECT_EQ(ReadAll(name), "x;y\r\n3,5;z\r\n");
}

// A first line of 2,000 delimiters makes the grid 2,001 columns wide; rows of one cell are still
// saved as one cell, and the file reads back into the same cells.
TEST(ImportGrid, SavedLinesEndAtTheLastFilledCellAndReadBackAlike)
{
    TImportGrid grid;
    ReadDelimitedText(grid, QByteArray(2000, ';') + "\nx\n\n;Žluťoučký kůň\n", u';', false, QStringLiteral("sparse.csv"));
    ASSERT_EQ(grid.ColCount(), 2001);
    QTemporaryDir dir;
    const QString name = dir.filePath("sparse.csv");
    SaveCSV(grid, name, false, true);
    EXPECT_EQ(ReadAll(name), "1\r\n2;x\r\n3\r\n4;;Žluťoučký kůň\r\n");
    SaveCSV(grid, name, false, false);
    TImportGrid back;
    ReadDelimitedText(back, ReadAll(name), u';', false, name);
    ASSERT_EQ(back.RowCount(), grid.RowCount());
    for (int row = 1; row < grid.RowCount(); ++row)
        EXPECT_EQ(Row(back, row), Row(grid, row).mid(0, back.ColCount())) << "row " << row;
}

TEST(ImportGrid, DraggedRowsAndColumnsTakeTheirNamesAndNumbersAlong)
{
    struct Case
    {
        const char *name;
        bool columns;
        int from;
        int to;
        std::vector<QStringList> after;
    };
    const std::vector<QStringList> before = {{"", "a", "b", "c"}, {"1", "a1", "b1", "c1"}, {"2", "a2", "b2", "c2"}, {"3", "a3", "b3", "c3"}};
    const std::vector<Case> cases = {
        {"column right", true, 1, 3, {{"", "b", "c", "a"}, {"1", "b1", "c1", "a1"}, {"2", "b2", "c2", "a2"}, {"3", "b3", "c3", "a3"}}},
        {"column left", true, 3, 2, {{"", "a", "c", "b"}, {"1", "a1", "c1", "b1"}, {"2", "a2", "c2", "b2"}, {"3", "a3", "c3", "b3"}}},
        {"row down", false, 1, 3, {{"", "a", "b", "c"}, {"2", "a2", "b2", "c2"}, {"3", "a3", "b3", "c3"}, {"1", "a1", "b1", "c1"}}},
        {"row up", false, 3, 1, {{"", "a", "b", "c"}, {"3", "a3", "b3", "c3"}, {"1", "a1", "b1", "c1"}, {"2", "a2", "b2", "c2"}}},
        {"into the names", true, 2, 0, before},
        {"past the end", false, 1, 4, before},
    };
    for (const Case &c : cases) {
        TImportGrid grid;
        FillGrid(grid, before);
        if (c.columns)
            grid.MoveColumn(c.from, c.to);
        else
            grid.MoveRow(c.from, c.to);
        for (int row = 0; row < int(c.after.size()); ++row)
            EXPECT_EQ(Row(grid, row), c.after[size_t(row)]) << c.name << ", row " << row;
    }
}

TEST(ImportGrid, ViewsSeeNamesAndNumbersAsHeadersAndEditOnlyTheCellsBetween)
{
    TImportGrid grid;
    FillGrid(grid, {{"Item", "a", "b"}, {"1", "x", "y"}, {"2", "u", "v"}});
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.columnCount(), 2);
    EXPECT_EQ(grid.data(grid.index(1, 0), Qt::DisplayRole).toString(), "u");
    EXPECT_EQ(grid.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "b");
    EXPECT_EQ(grid.headerData(0, Qt::Vertical, Qt::DisplayRole).toString(), "1");

    EXPECT_TRUE(grid.setData(grid.index(0, 1), "typed", Qt::EditRole));
    EXPECT_EQ(Row(grid, 1), QStringList({"1", "x", "typed"}));
    EXPECT_FALSE(grid.setData(grid.index(2, 0), "outside", Qt::EditRole));
    EXPECT_EQ(grid.RowCount(), 3);
}
