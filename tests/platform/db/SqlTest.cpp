// SQL over the files of a folder: the SELECTs the query builder writes, the commands of the SQL
// window, structure statements carried out on the files, and failures that change nothing.

#include "DbTestSupport.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/SqlEngine.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

using namespace db;

namespace {

class Sql : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.exec("CREATE TABLE 'data.dbf' (ID DECIMAL(4,0), COLOR CHAR(8), CODE CHAR(3), X DECIMAL(6,3))");
        folder.exec("INSERT INTO 'data.dbf' (ID, COLOR, CODE, X) VALUES (1, 'red', 'A1', 0.5)");
        folder.exec("INSERT INTO \"data.dbf\" (ID, COLOR, CODE, X) VALUES (2, 'blue', 'B7', 1.25)");
        folder.exec("INSERT INTO data (ID, COLOR, CODE, X) VALUES (3, 'red', 'C2', -2)");
        folder.exec("INSERT INTO 'DATA.DBF' (ID, CODE) VALUES (4, 'A1')");
    }

    // The first column of every row of `sql`, as text, joined by ",".
    QString column(const QString &sql)
    {
        auto q = folder.query(sql);
        q->Open();
        QStringList values;
        for (q->First(); !q->Eof(); q->Next())
            values << q->Fields()[0].AsString();
        return values.join(QLatin1Char(','));
    }

    DbFolder folder;
};

} // namespace

TEST_F(Sql, BuilderConditionsSelectTheRightRows)
{
    struct Case
    {
        const char *where;
        const char *ids;
    };
    const Case cases[] = {
        {"(COLOR='red')", "1,3"},
        {"(ID<3)", "1,2"},
        {"(ID<=2)", "1,2"},
        {"(ID<>2)", "1,3,4"},
        {"(ID>=3)", "3,4"},
        {"(ID>3)", "4"},
        {"(COLOR LIKE 're%')", "1,3"},
        {"(CODE BETWEEN 'A1' AND 'B7')", "1,2,4"},
        {"(ID BETWEEN 1 AND 2)", "1,2"},
        {"(COLOR IN ('blue','red'))", "1,2,3"},
        {"(ID IN (1,4))", "1,4"},
        {"(COLOR IS NULL)", "4"},
        {"((COLOR='red') AND (ID<3))", "1"},
        {"(COLOR='blue') OR (X<0)", "2,3"},
        {"(X = 1.25)", "2"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(column(QStringLiteral("SELECT ID FROM 'data.dbf'\nWHERE %1").arg(QLatin1String(c.where))), QLatin1String(c.ids)) << c.where;
}

TEST_F(Sql, DistinctAndOrderBy)
{
    EXPECT_EQ(column("SELECT DISTINCT COLOR FROM 'data.dbf'\nORDER BY COLOR"), QStringLiteral(",blue,red"));
    EXPECT_EQ(column("SELECT DISTINCT CODE FROM 'data.dbf' WHERE (ID>1) ORDER BY CODE"), QStringLiteral("A1,B7,C2"));
    EXPECT_EQ(column("SELECT ID FROM data ORDER BY X DESC"), QStringLiteral("2,1,3,4"));
}

TEST_F(Sql, ResultFieldsKeepTableTypes)
{
    auto q = folder.query("SELECT ID, COLOR, X*2 AS DOUBLED, COUNT(*) AS N FROM 'data.dbf'");
    q->Open();
    EXPECT_EQ(q->FieldByName("ID")->DataType(), ftFloat);
    EXPECT_EQ(q->FieldByName("COLOR")->DataType(), ftString);
    EXPECT_EQ(q->FieldByName("COLOR")->Size(), 8);
    EXPECT_EQ(q->FieldByName("DOUBLED")->DataType(), ftFloat);
    EXPECT_EQ(q->FieldByName("N")->DataType(), ftInteger);
    EXPECT_EQ(q->FieldByName("N")->AsInteger(), 4);
    rtl::TStringList names;
    q->GetFieldNames(names);
    EXPECT_EQ(names.Lines(), (QStringList{"ID", "COLOR", "DOUBLED", "N"}));
}

TEST_F(Sql, NamedParametersOfEveryType)
{
    auto q = folder.query("SELECT ID FROM 'data.dbf' WHERE (COLOR=:COLOR_) AND (ID BETWEEN :ID_1 AND :ID_2)");
    ASSERT_EQ(q->Params().Count(), 3);
    EXPECT_EQ(q->Params()[0].Name(), QStringLiteral("COLOR_"));
    q->Prepare();
    EXPECT_TRUE(q->Prepared());
    EXPECT_FALSE(q->Active());
    q->ParamByName("color_").SetAsString("red");
    q->ParamByName("ID_1").SetDataType(ftInteger);
    q->ParamByName("ID_1").SetText("2");
    q->ParamByName("ID_2").SetAsFloat(3);
    q->Open();
    ASSERT_EQ(q->RecordCount(), 1);
    EXPECT_EQ(q->FieldByName("ID")->AsInteger(), 3);
}

TEST_F(Sql, ParameterWithoutValueIsRefused)
{
    auto q = folder.query("SELECT * FROM 'data.dbf' WHERE ID = :ID");
    EXPECT_THROW(q->Open(), EDatabaseError);
    EXPECT_FALSE(q->Active());
}

TEST_F(Sql, HundredThousandParametersAreNamedBoundAndRun)
{
    constexpr int kCount = 100000;
    QStringList names;
    for (int i = 0; i < kCount; ++i)
        names << QStringLiteral(":P%1").arg(i);
    // The same parameter twice, in another letter case: one parameter.
    auto q = folder.query(QStringLiteral("SELECT ID FROM 'data.dbf' WHERE ID IN (%1) OR ID = :p7").arg(names.join(QLatin1Char(','))));
    ASSERT_EQ(q->Params().Count(), kCount);
    try {
        q->Open();
        ADD_FAILURE() << "opened without values";
    } catch (const EDatabaseError &error) {
        EXPECT_EQ(error.Message(), QStringLiteral("No value for parameter 'P0'"));
    }
    for (int i = 0; i < kCount; ++i)
        q->Params()[i].SetAsFloat(i == 1 ? 2 : 100 + i);
    q->ParamByName(QStringLiteral("P99999")).SetAsFloat(4);
    q->ParamByName(QStringLiteral("P7")).SetAsFloat(3);
    EXPECT_EQ(q->Params()[7].AsFloat(), 3);
    q->Open();
    QStringList ids;
    for (q->First(); !q->Eof(); q->Next())
        ids << q->Fields()[0].AsString();
    EXPECT_EQ(ids, (QStringList{QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}));
}

TEST_F(Sql, OtherParameterMarksHaveNoValue)
{
    for (const char *sql : {"SELECT ID FROM 'data.dbf' WHERE ID = ?", "SELECT ID FROM 'data.dbf' WHERE ID = ?2",
                            "SELECT ID FROM 'data.dbf' WHERE ID = @ID", "SELECT ID FROM 'data.dbf' WHERE ID = $ID"}) {
        auto q = folder.query(QString::fromLatin1(sql));
        EXPECT_THROW(q->Open(), EDatabaseError) << sql;
    }
}

TEST_F(Sql, ColonInsideQuotesIsNoParameter)
{
    auto q = folder.query("SELECT ID FROM 'data.dbf' WHERE COLOR <> '10:30'");
    EXPECT_EQ(q->Params().Count(), 0);
    q->Open();
    EXPECT_EQ(q->RecordCount(), 3);
}

TEST_F(Sql, UpdateAndDeleteReachTheFile)
{
    auto update = folder.query("UPDATE 'data.dbf'\nSET COLOR = 'green'\nWHERE ID = 2");
    update->ExecSQL();
    EXPECT_EQ(update->RowsAffected(), 1);
    folder.exec("DELETE FROM 'data.dbf' WHERE COLOR = 'red'");
    auto table = folder.table("data.dbf");
    table->Open();
    ASSERT_EQ(table->RecordCount(), 2);
    EXPECT_EQ(table->FieldByName("COLOR")->AsString(), QStringLiteral("green"));
    EXPECT_EQ(table->FieldByName("X")->AsFloat(), 1.25); // untouched fields keep their value
}

TEST_F(Sql, FailingStatementChangesNothing)
{
    const QByteArray before = folder.bytes("data.dbf");
    // The third row's text does not fit CHAR(3); the first two must not be written either.
    EXPECT_THROW(folder.exec("UPDATE 'data.dbf' SET CODE = CASE WHEN ID = 3 THEN 'TOO LONG' ELSE 'ok' END"), EDatabaseError);
    EXPECT_THROW(folder.exec("INSERT INTO 'data.dbf' (ID) VALUES (5), (123456)"), EDatabaseError);
    EXPECT_THROW(folder.exec("INSERT INTO 'data.dbf' (ID, X) VALUES (5, 'abc')"), EDatabaseError);
    EXPECT_EQ(folder.bytes("data.dbf"), before);
}

TEST_F(Sql, EngineErrorsAreDatabaseErrors)
{
    for (const char *sql : {"SELECT * FROM 'missing.dbf'", "SELEC * FROM 'data.dbf'", "SELECT NOPE FROM 'data.dbf'",
                            "SELECT * FROM 'data.dbf'; DELETE FROM 'data.dbf'", "UPDATE 'data.dbf' SET ID = 'x' || ID"})
        EXPECT_THROW(folder.exec(QString::fromLatin1(sql)), EDatabaseError) << sql;
    EXPECT_EQ(column("SELECT COUNT(*) FROM 'data.dbf'"), QStringLiteral("4"));
}

TEST_F(Sql, SelectRunAsCommandShowsNothing)
{
    auto q = folder.query("SELECT * FROM 'data.dbf'");
    q->ExecSQL();
    EXPECT_FALSE(q->Active());
}

TEST_F(Sql, EngineStatementsBeyondTheTablesAreRefusedByName)
{
    const QString other = folder.path(QStringLiteral("other.db"));
    folder.writeBytes(QStringLiteral("empty.db"), QByteArray());
    const QString empty = folder.path(QStringLiteral("empty.db"));
    const std::pair<QString, const char *> cases[] = {
        {QStringLiteral("ATTACH DATABASE '%1' AS e").arg(other), "ATTACH"},
        {QStringLiteral("ATTACH '%1' AS e").arg(empty), "ATTACH"},
        {QStringLiteral("VACUUM INTO '%1'").arg(other), "VACUUM"},
        {QStringLiteral("DETACH DATABASE temp"), "DETACH"},
        {QStringLiteral("CREATE VIEW v AS SELECT 1"), "CREATE VIEW"},
        {QStringLiteral("CREATE TEMP VIEW 'data.dbf' AS SELECT 1 AS ID"), "CREATE VIEW"},
        {QStringLiteral("CREATE TEMP TABLE 'data.dbf' (ID)"), "CREATE TEMP TABLE"},
        {QStringLiteral("PRAGMA user_version = 3"), "PRAGMA"},
        // A transaction left open would hold back the changes of every later statement.
        {QStringLiteral("BEGIN"), "BEGIN"},
        {QStringLiteral("SAVEPOINT s"), "SAVEPOINT"},
        {QStringLiteral("RELEASE s"), "RELEASE"},
        {QStringLiteral("ROLLBACK"), "ROLLBACK"},
        {QStringLiteral("END"), "COMMIT"},
        {QStringLiteral("SELECT hex(fts3_tokenizer('simple'))"), "The function fts3_tokenizer()"},
    };
    for (const auto &[sql, statement] : cases) {
        try {
            folder.exec(sql);
            ADD_FAILURE() << "ran: " << sql.toStdString();
        } catch (const EDatabaseError &error) {
            EXPECT_TRUE(error.Message().startsWith(QLatin1String(statement) + QStringLiteral(" is not allowed")))
                << sql.toStdString() << " said: " << error.what();
        }
    }
    EXPECT_FALSE(QFile::exists(other));
    EXPECT_EQ(QFileInfo(empty).size(), 0);
    EXPECT_EQ(column("SELECT COUNT(*) FROM 'data.dbf'"), QStringLiteral("4")) << "the table is no one else's";
    folder.exec("UPDATE 'data.dbf' SET COLOR = 'written' WHERE ID = 2");
    EXPECT_TRUE(folder.bytes("data.dbf").contains("written")) << "no transaction holds the change back";
    auto tokenizer = folder.query("SELECT hex(fts3_tokenizer('simple'))");
    EXPECT_THROW(tokenizer->Open(), EDatabaseError);
}

TEST_F(Sql, HugeValuesAndEndlessResultsFailClearlyAndTheEngineGoesOn)
{
    for (const char *sql : {"SELECT printf('%.*c', 999999999, 'x')", "SELECT zeroblob(999999999)"}) {
        auto q = folder.query(QString::fromLatin1(sql));
        try {
            q->Open();
            ADD_FAILURE() << "read: " << sql;
        } catch (const EDatabaseError &error) {
            EXPECT_TRUE(error.Message().contains(QLatin1String("100 MB"))) << error.what();
        }
    }
    EXPECT_EQ(column("SELECT printf('%.*c', 3, 'x')"), QStringLiteral("xxx"));
    const qint64 limit = SqlEngine::memoryLimit();
    SqlEngine::setMemoryLimit(qint64(64) << 20);
    auto endless = folder.query("WITH RECURSIVE x(n) AS (SELECT 1 UNION ALL SELECT n+1 FROM x) SELECT n FROM x");
    try {
        endless->Open();
        ADD_FAILURE() << "read an endless result";
    } catch (const EDatabaseError &error) {
        EXPECT_TRUE(error.Message().contains(QLatin1String("64 MB of memory"))) << error.what();
    }
    SqlEngine::setMemoryLimit(limit);
    EXPECT_EQ(column("SELECT COUNT(*) FROM 'data.dbf'"), QStringLiteral("4"));
}

TEST_F(Sql, QueryThatReadsRowsChangesNothing)
{
    const QByteArray before = folder.bytes("data.dbf");
    const std::pair<const char *, const char *> cases[] = {
        {"WITH c AS (SELECT 1) DELETE FROM 'data.dbf'", "DELETE"},
        {"WITH c AS (SELECT 1) UPDATE 'data.dbf' SET COLOR = 'x'", "UPDATE"},
        {"WITH c AS (SELECT 9) INSERT INTO 'data.dbf' (ID) SELECT * FROM c", "INSERT"},
    };
    for (const auto &[sql, statement] : cases) {
        auto q = folder.query(QString::fromLatin1(sql));
        try {
            q->Open();
            ADD_FAILURE() << "read: " << sql;
        } catch (const EDatabaseError &error) {
            EXPECT_EQ(error.Message(), QLatin1String(statement) + QStringLiteral(" is not allowed in a query that reads rows"));
        }
    }
    EXPECT_EQ(folder.bytes("data.dbf"), before);
    folder.exec("WITH c AS (SELECT 4) DELETE FROM 'data.dbf' WHERE ID IN (SELECT * FROM c)");
    EXPECT_EQ(column("SELECT ID FROM 'data.dbf'"), QStringLiteral("1,2,3")) << "run as a command it may";
}

TEST_F(Sql, CommandOpenedAsQueryIsRefused)
{
    auto q = folder.query("DELETE FROM 'data.dbf'");
    EXPECT_THROW(q->Open(), EDatabaseError);
    EXPECT_EQ(column("SELECT COUNT(*) FROM 'data.dbf'"), QStringLiteral("4"));
}

TEST(SqlDdl, CreateTableOfTheOpenDialog)
{
    DbFolder folder;
    // The statement the main window builds for a new table with the default answers.
    folder.exec("CREATE TABLE \"new.dbf\"\n(\n ID DECIMAL(4,0),\n START DECIMAL(6,3),\n Rf1 DECIMAL(6,3),\n Rf2 DECIMAL(6,3),\n"
                " Rf3 DECIMAL(6,3),\n INC1 CHAR(1),\n INC2 CHAR(1),\n INC3 CHAR(1),\n FACTOR DECIMAL(9,5),\n CLAS CHAR(4))");
    auto table = folder.table("NEW");
    table->Open();
    rtl::TStringList names;
    table->GetFieldNames(names);
    EXPECT_EQ(names.Lines(), (QStringList{"ID", "START", "RF1", "RF2", "RF3", "INC1", "INC2", "INC3", "FACTOR", "CLAS"}));
    EXPECT_EQ(table->FieldByName("Rf1")->DataType(), ftFloat);
    EXPECT_EQ(table->FieldByName("CLAS")->Size(), 4);
    table->Append();
    table->FieldByName("ID")->SetAsInteger(9999);
    table->FieldByName("START")->SetAsFloat(-999.999);
    table->FieldByName("FACTOR")->SetAsFloat(9999.12345);
    table->Post();
    table->Refresh();
    EXPECT_EQ(table->FieldByName("START")->AsFloat(), -999.999);
    EXPECT_EQ(table->FieldByName("FACTOR")->AsFloat(), 9999.12345);
    EXPECT_EQ(uint8_t(folder.bytes("new.dbf").at(29)), 0xC8); // code page 1250
}

TEST(SqlDdl, EveryColumnType)
{
    DbFolder folder;
    folder.exec("CREATE TABLE 't.dbf' (A CHAR(5), B VARCHAR(7), C NUMERIC(5,2), D INTEGER, E SMALLINT, F FLOAT, G DATE, H BOOLEAN, I BLOB, J MEMO)");
    auto table = folder.table("t");
    table->Open();
    const TFieldType types[] = {ftString, ftString, ftFloat, ftFloat, ftFloat, ftFloat, ftDate, ftBoolean, ftMemo, ftMemo};
    ASSERT_EQ(table->Fields().Count(), 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(table->Fields()[i].DataType(), types[i]) << i;
    EXPECT_TRUE(QFile::exists(folder.path("t.dbt")));
}

TEST(SqlDdl, AlterAddsAndDropsColumnsKeepingData)
{
    DbFolder folder;
    folder.exec("CREATE TABLE 'a.dbf' (ID INTEGER, NAME CHAR(5), OLD CHAR(2))");
    folder.exec("INSERT INTO 'a.dbf' VALUES (1, 'one', 'x')");
    folder.exec("INSERT INTO 'a.dbf' VALUES (2, 'two', 'y')");
    folder.exec("DELETE FROM 'a.dbf' WHERE ID = 1");
    folder.exec("ALTER TABLE 'a.dbf' ADD NOTE MEMO, DROP OLD, ADD FLAG BOOLEAN");
    auto table = folder.table("a");
    table->Open();
    rtl::TStringList names;
    table->GetFieldNames(names);
    EXPECT_EQ(names.Lines(), (QStringList{"ID", "NAME", "NOTE", "FLAG"}));
    ASSERT_EQ(table->RecordCount(), 1);
    EXPECT_EQ(table->FieldByName("NAME")->AsString(), QStringLiteral("two"));
    EXPECT_TRUE(table->FieldByName("FLAG")->IsNull());
    table->Edit();
    table->FieldByName("NOTE")->SetAsString("memo text");
    table->Post();
    table->Close();
    folder.exec("ALTER TABLE 'a.dbf' DROP COLUMN FLAG");
    table->Open();
    EXPECT_EQ(table->FieldByName("NOTE")->AsString(), QStringLiteral("memo text"));
}

// New tables are shared as any new file of the user is: 0666 less the umask, also when a
// structure change rebuilds them.
TEST(SqlDdl, NewTablesGetTheUsualFileMode)
{
    const mode_t saved = ::umask(0002);
    DbFolder folder;
    folder.exec("CREATE TABLE 'a.dbf' (ID INTEGER, NOTE MEMO)");
    folder.exec("CREATE TABLE 'b.db' (ID INTEGER)");
    folder.exec("CREATE TABLE 'c.db' (ID INTEGER)");
    folder.exec("ALTER TABLE 'c.db' ADD X INTEGER");
    ::umask(saved);
    for (const char *name : {"a.dbf", "a.dbt", "b.db", "c.db"}) {
        struct stat info;
        ASSERT_EQ(::stat(folder.path(name).toLocal8Bit().constData(), &info), 0) << name;
        EXPECT_EQ(info.st_mode & 0777, 0664u) << name;
    }
}

TEST(SqlDdl, RefusalsLeaveFilesAlone)
{
    DbFolder folder;
    folder.exec("CREATE TABLE 'a.dbf' (ID INTEGER)");
    const QByteArray before = folder.bytes("a.dbf");
    QFile notes(folder.path("notes.txt"));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("not a table\n");
    notes.close();
    for (const char *sql : {"CREATE TABLE 'a.dbf' (X INTEGER)", "CREATE TABLE 'b.dbf' (X MONEY)", "CREATE TABLE 'b.dbf' (X CHAR(300))",
                            "CREATE TABLE 'b.dbf' (TOOLONGNAME1 INTEGER)", "CREATE TABLE 'b.dbf' (X INTEGER, X INTEGER)",
                            "CREATE TABLE 'b.dbf' (X DECIMAL(30,2))", "CREATE TABLE 'b.dbf' (X INTEGER", "ALTER TABLE 'a.dbf' DROP NOPE",
                            "ALTER TABLE 'a.dbf' ADD ID INTEGER", "ALTER TABLE 'a.dbf' DROP ID", "DROP TABLE 'nothere.dbf'",
                            "DROP TABLE 'notes.txt'", "CREATE INDEX byid ON 'a.dbf' (ID)", "DROP INDEX 'a.dbf'.byid"})
        EXPECT_THROW(folder.exec(QString::fromLatin1(sql)), EDatabaseError) << sql;
    EXPECT_EQ(folder.bytes("a.dbf"), before);
    EXPECT_FALSE(QFile::exists(folder.path("b.dbf")));
    EXPECT_EQ(folder.bytes("notes.txt"), "not a table\n");
}

TEST(SqlDdl, TableInUseIsNotDroppedOrAltered)
{
    DbFolder folder;
    folder.exec("CREATE TABLE 'a.dbf' (ID INTEGER)");
    auto table = folder.table("A.DBF");
    table->Open();
    EXPECT_THROW(folder.exec("DROP TABLE 'a.dbf'"), EDatabaseError);
    EXPECT_THROW(folder.exec("ALTER TABLE 'a.dbf' ADD X INTEGER"), EDatabaseError);
    table->Close();
    folder.exec("DROP TABLE a");
    EXPECT_FALSE(QFile::exists(folder.path("a.dbf")));
}

// A memo file beside a table without memo fields, and a table file whose mode allows no
// writing, are the user's: no statement overwrites or deletes them.
TEST(SqlDdl, FilesThatAreNotTheTablesOwnStay)
{
    DbFolder folder;
    const QByteArray userMemo = "the user's own memo file\n";
    folder.writeBytes("u.dbt", userMemo);
    EXPECT_THROW(folder.exec("CREATE TABLE 'u.dbf' (A CHAR(3), M MEMO)"), EDatabaseError);
    EXPECT_FALSE(QFile::exists(folder.path("u.dbf")));
    EXPECT_EQ(folder.bytes("u.dbt"), userMemo);

    folder.exec("CREATE TABLE 'v.dbf' (A CHAR(3))");
    const QByteArray table = folder.bytes("v.dbf");
    folder.writeBytes("V.DBT", userMemo);
    EXPECT_THROW(folder.exec("ALTER TABLE 'v.dbf' ADD M MEMO"), EDatabaseError);
    EXPECT_EQ(folder.bytes("v.dbf"), table);
    EXPECT_EQ(folder.bytes("V.DBT"), userMemo);

    folder.exec("CREATE TABLE 'w.dbf' (A CHAR(3))");
    folder.writeBytes("W.DBT", userMemo);
    folder.exec("DROP TABLE 'w.dbf'");
    EXPECT_FALSE(QFile::exists(folder.path("w.dbf")));
    EXPECT_EQ(folder.bytes("W.DBT"), userMemo);

    for (const char *name : {"r.dbf", "r.db"}) {
        folder.exec(QStringLiteral("CREATE TABLE '%1' (A CHAR(3))").arg(QLatin1String(name)));
        folder.exec(QStringLiteral("INSERT INTO '%1' (A) VALUES ('a')").arg(QLatin1String(name)));
        // Refused from the mode bits, also for root, whom the system would let write.
        ASSERT_EQ(::chmod(folder.path(name).toLocal8Bit().constData(), 0444), 0);
        const QByteArray before = folder.bytes(name);
        for (const char *statement : {"DROP TABLE '%1'", "ALTER TABLE '%1' ADD B CHAR(2)", "UPDATE '%1' SET A = 'b'",
                                      "DELETE FROM '%1'", "INSERT INTO '%1' (A) VALUES ('c')"}) {
            try {
                folder.exec(QString::fromLatin1(statement).arg(QLatin1String(name)));
                ADD_FAILURE() << statement << " went ahead on " << name;
            } catch (const EDatabaseError &error) {
                EXPECT_TRUE(error.Message().contains(QLatin1String(name))) << error.Message().toStdString();
            }
            EXPECT_EQ(folder.bytes(name), before) << name;
        }
    }
}
