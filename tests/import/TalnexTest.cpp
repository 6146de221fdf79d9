// The Talnex import's grid steps: the export's columns kept, "row;column;value" lines placed,
// and each item's values ordered under START, Rf1, ...

#include "ImportTestHelpers.h"

#include "import/ImportGrid.h"
#include "import/Talnex.h"
#include "import/TextImport.h"

#include "platform/rtl/SysUtils.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

/// A grid of item rows (row 0 empty names, column 0 numbered) with the given value cells.
void FillItems(TImportGrid &grid, const std::vector<QStringList> &items)
{
    int columns = 0;
    for (const QStringList &item : items)
        columns = std::max(columns, int(item.size()));
    grid.SetRowCount(int(items.size()) + 1);
    grid.SetColCount(columns + 1);
    for (int row = 1; row <= int(items.size()); ++row) {
        grid.SetCells(0, row, QString::number(row));
        for (int i = 0; i < items[size_t(row - 1)].size(); ++i)
            grid.SetCells(i + 1, row, items[size_t(row - 1)][i]);
    }
}

void WriteFile(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(TalnexOrder, ValuesAscendAfterYesAndAfterNoWithAZeroAmongThem)
{
    struct Case
    {
        const char *name;
        std::vector<QStringList> items;
        bool startInFirstColumn;
        QStringList names;
        std::vector<QStringList> rows;
    };
    const std::vector<Case> cases = {
        {"start given", {{"5", "3", "4"}}, true, {"", "START", "Rf1", "Rf2"}, {{"1", "3", "4", "5"}}},
        {"start zero: one more column", {{"5", "3", "4"}}, false, {"", "START", "Rf1", "Rf2", "Rf3"}, {{"1", "0", "3", "4", "5"}}},
        {"negative before the zero", {{"2", "-1"}}, false, {"", "START", "Rf1", "Rf2"}, {{"1", "-1", "0", "2"}}},
        {"gaps closed, shorter items", {{"", "7", "", "1.5"}, {"2"}}, true, {"", "START", "Rf1"},
         {{"1", "1.5", "7"}, {"2", "2", ""}}},
        {"an empty item", {{"4", "3"}, {}}, true, {"", "START", "Rf1"}, {{"1", "3", "4"}, {"2", "", ""}}},
    };
    for (const Case &c : cases) {
        TImportGrid grid;
        FillItems(grid, c.items);
        OrderTalnexRows(grid, c.startInFirstColumn);
        EXPECT_EQ(Row(grid, 0), c.names) << c.name;
        for (size_t r = 0; r < c.rows.size(); ++r)
            EXPECT_EQ(Row(grid, int(r) + 1), c.rows[r]) << c.name << ", row " << r + 1;
    }
}

TEST(TalnexOrder, ACellThatIsNoNumberStopsWithTheRowsBeforeItOrdered)
{
    // Enough rows that they are ordered in several blocks; the failure lies in a later one.
    std::vector<QStringList> items(600, QStringList({"2", "1"}));
    items[299] = QStringList({"3", "4/5"});
    TImportGrid grid;
    FillItems(grid, items);
    try {
        OrderTalnexRows(grid, true);
        FAIL() << "two values joined by / were taken as a number";
    } catch (const rtl::EConvertError &error) {
        EXPECT_TRUE(error.Message().contains("'4/5'")) << error.Message().toStdString();
    }
    EXPECT_EQ(Row(grid, 1), QStringList({"1", "1", "2"}));
    EXPECT_EQ(Row(grid, 299), QStringList({"299", "1", "2"}));
    EXPECT_EQ(Row(grid, 300), QStringList({"300", "3", "4/5"}));
    EXPECT_EQ(Row(grid, 301), QStringList({"301", "2", "1"}));
    EXPECT_EQ(Row(grid, 600), QStringList({"600", "2", "1"}));
    EXPECT_NE(grid.Cells(1, 0), "START") << "no names before the rows are done";
}

// Item identifiers that are no numbers ("A1") give no cell at all: the grid is still left with
// one data column to work on, as an empty grid has.
TEST(TalnexOrder, AnImportOfNoCellLeavesOneDataColumn)
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("im.csv"));
    WriteFile(fileName, "A1;1;5\r\nA1;2;3\r\nB2;1;4\r\n");
    TImportGrid grid;
    EXPECT_EQ(ReadContingencyTable(grid, fileName), 3);
    OrderTalnexRows(grid, true);
    EXPECT_EQ(Row(grid, 1), QStringList({"1", ""}));
}

TEST(TalnexContingency, LinesBecomeCellsAndLinesWithoutRowAndColumnAreCounted)
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("im.csv"));
    WriteFile(fileName, "1;1;5\r\n"
                        "1;3;4\r\n"
                        "4;2;a;b\r\n"    // the value keeps its ";"
                        "1;1;6\r\n"      // a cell given twice
                        "2;0;7\r\n"      // no column
                        "\r\n"           // an empty line
                        "x;1;2\r\n"      // no row number
                        "1;2\r\n"        // no value part
                        " 4 ; 1 ;-3\n"); // spaces around the numbers; LF alone; no empty last line
    TImportGrid grid;
    grid.Clear();
    EXPECT_EQ(ReadContingencyTable(grid, fileName), 4);
    ASSERT_EQ(grid.RowCount(), 5);
    EXPECT_EQ(Row(grid, 0), QStringList({"", "Var1", "Var2", "Var3"}));
    EXPECT_EQ(Row(grid, 1), QStringList({"1", "5/6", "", "4"}));
    EXPECT_EQ(Row(grid, 2), QStringList({"2", "", "", ""})) << "an item that never occurs stays an empty, numbered row";
    EXPECT_EQ(Row(grid, 4), QStringList({"4", "-3", "a;b", ""}));
}

// A few bytes naming a far row or column ask for a grid the file could never fill: refused,
// naming the line and the size, before the grid grows.
TEST(TalnexContingency, AGridFarLargerThanTheFileCanFillIsRefused)
{
    struct Case
    {
        const char *name;
        QByteArray bytes;
        const char *told; // in the message
    };
    const std::vector<Case> refused = {
        {"one far item", "49999999;1;7", "Line 1 of the file"},
        {"item and position", "9999;9999;1\r\n", "a grid of 10000 rows and 10000 columns"},
        {"past any memory", "1;1;a\r\n2;1;b\r\n2000000000;1;5\r\n", "Line 3 of the file"},
        {"far position", "2;1;3\r\n1;2147483647;5\r\n", "2147483648 columns"},
    };
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("im.csv"));
    for (const Case &c : refused) {
        WriteFile(fileName, c.bytes);
        TImportGrid grid;
        try {
            ReadContingencyTable(grid, fileName);
            ADD_FAILURE() << c.name << ": read";
        } catch (const ETextImportError &error) {
            EXPECT_TRUE(error.Message().contains(QString::fromLatin1(c.told))) << c.name << ": " << error.what();
        }
        EXPECT_EQ(grid.RowCount(), 2) << c.name;
        EXPECT_EQ(grid.ColCount(), 2) << c.name;
    }

    // Items that never occur within what a file may leave empty.
    WriteFile(fileName, "1000;2;5\r\n");
    TImportGrid grid;
    EXPECT_EQ(ReadContingencyTable(grid, fileName), 0);
    EXPECT_EQ(grid.RowCount(), 1001);
    EXPECT_EQ(grid.Cells(2, 1000), "5");
    EXPECT_EQ(grid.Cells(0, 999), "999");
}

// A Talnex export of 43 bytes whose one kept line names item 49,999,999.
TEST(TalnexImport, AnExportNamingAFarItemIsRefusedAtTheTemporaryFile)
{
    const QByteArray exportText = "Item\tPos\tArea\tValue\n0\t0\t0\t0\n49999999\t1\t0\t7\n";
    ASSERT_EQ(exportText.size(), 43);
    QTemporaryDir dir;
    TImportGrid grid;
    ReadDelimitedText(grid, exportText, u'\t', true, QStringLiteral("export.txt"));
    KeepTalnexColumns(grid);
    const QString temporary = dir.filePath(QStringLiteral("im.csv"));
    SaveCSV(grid, temporary, false, false);
    grid.Clear();
    EXPECT_THROW(ReadContingencyTable(grid, temporary), ETextImportError);
    EXPECT_EQ(grid.RowCount(), 2);
}

TEST(TalnexContingency, AMissingFileIsAFileError)
{
    TImportGrid grid;
    EXPECT_THROW(ReadContingencyTable(grid, QStringLiteral("/nonexistent/im.csv")), rtl::EInOutError);
}

// The grid steps in the import's order, from an export as the TAB read leaves it to the rows
// the data tables take.
TEST(TalnexImport, ExportBecomesOneOrderedRowPerItemThroughTheTemporaryFile)
{
    QTemporaryDir dir;
    qputenv("TMPDIR", dir.path().toLocal8Bit());
    const QString temporary = TalnexTempFileName();
    qunsetenv("TMPDIR");
    EXPECT_EQ(temporary, dir.filePath(QStringLiteral("im.csv")));

    // Columns: item, position, area (not used), value, two more not used.
    TImportGrid grid;
    FillItems(grid, {{"0", "0", "x", "0", "q", "r"}, // the export's first data line goes
                     {"2", "1", "a", "10", "q", "r"},
                     {"1", "2", "b", "0.5", "q", "r"},
                     {"1", "1", "c", "0.25", "q", "r"},
                     {"2", "2", "d", "-3", "q", "r"},
                     {"1", "3", "e", "0.125", "q", "r"}});
    KeepTalnexColumns(grid);
    ASSERT_EQ(grid.ColCount(), 4);
    EXPECT_EQ(Row(grid, 1), QStringList({"2", "2", "1", "10"}));

    SaveCSV(grid, temporary, false, false);
    grid.Clear();
    EXPECT_EQ(ReadContingencyTable(grid, temporary), 0);
    grid.SetCells(0, 0, QStringLiteral("ID"));
    OrderTalnexRows(grid, true);
    EXPECT_EQ(Row(grid, 0), QStringList({"ID", "START", "Rf1", "Rf2"}));
    EXPECT_EQ(Row(grid, 1), QStringList({"1", "0.125", "0.25", "0.5"}));
    EXPECT_EQ(Row(grid, 2), QStringList({"2", "-3", "10", ""}));
}
