#include "workspace/QueryText.h"

#include "platform/rtl/SysUtils.h"

#include "FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

namespace {

using Op = TQueryOperator;

struct ConditionCase
{
    const char *name;
    Op op;
    QStringList values;
    bool quoted;
    const char *condition;
};

class ValueConditionTest : public ::testing::TestWithParam<ConditionCase> {};

TEST_P(ValueConditionTest, WritesTheTerm)
{
    const ConditionCase &c = GetParam();
    const TConditionText text = ValueCondition(QStringLiteral("F"), c.op, c.values, c.quoted);
    EXPECT_EQ(text.error, TConditionError::None);
    EXPECT_EQ(text.condition.toStdString(), c.condition);
}

const QStringList kOne{QStringLiteral("7")};
const QStringList kTwo{QStringLiteral("A1"), QStringLiteral("B7")};
const QStringList kThree{QStringLiteral("blue"), QStringLiteral("red"), QStringLiteral("x y")};

INSTANTIATE_TEST_SUITE_P(Operators, ValueConditionTest,
    ::testing::Values(ConditionCase{"EqualC", Op::Equal, kOne, true, "(F='7')"},
                      ConditionCase{"EqualN", Op::Equal, kOne, false, "(F=7)"},
                      ConditionCase{"LessC", Op::Less, kOne, true, "(F<'7')"},
                      ConditionCase{"LessN", Op::Less, kOne, false, "(F<7)"},
                      ConditionCase{"LessEqualC", Op::LessEqual, kOne, true, "(F<='7')"},
                      ConditionCase{"LessEqualN", Op::LessEqual, kOne, false, "(F<=7)"},
                      ConditionCase{"NotEqualC", Op::NotEqual, kOne, true, "(F<>'7')"},
                      ConditionCase{"NotEqualN", Op::NotEqual, kOne, false, "(F<>7)"},
                      ConditionCase{"GreaterEqualC", Op::GreaterEqual, kOne, true, "(F>='7')"},
                      ConditionCase{"GreaterEqualN", Op::GreaterEqual, kOne, false, "(F>=7)"},
                      ConditionCase{"GreaterC", Op::Greater, kOne, true, "(F>'7')"},
                      ConditionCase{"GreaterN", Op::Greater, kOne, false, "(F>7)"},
                      ConditionCase{"LikeC", Op::Like, {QStringLiteral("re")}, true, "(F LIKE 're%')"},
                      ConditionCase{"LikeNKeepsPercent", Op::Like, kOne, false, "(F LIKE 7%)"},
                      ConditionCase{"BetweenC", Op::Between, kTwo, true, "(F BETWEEN 'A1' AND 'B7')"},
                      ConditionCase{"BetweenN", Op::Between, {QStringLiteral("1"), QStringLiteral("9")}, false, "(F BETWEEN 1 AND 9)"},
                      ConditionCase{"InOneC", Op::In, {QStringLiteral("red")}, true, "(F IN ('red'))"},
                      ConditionCase{"InSeveralC", Op::In, kThree, true, "(F IN ('blue','red','x y'))"},
                      ConditionCase{"InSeveralN", Op::In, {QStringLiteral("1"), QStringLiteral("2")}, false, "(F IN (1,2))"},
                      ConditionCase{"IsNullTakesNoValue", Op::IsNull, {}, true, "(F IS NULL)"},
                      ConditionCase{"QuoteInValueIsDoubled", Op::Equal, {QStringLiteral("O'Brien")}, true, "(F='O''Brien')"},
                      ConditionCase{"QuoteInLikeIsDoubled", Op::Like, {QStringLiteral("it's")}, true, "(F LIKE 'it''s%')"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(QueryConditions, MissingFieldOrValuesAreRefusedByKind)
{
    EXPECT_EQ(ValueCondition(QString(), Op::Equal, kOne, true).error, TConditionError::NoField);
    EXPECT_EQ(ValueCondition(QStringLiteral("F"), Op::Equal, {}, true).error, TConditionError::NoValue);
    EXPECT_EQ(ValueCondition(QStringLiteral("F"), Op::Like, {}, true).error, TConditionError::NoValue);
    EXPECT_EQ(ValueCondition(QStringLiteral("F"), Op::Between, kOne, true).error, TConditionError::NotTwoValues);
    EXPECT_EQ(ValueCondition(QStringLiteral("F"), Op::Between, kThree, true).error, TConditionError::NotTwoValues);
    EXPECT_EQ(ValueCondition(QStringLiteral("F"), Op::In, {}, true).error, TConditionError::NoValues);
    EXPECT_EQ(ParameterCondition(QString(), Op::Equal).error, TConditionError::NoField);
    EXPECT_EQ(ParameterCondition(QStringLiteral("F"), Op::In).error, TConditionError::NotForParameter);
    EXPECT_EQ(ParameterCondition(QStringLiteral("F"), Op::IsNull).error, TConditionError::NotForParameter);
}

// The values list shows numbers as the locale writes them; a statement needs the point.
TEST(QueryConditions, NumbersShownWithDecimalCommaAreWrittenWithPoint)
{
    const QLocale saved = rtl::FormatLocale();
    rtl::SetFormatLocale(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    auto condition = [](Op op, const QStringList &values, bool quoted) {
        return ValueCondition(QStringLiteral("F"), op, values, quoted).condition.toStdString();
    };
    EXPECT_EQ(condition(Op::In, {QStringLiteral("1,5"), QStringLiteral("2,25")}, false), "(F IN (1.5,2.25))");
    EXPECT_EQ(condition(Op::Between, {QStringLiteral("-0,5"), QStringLiteral("3")}, false), "(F BETWEEN -0.5 AND 3)");
    EXPECT_EQ(condition(Op::Equal, {QStringLiteral("1,5")}, true), "(F='1,5')");
    EXPECT_EQ(condition(Op::Equal, {QStringLiteral("7.12.2026")}, false), "(F=7.12.2026)");
    rtl::SetFormatLocale(saved);
}

TEST(QueryConditions, ParameterConditionsAndNames)
{
    EXPECT_EQ(ParameterCondition(QStringLiteral("COLOR"), Op::Equal).condition, QStringLiteral("(COLOR=:COLOR_)"));
    EXPECT_EQ(ParameterCondition(QStringLiteral("COLOR"), Op::GreaterEqual).condition, QStringLiteral("(COLOR>=:COLOR_)"));
    EXPECT_EQ(ParameterCondition(QStringLiteral("COLOR"), Op::Like).condition, QStringLiteral("(COLOR LIKE :COLOR_)"));
    EXPECT_EQ(ParameterCondition(QStringLiteral("ID"), Op::Between).condition, QStringLiteral("(ID BETWEEN :ID_1 AND :ID_2)"));
    EXPECT_EQ(ParamName(0, QStringLiteral("COLOR")), QStringLiteral(":COLOR_"));
    EXPECT_EQ(ParamName(12, QStringLiteral("ID")), QStringLiteral(":ID_12"));
    EXPECT_EQ(ParamName(2, QStringLiteral("T.ID")), QStringLiteral(":ID2"));
    EXPECT_EQ(ParamName(0, QStringLiteral("T.ID.X")), QStringLiteral(":ID.X"));
}

TEST(QueryStatement, SelectLineAndWhereOfConditions)
{
    const QStringList two{QStringLiteral("(COLOR='red')"), QStringLiteral("(ID<10)")};
    EXPECT_EQ(SelectStatement(QStringLiteral("ID,COLOR"), true, QStringLiteral("data.dbf"), two),
              (QStringList{"SELECT DISTINCT ID,COLOR FROM 'data.dbf'", "WHERE ((COLOR='red') AND (ID<10))"}));
    EXPECT_EQ(SelectStatement(QStringLiteral("*"), false, QStringLiteral("data.dbf"), {QStringLiteral("(A=B)")}),
              (QStringList{"SELECT * FROM 'data.dbf'", "WHERE (A=B)"}));
    EXPECT_EQ(SelectStatement(QStringLiteral("ID"), false, QStringLiteral("/t/x.db"), {}), (QStringList{"SELECT ID FROM '/t/x.db'"}));
    EXPECT_EQ(StatementTemplate(QStringLiteral("ID"), QStringLiteral("data.dbf")), (QStringList{"SELECT ID FROM 'data.dbf'", "WHERE "}));
}

TEST(QueryStatement, ValuesListSkipsParameterConditionsOnly)
{
    EXPECT_EQ(DistinctValuesStatement(QStringLiteral("C"), QStringLiteral("d.dbf"), {}),
              (QStringList{"SELECT DISTINCT C FROM 'd.dbf'", "", "ORDER BY C"}));
    EXPECT_EQ(DistinctValuesStatement(QStringLiteral("C"), QStringLiteral("d.dbf"), {"(ID=:ID_)", "(A=B)"}),
              (QStringList{"SELECT DISTINCT C FROM 'd.dbf'", "WHERE (A=B)", "ORDER BY C"}));
    EXPECT_EQ(DistinctValuesStatement(QStringLiteral("C"), QStringLiteral("d.dbf"), {"(T='10:30')", "(A=B)", "(X LIKE :X_)"}),
              (QStringList{"SELECT DISTINCT C FROM 'd.dbf'", "WHERE ((T='10:30') AND (A=B))", "ORDER BY C"}));
}

TEST(QueryStatement, SelectListGrowsByField)
{
    EXPECT_EQ(AddToSelectList(QString(), QStringLiteral("ID")), QStringLiteral("ID"));
    EXPECT_EQ(AddToSelectList(QStringLiteral("*"), QStringLiteral("ID")), QStringLiteral("ID"));
    EXPECT_EQ(AddToSelectList(QStringLiteral("ID"), QStringLiteral("ID")), QStringLiteral("ID,ID"));
}

struct ApplyCase
{
    const char *name;
    QStringList memo;
    QStringList memoAfter;
    QStringList statement;
    bool parameters;
};

class ApplyStatementTest : public ::testing::TestWithParam<ApplyCase> {};

TEST_P(ApplyStatementTest, SplitsAtWhereAndFindsParameters)
{
    const ApplyCase &c = GetParam();
    const TAppliedStatement applied = ApplyStatementLines(c.memo);
    EXPECT_EQ(applied.memoLines, c.memoAfter);
    EXPECT_EQ(applied.statementLines, c.statement);
    EXPECT_EQ(applied.hasParameters, c.parameters);
}

INSTANTIATE_TEST_SUITE_P(Memo, ApplyStatementTest,
    ::testing::Values(
        ApplyCase{"oneLineIsSplitAtWhere", {"SELECT * FROM 'data.dbf' WHERE (ID<10)"},
                  {"SELECT * FROM 'data.dbf' ", "WHERE (ID<10)"}, {"SELECT * FROM 'data.dbf' ", "WHERE (ID<10)"}, false},
        ApplyCase{"whereLineStaysWhole", {"SELECT *", "FROM 'd.dbf'", "where (A=1)"}, {"SELECT *", "FROM 'd.dbf'", "where (A=1)"},
                  {"SELECT *", "FROM 'd.dbf'", "where (A=1)"}, false},
        ApplyCase{"emptyLinesAreDropped", {"", "SELECT * FROM 'd.dbf'", "", "WHERE (A=1)", ""},
                  {"", "SELECT * FROM 'd.dbf'", "", "WHERE (A=1)", ""}, {"SELECT * FROM 'd.dbf'", "WHERE (A=1)"}, false},
        ApplyCase{"parameterAfterWhere", {"SELECT * FROM 'd.dbf'", "WHERE (ID=:ID_)"}, {"SELECT * FROM 'd.dbf'", "WHERE (ID=:ID_)"},
                  {"SELECT * FROM 'd.dbf'", "WHERE (ID=:ID_)"}, true},
        ApplyCase{"parameterOnLaterLine", {"SELECT * FROM 'd.dbf' WHERE", "(ID BETWEEN :ID_1 AND :ID_2)"},
                  {"SELECT * FROM 'd.dbf' ", "WHERE", "(ID BETWEEN :ID_1 AND :ID_2)"},
                  {"SELECT * FROM 'd.dbf' ", "WHERE", "(ID BETWEEN :ID_1 AND :ID_2)"}, true},
        ApplyCase{"colonBeforeWhereIsNoParameter", {"SELECT ':' AS C FROM 'd.dbf'"}, {"SELECT ':' AS C FROM 'd.dbf'"},
                  {"SELECT ':' AS C FROM 'd.dbf'"}, false},
        // Mended: a ":" inside a quoted value is no parameter, so the query opens.
        ApplyCase{"colonInQuotedValueIsNoParameter", {"SELECT * FROM 'd.dbf'", "WHERE (T='10:30')"},
                  {"SELECT * FROM 'd.dbf'", "WHERE (T='10:30')"}, {"SELECT * FROM 'd.dbf'", "WHERE (T='10:30')"}, false},
        ApplyCase{"colonAfterQuotedValueIsParameter", {"SELECT * FROM 'd.dbf'", "WHERE (T='it''s' AND U=:U_)"},
                  {"SELECT * FROM 'd.dbf'", "WHERE (T='it''s' AND U=:U_)"},
                  {"SELECT * FROM 'd.dbf'", "WHERE (T='it''s' AND U=:U_)"}, true},
        // Mended: WHERE inside a longer name or a quoted table name does not split the line.
        ApplyCase{"whereInsideTableNameIsNoWhere", {"SELECT * FROM 'somewhere.dbf' WHERE (A=1)"},
                  {"SELECT * FROM 'somewhere.dbf' ", "WHERE (A=1)"}, {"SELECT * FROM 'somewhere.dbf' ", "WHERE (A=1)"}, false},
        ApplyCase{"whereInsideFieldNameIsNoWhere", {"SELECT NOWHERE,WHERE_X FROM 'd.dbf'", "WHERE (A=:A_)"},
                  {"SELECT NOWHERE,WHERE_X FROM 'd.dbf'", "WHERE (A=:A_)"}, {"SELECT NOWHERE,WHERE_X FROM 'd.dbf'", "WHERE (A=:A_)"}, true},
        ApplyCase{"whereInsideValueBeforeClause", {"SELECT 'where:' AS W FROM 'd.dbf' WHERE (A=1)"},
                  {"SELECT 'where:' AS W FROM 'd.dbf' ", "WHERE (A=1)"}, {"SELECT 'where:' AS W FROM 'd.dbf' ", "WHERE (A=1)"}, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(QueryFiles, NumbersFromZeroAndRefillsAGap)
{
    std::set<QString> existing;
    auto exists = [&](const QString &name) { return existing.count(name) > 0; };
    EXPECT_EQ(NextQueryFileName(QStringLiteral("/q/data"), exists), QStringLiteral("/q/data_0.sql"));
    existing = {QStringLiteral("/q/data_0.sql"), QStringLiteral("/q/data_1.sql"), QStringLiteral("/q/data_3.sql")};
    EXPECT_EQ(NextQueryFileName(QStringLiteral("/q/data"), exists), QStringLiteral("/q/data_2.sql"));
    existing.erase(QStringLiteral("/q/data_0.sql"));
    EXPECT_EQ(NextQueryFileName(QStringLiteral("/q/data"), exists), QStringLiteral("/q/data_0.sql"));

    EXPECT_EQ(QueryFileBase(QStringLiteral("data.dbf")), QStringLiteral("data"));
    EXPECT_EQ(QueryFileBase(QStringLiteral("/a.b/data")), QStringLiteral("/a.b/data"));
    EXPECT_EQ(JoinFolder(QStringLiteral("/q"), QStringLiteral("data")), QStringLiteral("/q/data"));
    EXPECT_EQ(JoinFolder(QStringLiteral("/q/"), QStringLiteral("data")), QStringLiteral("/q/data"));
    EXPECT_FALSE(HasFolder(QStringLiteral("data")));
}

TEST(QueryFiles, SavedLinesLoadBackWithCzechText)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("q_0.sql"));
    const QStringList lines{QStringLiteral("SELECT * FROM 'data.dbf'"), QString(), QStringLiteral("WHERE (JMÉNO='Čížek')")};
    SaveQueryFile(name, lines);
    EXPECT_EQ(LoadQueryFile(name), lines);
    EXPECT_THROW(LoadQueryFile(dir.filePath(QStringLiteral("none.sql"))), rtl::Exception);
    EXPECT_THROW(SaveQueryFile(dir.filePath(QStringLiteral("no/such/folder.sql")), lines), rtl::Exception);
}

// Older tools wrote query files in code page 1250; a file may also mix such lines with UTF-8 ones.
TEST(QueryFiles, LinesOfOlderToolsLoadInCodePage1250)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("old_0.sql"));
    const QByteArray bytes = "SELECT * FROM 'v\xe1hy.dbf'\r\nWHERE (JM\xc9NO='\x8a\x9d\xf8\xed')\r\n"
                             "AND (M\xc4\x9aSTO='Plze\xc5\x88')\r\n";
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
    file.close();
    EXPECT_EQ(LoadQueryFile(name), (QStringList{QStringLiteral("SELECT * FROM 'váhy.dbf'"), QStringLiteral("WHERE (JMÉNO='Šťří')"),
                                                QStringLiteral("AND (MĚSTO='Plzeň')")}));
}

TEST(QueryFiles, SaveStoppedByAFileSizeLimitSaysWhyAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("q_0.sql"));
    const QStringList old{QStringLiteral("SELECT * FROM 'data.dbf'")};
    SaveQueryFile(name, old);
    const QStringList longer{QStringLiteral("SELECT * FROM 'data.dbf'"), QStringLiteral("WHERE ") + QString(2000, QLatin1Char('A'))};
    WithFileSizeLimit(1024, [&] {
        try {
            SaveQueryFile(name, longer);
            ADD_FAILURE() << "a cut-off file was reported as saved";
        } catch (const rtl::Exception &error) {
            EXPECT_TRUE(error.Message().endsWith(QStringLiteral("q_0.sql: File too large"))) << error.what();
        }
    });
    EXPECT_EQ(LoadQueryFile(name), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("q_0.sql")});
}

} // namespace
