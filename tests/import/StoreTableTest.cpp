// Storing grid rows into a table: the fields that take part, the proposal by name, the
// dialog's rules for column names and numbers, and the store record by record.

#include "import/ExportParams.h"
#include "import/ImportGrid.h"
#include "import/StoreTable.h"
#include "import/TextImport.h"

#include "FileSizeLimit.h"
#include "ImportTestHelpers.h"
#include "OtherProcessLock.h"
#include "RecordedWarnings.h"

#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

/// A folder of tables behind the database "storetest".
class StoreTest : public ::testing::Test
{
protected:
    StoreTest()
    {
        database.SetDatabaseName(QStringLiteral("storetest"));
        database.SetLoginPrompt(false);
        database.Params().Add(QStringLiteral("PATH=") + dir.path());
        database.Params().Add(QStringLiteral("DEFAULT DRIVER=DBASE"));
        database.Open();
    }

    void exec(const QString &sql)
    {
        db::TQuery query;
        query.SetDatabaseName(database.DatabaseName());
        query.SQL().SetText(sql);
        query.ExecSQL();
    }

    db::TTable &open(const QString &name)
    {
        table.SetDatabaseName(database.DatabaseName());
        table.SetTableName(name);
        table.Open();
        return table;
    }

    /// Every record of the open table, fields as text joined by "|".
    QStringList records()
    {
        QStringList rows;
        for (table.First(); !table.Eof(); table.Next()) {
            QStringList fields;
            for (int i = 0; i < table.Fields().Count(); ++i)
                fields << table.Fields()[i].AsString();
            rows << fields.join('|');
        }
        return rows;
    }

    std::vector<TFieldRecord> mapping(const std::vector<std::tuple<const char *, int, const char *>> &fields)
    {
        std::vector<TFieldRecord> result;
        for (const auto &[name, column, standard] : fields)
            result.push_back({column, QString::fromUtf8(standard), table.FieldByName(QString::fromUtf8(name))});
        return result;
    }

    QTemporaryDir dir;
    db::TDatabase database;
    db::TTable table;
};

} // namespace

TEST_F(StoreTest, OnlyFieldsOfStorableTypesAreOffered)
{
    exec(QStringLiteral("CREATE TABLE 't.dbf' (ID CHAR(8), START DECIMAL(6,2), N INTEGER, DAY DATE, OK BOOLEAN, NOTE MEMO, "
                        "Rf1 FLOAT)"));
    EXPECT_EQ(StorableFieldNames(open(QStringLiteral("t.dbf"))), QStringList({"ID", "START", "N", "DAY", "RF1"}));
}

TEST_F(StoreTest, RowsBecomeRecordsWithColumnsItemNumbersAndStandardValues)
{
    exec(QStringLiteral("CREATE TABLE 't.dbf' (ID CHAR(8), START DECIMAL(6,2), Rf1 DECIMAL(6,2), NOTE CHAR(5), SKIP CHAR(5))"));
    open(QStringLiteral("t.dbf"));
    TImportGrid grid;
    FillGrid(grid, {{"Item", "start", "rf1"}, {"7", "1.5", "2"}, {"8", "", "3.25"}, {"9", "", ""}});
    // ID from the item numbers; START with a standard value; NOTE only a standard value; SKIP
    // not taking part.
    const int stored = StoreGridRows(grid, table, mapping({{"ID", 0, ""}, {"START", 1, "0"}, {"Rf1", 2, ""}, {"NOTE", -1, "n"}}));
    EXPECT_EQ(stored, 3);
    EXPECT_EQ(records(), QStringList({"7|1.5|2|n|", "8|0|3.25|n|", "9|0||n|"}));
}

TEST_F(StoreTest, AnErrorCancelsTheRecordItEndsAndKeepsThoseBeforeIt)
{
    exec(QStringLiteral("CREATE TABLE 't.dbf' (ID CHAR(8), START DECIMAL(6,2), Rf1 DECIMAL(6,2))"));
    open(QStringLiteral("t.dbf"));
    TImportGrid grid;
    FillGrid(grid, {{"", "ID", "START", "Rf1"}, {"1", "a", "1", "2"}, {"2", "b", "3", "4"}, {"3", "c", "5", "x"}, {"4", "d", "7", "8"}});
    try {
        StoreGridRows(grid, table, mapping({{"ID", 1, ""}, {"START", 2, ""}, {"Rf1", 3, ""}}));
        FAIL() << "the letter in a number field was stored";
    } catch (const EStoreError &error) {
        EXPECT_EQ(error.Row(), 3);
        EXPECT_EQ(error.Stored(), 2);
        EXPECT_TRUE(error.Message().contains("'x'")) << error.Message().toStdString();
    }
    EXPECT_EQ(table.State(), db::dsBrowse);
    table.Close();
    open(QStringLiteral("t.dbf"));
    EXPECT_EQ(records(), QStringList({"a|1|2", "b|3|4"})) << "row 3 left no half-filled record";
}

// Mended: a table read into the grid showed 1.23456789012346E17, and storing the grid wrote
// other digits, refused -99999999999999999 as too wide and lost the sign of -0.00.
TEST_F(StoreTest, NumbersReadIntoTheGridAreStoredAsTheirFieldHeldThem)
{
    for (const char *name : {"s", "t"})
        exec(QStringLiteral("CREATE TABLE '%1.dbf' (BIG DECIMAL(17,0), SMALL DECIMAL(3,2))").arg(QLatin1String(name)));
    exec(QStringLiteral("INSERT INTO 's.dbf' VALUES ('123456789012345678', '-0.00')"));
    exec(QStringLiteral("INSERT INTO 's.dbf' VALUES ('-99999999999999999', '.5')"));
    db::TQuery source;
    source.SetDatabaseName(database.DatabaseName());
    source.SQL().SetText(QStringLiteral("SELECT * FROM 's.dbf'"));
    source.Open();
    TImportGrid grid;
    ReadDataSetRecords(grid, source, {"BIG", "SMALL"}, source.RecordCount());
    source.Close();
    open(QStringLiteral("t.dbf"));
    EXPECT_EQ(StoreGridRows(grid, table, mapping({{"BIG", 1, ""}, {"SMALL", 2, ""}})), 2);
    table.Close();
    const QByteArray records = " 123456789012345678-0.00 -99999999999999999 0.50\x1A";
    for (const char *name : {"s.dbf", "t.dbf"}) {
        QFile file(dir.filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.readAll().endsWith(records)) << name;
    }
}

TEST_F(StoreTest, AFullDiskCancelsTheRecordAndLeavesAValidTable)
{
    exec(QStringLiteral("CREATE TABLE 't.dbf' (ID CHAR(100))"));
    open(QStringLiteral("t.dbf"));
    TImportGrid grid;
    grid.SetColCount(2);
    grid.SetRowCount(51);
    for (int row = 1; row <= 50; ++row)
        grid.SetCells(1, row, QStringLiteral("item %1").arg(row));
    const qint64 header = QFileInfo(dir.filePath(QStringLiteral("t.dbf"))).size();
    int failedRow = 0;
    int stored = 0;
    // Room for the header and twenty records of 101 bytes.
    WithFileSizeLimit(rlim_t(header + 20 * 101), [&] {
        try {
            StoreGridRows(grid, table, mapping({{"ID", 1, ""}}));
        } catch (const EStoreError &error) {
            failedRow = error.Row();
            stored = error.Stored();
        }
    });
    EXPECT_EQ(failedRow, stored + 1);
    EXPECT_GE(stored, 19);
    table.Close();
    open(QStringLiteral("t.dbf"));
    const QStringList kept = records();
    ASSERT_EQ(kept.size(), stored);
    EXPECT_EQ(kept.back(), QStringLiteral("item %1").arg(stored));
}

TEST_F(StoreTest, AnotherProgramHoldingTheTableStoresNothingAndIsNamed)
{
    exec(QStringLiteral("CREATE TABLE 't.dbf' (ID CHAR(8))"));
    open(QStringLiteral("t.dbf"));
    const QString path = dir.filePath(QStringLiteral("t.dbf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    TImportGrid grid;
    FillGrid(grid, {{"", "ID"}, {"1", "a"}, {"2", "b"}});
    OtherProcessLock other(path, LOCK_EX); // another store under way
    ASSERT_TRUE(other.held());
    try {
        StoreGridRows(grid, table, mapping({{"ID", 1, ""}}));
        FAIL() << "stored beside another program";
    } catch (const EStoreError &error) {
        EXPECT_EQ(error.Stored(), 0);
        EXPECT_TRUE(error.Message().contains(QStringLiteral("t.dbf"))) << error.Message().toStdString();
    }
    other.release();
    table.Close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

TEST(ExportParams, FieldsMeetTheirColumnByNameWithoutRegardToCase)
{
    TExportParamsModel model;
    model.Fill({"ID", "START", "Rf1", "NOTE"}, {"id", "Start", "RF1", "start"});
    const std::vector<std::pair<QString, QString>> expected = {{"id", "0"}, {"Start", "1"}, {"RF1", "2"}, {"", ""}};
    for (int field = 0; field < 4; ++field) {
        EXPECT_EQ(model.Cell(TExportParamsModel::ColName, field), expected[size_t(field)].first);
        EXPECT_EQ(model.Cell(TExportParamsModel::ColNumber, field), expected[size_t(field)].second);
    }
}

TEST(ExportParams, NameAndNumberFollowEachOtherAsTheUserTypes)
{
    struct Case
    {
        const char *name;
        TExportParamsModel::Column column;
        QString text;
        QString colName;
        QString colNumber;
    };
    // The row starts as the proposal made it: "START", column 1.
    const std::vector<Case> cases = {
        {"a name of another column", TExportParamsModel::ColName, "RF1", "RF1", "2"},
        {"a name of no column", TExportParamsModel::ColName, "RF", "RF", ""},
        {"a number of a column", TExportParamsModel::ColNumber, "2", "Rf1", "2"},
        {"the item numbers", TExportParamsModel::ColNumber, "0", "Item", "0"},
        {"a number past the columns", TExportParamsModel::ColNumber, "3", "START", "3"},
        {"no number", TExportParamsModel::ColNumber, "x", "START", "x"},
        {"cleared number", TExportParamsModel::ColNumber, "", "START", ""},
    };
    for (const Case &c : cases) {
        TExportParamsModel model;
        model.Fill({"START"}, {"Item", "START", "Rf1"});
        model.SetEditText(c.column, 0, c.text);
        EXPECT_EQ(model.Cell(TExportParamsModel::ColName, 0), c.colName) << c.name;
        EXPECT_EQ(model.Cell(TExportParamsModel::ColNumber, 0), c.colNumber) << c.name;
    }
}

TEST(ExportParams, GetParamAnswersTheColumnAndTheStandardValue)
{
    RecordedWarnings warnings;
    TExportParamsModel model;
    model.Fill({"ID", "START", "Rf1", "N"}, {"", "ID"});
    model.SetEditText(TExportParamsModel::StandardValue, 0, QStringLiteral("x"));
    model.SetEditText(TExportParamsModel::ColNumber, 1, QStringLiteral("1a"));
    model.SetEditText(TExportParamsModel::StandardValue, 1, QStringLiteral("0"));
    model.SetEditText(TExportParamsModel::ColNumber, 3, QStringLiteral("-2"));
    QString value = QStringLiteral("old");
    EXPECT_EQ(model.GetParam(0, value), 1);
    EXPECT_EQ(value, "x");
    warnings.expectMessage(QStringLiteral("Error in column definition for field START"));
    EXPECT_EQ(model.GetParam(1, value), -1);
    EXPECT_EQ(value, "0") << "a bad number still gives the standard value";
    EXPECT_EQ(model.GetParam(2, value), -1);
    EXPECT_EQ(value, "");
    EXPECT_EQ(model.GetParam(3, value), -2);
    value = QStringLiteral("old");
    EXPECT_EQ(model.GetParam(4, value), -1);
    EXPECT_EQ(value, "");
}
