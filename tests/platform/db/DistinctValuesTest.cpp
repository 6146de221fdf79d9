// The distinct values of a field, checked against the engine's own SELECT DISTINCT ... ORDER BY.

#include "DbTestSupport.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/DistinctValues.h"

namespace {

std::vector<QVariant> engineDistinct(DbFolder &folder, const QString &field, const QString &where)
{
    auto query = folder.query(QStringLiteral("SELECT DISTINCT %1 FROM 'v.dbf' %2 ORDER BY %1")
                                  .arg(field, where.isEmpty() ? QString() : QStringLiteral("WHERE ") + where));
    query->Open();
    std::vector<QVariant> values;
    for (; !query->Eof(); query->Next())
        values.push_back(query->Fields()[0].Value());
    return values;
}

class DistinctValuesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.exec(QStringLiteral("CREATE TABLE 'v.dbf' (N DECIMAL(6,2), T CHAR(8), D DATE, K DECIMAL(2,0))"));
        const char *rows[] = {"2.5, 'beta', '2024-03-01', 1", "-1, 'Alfa', '2023-12-31', 1", "2.5, 'alfa', NULL, 2",
                              "NULL, 'Žába', '2024-03-01', 2", "10, NULL, '2020-01-01', 1", "-1, 'Čáp', NULL, 3",
                              "0, 'beta', '2021-06-30', 3", "7, 'gone', '1999-01-01', 9"};
        for (const char *row : rows)
            folder.exec(QStringLiteral("INSERT INTO 'v.dbf' VALUES (%1)").arg(QString::fromUtf8(row)));
        folder.exec(QStringLiteral("DELETE FROM 'v.dbf' WHERE K=9"));
    }

    DbFolder folder;
};

TEST_F(DistinctValuesTest, SameValuesInSameOrderAsTheEngine)
{
    for (const char *field : {"N", "T", "D"}) {
        for (const char *where : {"", "K<3", "(T='beta') OR (N IS NULL)", "K=5"}) {
            const auto list = db::DistinctFieldValues(folder.alias(), QStringLiteral("v.dbf"), QLatin1String(field), QLatin1String(where));
            EXPECT_EQ(list.values, engineDistinct(folder, QLatin1String(field), QLatin1String(where))) << field << " where " << where;
        }
    }
}

TEST_F(DistinctValuesTest, ReportsTheFieldTypeAndRefusesUnknownNames)
{
    EXPECT_EQ(db::DistinctFieldValues(folder.alias(), QStringLiteral("v"), QStringLiteral("t"), QString()).type, db::ftString);
    EXPECT_EQ(db::DistinctFieldValues(folder.alias(), QStringLiteral("v.dbf"), QStringLiteral("N"), QString()).type, db::ftFloat);
    EXPECT_THROW(db::DistinctFieldValues(folder.alias(), QStringLiteral("v.dbf"), QStringLiteral("X"), QString()), db::EDatabaseError);
    EXPECT_THROW(db::DistinctFieldValues(folder.alias(), QStringLiteral("none.dbf"), QStringLiteral("N"), QString()), db::EDatabaseError);
    EXPECT_THROW(db::DistinctFieldValues(folder.alias(), QStringLiteral("v.dbf"), QStringLiteral("N"), QStringLiteral("NOSUCH=1")),
                 db::EDatabaseError);
}

} // namespace
