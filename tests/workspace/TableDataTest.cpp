#include "workspace/TableData.h"

#include "LocaleGuard.h"
#include "TableRows.h"

#include "platform/db/Database.h"
#include "platform/db/Query.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// dBASE tables in a temporary folder, made from column definitions and rows of texts (''
// leaves a field blank), and a query over them.
class RecordTable
{
public:
    RecordTable(const QStringList &columns, const std::vector<QStringList> &rows)
    {
        m_database.SetDatabaseName(QStringLiteral("records"));
        m_database.Params().Add(QStringLiteral("PATH=") + m_dir.path());
        m_database.Open();
        add(QStringLiteral("t"), columns, rows);
        m_query.SetDatabaseName(QStringLiteral("records"));
        open(QStringLiteral("SELECT * FROM 't.dbf'"));
    }

    void add(const QString &name, const QStringList &columns, const std::vector<QStringList> &rows)
    {
        CreateTableWithRows(QStringLiteral("records"), name, columns.join(QStringLiteral(", ")), rows);
    }

    void open(const QString &sql)
    {
        m_query.Close();
        m_query.SQL().Clear();
        m_query.SQL().Add(sql);
        m_query.Open();
    }

    db::TQuery &query() { return m_query; }

private:
    QTemporaryDir m_dir;
    db::TDatabase m_database;
    db::TQuery m_query;
};

struct RecordCase
{
    const char *name;
    QStringList columns;
    QStringList row;
    std::vector<double> values;
    std::vector<uint16_t> positions;
    TableReadOptions options = {};
};

class RecordRuleTest : public ::testing::TestWithParam<RecordCase> {};

TEST_P(RecordRuleTest, ValuesAndPositionsOfOneRecord)
{
    LocaleGuard guard(QLocale::c());
    const RecordCase &c = GetParam();
    RecordTable table(c.columns, {c.row});
    const TableData data = ReadTableData(table.query(), c.options);
    ASSERT_EQ(data.items.size(), 1u);
    const TDataItem &item = data.items[0];
    EXPECT_EQ(item.Id, QStringLiteral("7"));
    ASSERT_EQ(item.Values.size(), c.values.size());
    for (size_t j = 0; j < c.values.size(); ++j)
        EXPECT_NEAR(item.Values[j], c.values[j], 1e-12) << "value " << j;
    EXPECT_EQ(item.Positions, c.positions);
    EXPECT_EQ(item.Count, c.values.size());
    EXPECT_EQ(item.Used, !c.values.empty());
    EXPECT_EQ(item.Classes, std::vector<uint8_t>(c.values.size(), 0));
    EXPECT_TRUE(data.truncatedItems.isEmpty());
}

const QString kId = QStringLiteral("ID DECIMAL(4,0)");
const QString kStart = QStringLiteral("START DECIMAL(6,2)");
QString num(const char *name) { return QStringLiteral("%1 DECIMAL(6,2)").arg(QLatin1String(name)); }
QString flag(const char *name) { return QStringLiteral("%1 CHAR(5)").arg(QLatin1String(name)); }

TableReadOptions logOptions()
{
    TableReadOptions options;
    options.LogTransform = true;
    return options;
}

TableReadOptions withoutFactor()
{
    TableReadOptions options;
    options.UseFactor = false;
    return options;
}

INSTANTIATE_TEST_SUITE_P(Records, RecordRuleTest,
    ::testing::Values(
        RecordCase{"valuesLessStart", {kId, kStart, num("Rf1"), num("Rf2")}, {"7", "1", "3.5", "-2"}, {2.5, -3}, {1, 2}},
        RecordCase{"runStopsAtFirstMissingNumber", {kId, kStart, num("Rf1"), num("Rf2"), num("Rf4")},
                   {"7", "0", "1", "2", "4"}, {1, 2}, {1, 2}},
        RecordCase{"positionIsFieldNumberAfterSkips", {kId, kStart, num("Rf1"), num("Rf2"), num("Rf3")},
                   {"7", "1", "", "0", "5"}, {4}, {3}},
        RecordCase{"zeroSkippedBeforeStartIsSubtracted", {kId, kStart, num("Rf1"), num("Rf2")},
                   {"7", "-1", "0", "1"}, {2}, {2}},
        RecordCase{"flagsThatExclude",
                   {kId, kStart, num("Rf1"), num("Rf2"), num("Rf3"), num("Rf4"), num("Rf5"), num("Rf6"), flag("Inc1"),
                    flag("Inc2"), flag("Inc3"), flag("Inc4"), flag("Inc5"), flag("Inc6")},
                   {"7", "0", "1", "2", "3", "4", "5", "6", "no", "N", "f", "False", "0", "-5"}, {}, {}},
        RecordCase{"flagsThatCount",
                   {kId, kStart, num("Rf1"), num("Rf2"), num("Rf3"), num("Rf4"), flag("INC1"), flag("INC2"),
                    flag("INC3"), flag("INC4")},
                   {"7", "0", "1", "2", "3", "4", "yes", "1", "+", ""}, {1, 2, 3, 4}, {1, 2, 3, 4}},
        RecordCase{"flagsIgnoredWhenOneIsMissing", {kId, kStart, num("Rf1"), num("Rf2"), flag("Inc1")},
                   {"7", "0", "1", "2", "n"}, {1, 2}, {1, 2}},
        RecordCase{"factorMultiplies", {kId, kStart, num("Rf1"), num("FACTOR")}, {"7", "1", "4", "2.5"}, {7.5}, {1}},
        RecordCase{"factorZeroActsAsOne", {kId, kStart, num("Rf1"), num("FACTOR")}, {"7", "1", "4", "0"}, {3}, {1}},
        RecordCase{"blankFactorActsAsOne", {kId, kStart, num("Rf1"), num("FACTOR")}, {"7", "1", "4", ""}, {3}, {1}},
        RecordCase{"factorDeclined", {kId, kStart, num("Rf1"), num("FACTOR")}, {"7", "1", "4", "3"}, {3}, {1},
                   withoutFactor()},
        RecordCase{"logOfValueTimesFactor", {kId, kStart, num("Rf1"), num("FACTOR")}, {"7", "-0.5", "0.5", "100"},
                   {2}, {1}, logOptions()},
        RecordCase{"textFieldsHoldingNumbers", {kId, QStringLiteral("START CHAR(8)"), QStringLiteral("RF1 CHAR(8)")},
                   {"7", "0.5", "2.25"}, {1.75}, {1}},
        RecordCase{"noAcceptedValueGivesUnusedItem", {kId, kStart, num("Rf1")}, {"7", "3", ""}, {}, {}},
        RecordCase{"noRfFields", {kId, kStart}, {"7", "3"}, {}, {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TableData, FieldsAreFoundWithoutRegardToCase)
{
    LocaleGuard guard(QLocale::c());
    RecordTable table({QStringLiteral("id DECIMAL(4,0)"), QStringLiteral("start DECIMAL(4,0)"), num("RF1"), num("rf2"),
                       flag("inc1"), flag("INC2"), num("factor")},
                      {});
    const TableLayout layout = DescribeTable(table.query().Fields());
    EXPECT_EQ(layout.RfCount, 2);
    EXPECT_TRUE(layout.HasInc);
    EXPECT_TRUE(layout.HasFactor);
}

TEST(TableData, OneItemPerRecordInResultOrder)
{
    LocaleGuard guard(QLocale::c());
    RecordTable table({QStringLiteral("ID CHAR(6)"), kStart, num("Rf1")}, {{"b", "0", "2"}, {"a", "0", ""}, {"c", "0", "1"}});
    const TableData data = ReadTableData(table.query(), {});
    ASSERT_EQ(data.items.size(), 3u);
    EXPECT_EQ(data.items[0].Id, QStringLiteral("b"));
    EXPECT_FALSE(data.items[1].Used);
    EXPECT_EQ(data.items[2].Values, std::vector<double>{1});
}

TEST(TableData, CommaLocaleReadsTextNumbersWithComma)
{
    LocaleGuard guard(QLocale(QLocale::Czech));
    RecordTable table({kId, kStart, QStringLiteral("Rf1 CHAR(8)")}, {{"7", "1", "2,5"}});
    EXPECT_EQ(ReadTableData(table.query(), {}).items[0].Values, std::vector<double>{1.5});
}

TEST(TableData, AnotherIdentifierField)
{
    LocaleGuard guard(QLocale::c());
    RecordTable table({QStringLiteral("CODE CHAR(4)"), kStart, num("Rf1")}, {{"x1", "0", "2"}});
    TableReadOptions options;
    options.IdFieldName = QStringLiteral("code");
    EXPECT_EQ(ReadTableData(table.query(), options).items[0].Id, QStringLiteral("x1"));
}

TEST(TableData, MoreThanAnItemHoldsKeepsTheFirstAndNamesTheRecord)
{
    // A table holds at most 255 fields; a join of two gives more Rf fields.
    LocaleGuard guard(QLocale::c());
    QStringList first{QStringLiteral("ID CHAR(4)"), QStringLiteral("START DECIMAL(3,0)")};
    QStringList second{QStringLiteral("K DECIMAL(3,0)")};
    QStringList full{QStringLiteral("big"), QStringLiteral("0")};
    QStringList fits{QStringLiteral("fits"), QStringLiteral("0")};
    QStringList fullRest{QStringLiteral("1")}, fitsRest{QStringLiteral("2")};
    for (int j = 1; j <= 258; ++j) {
        (j <= 200 ? first : second) << QStringLiteral("Rf%1 DECIMAL(3,0)").arg(j);
        (j <= 200 ? full : fullRest) << QString::number(j % 7 + 1);
        // three zeros leave 255 accepted values
        (j <= 200 ? fits : fitsRest) << (j == 2 || j == 5 || j == 209 ? QStringLiteral("0") : QString::number(j % 7 + 1));
    }
    RecordTable table(first, {full, fits});
    table.add(QStringLiteral("u"), second, {fullRest, fitsRest});
    table.open(QStringLiteral("SELECT * FROM 't.dbf', 'u.dbf' WHERE (ID = 'big' AND K = 1) OR (ID = 'fits' AND K = 2)"));
    const TableData data = ReadTableData(table.query(), {});
    ASSERT_EQ(data.items.size(), 2u);
    EXPECT_EQ(data.truncatedItems, QStringList{QStringLiteral("big")});
    EXPECT_EQ(data.items[0].Count, MaxItemValues);
    EXPECT_EQ(data.items[0].Positions.back(), 255);
    EXPECT_EQ(data.items[0].Values.back(), 255 % 7 + 1);
    EXPECT_EQ(data.items[1].Count, MaxItemValues);
    EXPECT_EQ(data.items[1].Positions.back(), 258);
}

struct BadRecordCase
{
    const char *name;
    QStringList columns;
    std::vector<QStringList> rows;
    TableReadOptions options;
    int record;
    const char *field;
};

class BadRecordTest : public ::testing::TestWithParam<BadRecordCase> {};

TEST_P(BadRecordTest, StopsNamingRecordAndField)
{
    LocaleGuard guard(QLocale::c());
    const BadRecordCase &c = GetParam();
    RecordTable table(c.columns, c.rows);
    try {
        ReadTableData(table.query(), c.options);
        FAIL() << "the read did not stop";
    } catch (const ETableDataError &error) {
        EXPECT_EQ(error.Record(), c.record);
        EXPECT_EQ(error.Field(), QLatin1String(c.field));
        EXPECT_TRUE(error.Message().contains(QStringLiteral("record %1, field %2").arg(c.record).arg(QLatin1String(c.field))))
            << error.Message().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Records, BadRecordTest,
    ::testing::Values(
        BadRecordCase{"missingStart", {kId, num("Rf1")}, {{"1", "2"}}, {}, 1, "Start"},
        BadRecordCase{"missingIdentifier", {kId, kStart, num("Rf1")}, {{"1", "0", "2"}},
                      [] { TableReadOptions o; o.IdFieldName = QStringLiteral("CODE"); return o; }(), 1, "CODE"},
        BadRecordCase{"valueNoNumber", {kId, kStart, QStringLiteral("Rf1 CHAR(6)")}, {{"1", "0", "2"}, {"2", "0", "2x"}},
                      {}, 2, "RF1"},
        BadRecordCase{"factorNoNumber", {kId, kStart, num("Rf1"), QStringLiteral("FACTOR CHAR(4)")},
                      {{"1", "0", "2", "a"}}, {}, 1, "FACTOR"},
        BadRecordCase{"logOfZero", {kId, kStart, num("Rf1")}, {{"1", "0", "2"}, {"2", "0", "3"}, {"3", "3", "3"}},
                      logOptions(), 3, "RF1"},
        BadRecordCase{"logOfNegative", {kId, kStart, num("Rf1")}, {{"1", "5", "2"}}, logOptions(), 1, "RF1"}),
    [](const auto &info) { return std::string(info.param.name); });

struct FromCase
{
    const char *name;
    QStringList lines;
    QStringList expected;
};

class SelectAllColumnsTest : public ::testing::TestWithParam<FromCase> {};

TEST_P(SelectAllColumnsTest, RewritesTheSelectList)
{
    EXPECT_EQ(SelectAllColumns(GetParam().lines), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Statements, SelectAllColumnsTest,
    ::testing::Values(
        FromCase{"oneLine", {"SELECT ID FROM 'a.dbf' WHERE Rf1 > 2"}, {"SELECT * FROM 'a.dbf' WHERE Rf1 > 2"}},
        FromCase{"linesBeforeDroppedLaterKept", {"SELECT DISTINCT", "  ID, Start", "from \"a.dbf\" t", "WHERE x = 1", "ORDER BY ID"},
                 {"SELECT * from \"a.dbf\" t", "WHERE x = 1", "ORDER BY ID"}},
        FromCase{"fieldNamedFromDate", {"SELECT FROMDATE, ID FROM 'a.dbf'"}, {"SELECT * FROM 'a.dbf'"}},
        FromCase{"fieldEndingInFrom", {"SELECT ID_FROM", "FROM 'a.dbf'"}, {"SELECT * FROM 'a.dbf'"}},
        FromCase{"quotedFrom", {"SELECT \"from\", 'x FROM y' AS c FROM 'a.dbf'"}, {"SELECT * FROM 'a.dbf'"}},
        FromCase{"quoteOverLines", {"SELECT 'a", "from b' AS c", "FROM 'a.dbf'"}, {"SELECT * FROM 'a.dbf'"}},
        FromCase{"fromAtLineEnd", {"SELECT ID FROM", "'a.dbf'"}, {"SELECT * FROM", "'a.dbf'"}},
        FromCase{"noFrom", {"SELECT 1", "FROMAGE"}, {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CreateTableStatement, DefaultsWithFactorAndClass)
{
    NewTableSpec spec;
    spec.FileName = QStringLiteral("new.dbf");
    EXPECT_EQ(CreateTableStatement(spec),
              (QStringList{"CREATE TABLE 'new.dbf'", "(", " ID DECIMAL(4,0),", " START DECIMAL(6,3),",
                           " Rf1 DECIMAL(6,3),", " Rf2 DECIMAL(6,3),", " Rf3 DECIMAL(6,3),", " INC1 CHAR(1),",
                           " INC2 CHAR(1),", " INC3 CHAR(1),", " FACTOR DECIMAL(9,5),", " CLAS CHAR(4))"}));
}

TEST(CreateTableStatement, OptionalFieldsNoRfNoFactorNoClass)
{
    NewTableSpec spec;
    spec.FileName = QStringLiteral("t's.db");
    spec.OptionalFields = QStringList{"NAME CHAR(20)", "DAY DATE,"};
    spec.RfCount = 0;
    spec.RfFormat = QStringLiteral("FLOAT");
    spec.WithFactor = false;
    spec.WithClass = false;
    EXPECT_EQ(CreateTableStatement(spec),
              (QStringList{"CREATE TABLE 't''s.db'", "(", " ID DECIMAL(4,0),", " NAME CHAR(20),", " DAY DATE,", " START FLOAT)"}));
}

} // namespace
