// The readers of the import grid: text lines and their decoding, delimited text, fixed columns
// cut by a mask, and the records of a table.

#include "import/ImportGrid.h"
#include "import/TextImport.h"
#include "workspace/TextLines.h"

#include "AllocatedBytes.h"
#include "HeapUse.h"
#include "ImportTestHelpers.h"

#include <gtest/gtest.h>

namespace {

struct LineCase
{
    const char *name;
    QByteArray bytes;
    QStringList lines;
};

class TextFileLines : public ::testing::TestWithParam<LineCase>
{
};

TEST_P(TextFileLines, AreSplitAndDecodedLineByLine)
{
    QTemporaryDir dir;
    const QString fileName = WriteBytes(dir, QStringLiteral("lines.txt"), GetParam().bytes);
    EXPECT_EQ(ReadTextLines(fileName), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, TextFileLines,
    ::testing::Values(
        LineCase{"Empty", "", {}}, LineCase{"OneBreak", "\n", {""}},
        LineCase{"FinalBreakStartsNoLine", "a\r\nb\r\n", {"a", "b"}},
        LineCase{"CrLfLfAndCrMixed", "a\r\nb\rc\n\nd", {"a", "b", "c", "", "d"}},
        LineCase{"CrOnly", "a\rb\r", {"a", "b"}},
        LineCase{"ByteOrderMarkDropped", "\xEF\xBB\xBFname;x\n", {"name;x"}},
        LineCase{"Utf8Kept", "\xC5\xBElu\xC5\xA5ou\xC4\x8Dk\xC3\xBD\n", {QStringLiteral("žluťoučký")}},
        LineCase{"OtherLinesInCodePage1250", "\x9A" "ekel;\xE8" "aj\nk\xC5\xAF\xC5\x88\n",
                 {QStringLiteral("šekel;čaj"), QStringLiteral("kůň")}},
        LineCase{"CutUtf8SequenceIsCodePage1250", "ab\xC5\n", {QStringLiteral("abĹ")}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TextFileLines, TellTheLinesReadInCodePage1250)
{
    EXPECT_FALSE(IsCodePageLine("plain"));
    EXPECT_FALSE(IsCodePageLine("k\xC5\xAF\xC5\x88"));
    EXPECT_TRUE(IsCodePageLine("k\xF9\xF2"));
    EXPECT_EQ(DecodeTextLine("k\xF9\xF2"), QStringLiteral("kůň"));
}

TEST(TextFileLines, UnreadableFileIsNamedInTheError)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.txt"));
    try {
        ReadTextLines(missing);
        FAIL() << "no error";
    } catch (const rtl::EInOutError &error) {
        EXPECT_TRUE(error.Message().contains(missing));
    }
    EXPECT_THROW(ReadFileBytes(dir.path()), rtl::EInOutError) << "a folder is no text";
}

TEST(TextFileLines, WrittenAsUtf8WithCrLfAndReadBack)
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("out.msk"));
    WriteTextLines(fileName, {QStringLiteral("Mask=[..]"), QStringLiteral("Var1=Výška")});
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("Mask=[..]\r\nVar1=V\xC3\xBD\xC5\xA1ka\r\n"));
    EXPECT_THROW(WriteTextLines(dir.filePath(QStringLiteral("no/such/folder.msk")), {}), rtl::EInOutError);
}

struct SplitCase
{
    const char *name;
    QString text;
    QChar delimiter;
    QStringList cells; // columns 1..; "old" where the cell kept its text
};

class SplitLine : public ::testing::TestWithParam<SplitCase>
{
};

TEST_P(SplitLine, GivesTheCellsOfTheRow)
{
    TImportGrid grid;
    grid.SetColCount(5);
    for (int column = 1; column < 5; ++column)
        grid.SetCells(column, 1, QStringLiteral("old"));
    SplitIntoRow(grid, 1, GetParam().text, GetParam().delimiter);
    EXPECT_EQ(Row(grid, 1).mid(1), GetParam().cells);
    EXPECT_EQ(grid.Cells(0, 1), QStringLiteral("1")) << "column 0 is not touched";
}

INSTANTIATE_TEST_SUITE_P(
    Delimiters, SplitLine,
    ::testing::Values(
        SplitCase{"TwoDelimitersGiveAnEmptyCell", "a;;b", u';', {"a", "", "b", "old"}},
        SplitCase{"EndingDelimiterGivesNoCell", "a;", u';', {"a", "old", "old", "old"}},
        SplitCase{"StartingDelimiterGivesEmptyFirstCell", ";a", u';', {"", "a", "old", "old"}},
        SplitCase{"EmptyLineGivesNoCell", "", u';', {"old", "old", "old", "old"}},
        SplitCase{"ControlsAndBlanksTrimmed", " \x01" "a\t ; b\x1F", u';', {"a", "b", "old", "old"}},
        SplitCase{"NoBreakSpaceIsNoBlank", QStringLiteral("\u00A0a"), u';', {QStringLiteral("\u00A0a"), "old", "old", "old"}},
        SplitCase{"NoQuoting", "\"a;b\";c", u';', {"\"a", "b\"", "c", "old"}},
        SplitCase{"Tab", "1,5\t2", u'\t', {"1,5", "2", "old", "old"}},
        SplitCase{"MorePiecesThanColumns", "1;2;3;4;5;6", u';', {"1", "2", "3", "4", "5", "6"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(DelimitedText, NamesInTheFirstLineAndRowsNumbered)
{
    TImportGrid grid;
    ReadDelimitedText(grid, "height;weight\r\n 1,5 ;70\n\n2;80;extra\n", u';', true, QStringLiteral("d.csv"));
    ASSERT_EQ(grid.RowCount(), 4);
    ASSERT_EQ(grid.ColCount(), 4);
    EXPECT_EQ(Row(grid, 0), QStringList({"", "height", "weight", ""}));
    EXPECT_EQ(Row(grid, 1), QStringList({"1", "1,5", "70", ""}));
    EXPECT_EQ(Row(grid, 2), QStringList({"2", "", "", ""})) << "an empty line is an empty row";
    EXPECT_EQ(Row(grid, 3), QStringList({"3", "2", "80", "extra"}));
}

TEST(DelimitedText, WithoutNamesColumnsAreNumberedAndOldRowsGo)
{
    TImportGrid grid;
    ReadDelimitedText(grid, "a;b;c\nd;e;f\ng;h;i\n", u';', false, QStringLiteral("d.csv"));
    ReadDelimitedText(grid, "1;2\n", u';', false, QStringLiteral("d.csv"));
    ASSERT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(Row(grid, 0), QStringList({"", "Var 1", "Var 2", "Var 3"})) << "columns are never dropped";
    EXPECT_EQ(Row(grid, 1), QStringList({"1", "1", "2", "c"})) << "cells no piece reaches keep their text";
}

TEST(DelimitedText, NamesWithoutAnyLineLeaveTheGridAlone)
{
    TImportGrid grid;
    grid.SetCells(1, 1, QStringLiteral("kept"));
    try {
        ReadDelimitedText(grid, "", u';', true, QStringLiteral("/data/empty.csv"));
        FAIL() << "no error";
    } catch (const ETextImportError &error) {
        EXPECT_TRUE(error.Message().contains(QStringLiteral("/data/empty.csv")));
    }
    EXPECT_EQ(grid.Cells(1, 1), QStringLiteral("kept"));
    EXPECT_EQ(grid.RowCount(), 2);

}

// As a mask of no data field leaves one data column, a file of no data line leaves one empty,
// numbered data row to work on (that of the grid before does not stay).
TEST(DelimitedText, NoDataLineStillLeavesOneDataRow)
{
    struct Case
    {
        QByteArray data;
        bool varNames;
        QStringList names;
    };
    for (const Case &c : {Case{"height;weight\n", true, {"", "height", "weight"}}, Case{"", false, {"", "Var 1", "Var 2"}}}) {
        TImportGrid grid;
        ReadDelimitedText(grid, "a;b\nc;d\n", u';', false, QStringLiteral("d.csv"));
        ReadDelimitedText(grid, c.data, u';', c.varNames, QStringLiteral("d.csv"));
        ASSERT_EQ(grid.RowCount(), 2) << c.data.constData();
        EXPECT_EQ(Row(grid, 0), c.names);
        EXPECT_EQ(Row(grid, 1), QStringList({"1", "", ""}));
        EXPECT_TRUE(grid.setData(grid.index(0, 1), QStringLiteral("7"), Qt::EditRole)) << "the view can edit it";
        EXPECT_EQ(grid.Cells(2, 1), QStringLiteral("7"));
    }
}

struct MaskCase
{
    const char *name;
    QString mask;
    std::vector<TMaskField> fields;
};

class MaskFields : public ::testing::TestWithParam<MaskCase>
{
};

TEST_P(MaskFields, AreCutLeftToRight) { EXPECT_EQ(CutMask(GetParam().mask), GetParam().fields); }

INSTANTIATE_TEST_SUITE_P(
    Masks, MaskFields,
    ::testing::Values(MaskCase{"BracketsAndX", "[..]..x.[...]", {{1, 4}, {7, 7}, {9, 13}}},
                      MaskCase{"TwoXSideBySide", "xx", {{1, 1}, {2, 2}}},
                      MaskCase{"XInsideBracketsBelongsToTheField", "[.x.]", {{1, 5}}},
                      MaskCase{"XAroundAField", "x..[..]x", {{1, 1}, {4, 7}, {8, 8}}},
                      MaskCase{"AdjacentFields", "[][.]", {{1, 2}, {3, 5}}},
                      MaskCase{"OneColumn", "]", {}},
                      MaskCase{"CloseBeforeOpenStops", "..]..[..]", {}},
                      MaskCase{"OpenWithoutCloseStops", "[..]x[...", {{1, 4}, {5, 5}}},
                      MaskCase{"Empty", "", {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(FixedColumns, LinesCutByFieldsWithShortLinesAndTrimming)
{
    TImportGrid grid;
    grid.SetColCount(9);
    const QStringList lines{"ab  12.5 xyz", "c   3", "", "dd 1234567890"};
    ReadFixedColumnLines(grid, lines, CutMask(QStringLiteral("[..]..x.[...]")), false, nullptr);
    ASSERT_EQ(grid.ColCount(), 4) << "exactly the columns of the fields";
    ASSERT_EQ(grid.RowCount(), 5);
    EXPECT_EQ(Row(grid, 0), QStringList({"", "Var 1", "Var 2", "Var 3"}));
    EXPECT_EQ(Row(grid, 1), QStringList({"1", "ab", ".", "xyz"}));
    EXPECT_EQ(Row(grid, 2), QStringList({"2", "c", "", ""})) << "fields past the end give what exists";
    EXPECT_EQ(Row(grid, 3), QStringList({"3", "", "", ""}));
    EXPECT_EQ(Row(grid, 4), QStringList({"4", "dd 1", "4", "67890"}));
}

TEST(FixedColumns, RowNamesFromTheFirstFieldAndColumnNamesFromDescriptors)
{
    TImportGrid grid;
    rtl::TStringList descriptors({QStringLiteral("Mask=[..]x[..]"), QStringLiteral("Var02=Not this"), QStringLiteral("VAR1=Height"),
                                  QStringLiteral("var1=Not this either"), QStringLiteral("Var2=")});
    ReadFixedColumnLines(grid, {"P1   9 44", "P2   8 55"}, CutMask(QStringLiteral("[.]..x.[.]")), true, &descriptors);
    ASSERT_EQ(grid.ColCount(), 3);
    EXPECT_EQ(Row(grid, 0), QStringList({"", "Height", "Var 2"})) << "an empty descriptor gives the default name";
    EXPECT_EQ(Row(grid, 1), QStringList({"P1", "9", "44"}));
    EXPECT_EQ(Row(grid, 2), QStringList({"P2", "8", "55"}));
}

TEST(FixedColumns, AMaskOfNoDataFieldStillLeavesOneDataColumn)
{
    struct Case
    {
        const char *mask;
        bool rowNames;
        QStringList firstRow;
    };
    for (const Case &c : {Case{"....", false, {"1", ""}}, Case{"[..]", true, {"ab", ""}}}) {
        TImportGrid grid;
        ReadFixedColumnLines(grid, {"ab  1", "cd  2"}, CutMask(QString::fromLatin1(c.mask)), c.rowNames, nullptr);
        ASSERT_EQ(grid.ColCount(), 2) << c.mask;
        EXPECT_EQ(Row(grid, 0), QStringList({"", "Var 1"})) << c.mask;
        EXPECT_EQ(Row(grid, 1), c.firstRow) << c.mask;
        grid.InsertColumn(1);
        EXPECT_EQ(grid.ColCount(), 3) << "a column can be added beside it";
    }
}

// Files of a few hundred kilobytes that spread over a grid of a hundred million cells and more:
// what the grid holds grows with the cells they fill, not with the grid's size.
TEST(GridCost, FollowsTheFilledCellsOfALongLineOrAWideMask)
{
    if (!HeapUseMeasurable())
        GTEST_SKIP() << "the sanitizer's heap is not measured";
    constexpr size_t kMostBytes = 64u << 20;
    {
        // One line of 2,001 values among 50,000 lines of one value: 112 KB.
        QByteArray csv = "1" + QByteArray(";7").repeated(2000) + "\n";
        csv += QByteArray("5\n").repeated(50000);
        const size_t before = HeapBytesInUse();
        TImportGrid grid;
        ReadDelimitedText(grid, csv, u';', false, QStringLiteral("long.csv"));
        EXPECT_LT(HeapBytesInUse() - before, kMostBytes);
        EXPECT_EQ(grid.RowCount(), 50002);
        EXPECT_EQ(grid.ColCount(), 2002);
        EXPECT_EQ(grid.Cells(2001, 1), "7");
        EXPECT_EQ(grid.Cells(2001, 2), "");
        EXPECT_EQ(grid.Cells(1, 50001), "5");
    }
    {
        // A mask of 200,000 one-column fields over 2,000 lines of 20 characters.
        const QStringList lines(2000, QStringLiteral("abcdefghij0123456789"));
        const std::vector<TMaskField> fields = CutMask(QString(200000, u'x'));
        const size_t before = HeapBytesInUse();
        TImportGrid grid;
        ReadFixedColumnLines(grid, lines, fields, false, nullptr);
        EXPECT_LT(HeapBytesInUse() - before, kMostBytes);
        EXPECT_EQ(grid.ColCount(), 200001);
        EXPECT_EQ(grid.Cells(20, 2000), "9");
        EXPECT_EQ(grid.Cells(21, 2000), "");
        EXPECT_EQ(grid.Cells(200000, 0), "Var 200000");
    }
}

// Each cell of a line costs the same however many came before it: a line four times as wide
// asks for about four times the memory, where copying the row at every cell asks for sixteen
// times (gigabytes at these widths).
TEST(GridCost, AWideLineCostsInProportionToItsCells)
{
    const auto bytesAskedFor = [](int cells) {
        const size_t before = AllocatedBytes();
        TImportGrid grid;
        ReadDelimitedText(grid, QByteArray("a;").repeated(cells), u';', false, QStringLiteral("wide.csv"));
        EXPECT_EQ(grid.Cells(cells, 1), "a");
        return double(AllocatedBytes() - before);
    };
    const double narrow = bytesAskedFor(10000);
    EXPECT_LT(bytesAskedFor(40000) / narrow, 8.0);
}

TEST(TableRecords, FieldNamesRecordNumbersAndValuesAsText)
{
    QTemporaryDir dir;
    const QString table = WriteTable(dir, QStringLiteral("t"), QStringLiteral("ID CHAR(6), RF1 NUMERIC(8,2)"),
                                     {{"A1", "1.5"}, {"B2", "-20"}});
    db::TQuery query;
    query.SQL().Add(QStringLiteral("SELECT * FROM '%1'").arg(table));
    query.Open();

    TImportGrid grid;
    ReadDataSetRecords(grid, query, {"ID", "RF1"}, query.RecordCount());
    ASSERT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(Row(grid, 0), QStringList({"", "ID", "RF1"}));
    EXPECT_EQ(Row(grid, 1), QStringList({"1", "A1", "1.5"}));
    EXPECT_EQ(Row(grid, 2), QStringList({"2", "B2", "-20"}));
}

} // namespace
