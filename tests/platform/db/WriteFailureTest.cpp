// Writes that fail half-way (a full disk, a file size limit): every statement and every post
// reaches the files whole or not at all, so the files are byte for byte as before.

#include "DbTestSupport.h"

#include "platform/db/DatabaseError.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <csignal>
#include <sys/resource.h>

using namespace db;

namespace {

// Lets files of this process grow to `bytes` only; writes past it fail with EFBIG.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};

constexpr const char *kNumbers = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) ";

QString numbers(int count) { return QString::fromLatin1(kNumbers).arg(count); }

rlim_t sizeOf(const DbFolder &folder, const char *name) { return rlim_t(QFileInfo(folder.path(name)).size()); }

// The statement fails with a text that names `file` and the system's reason for a write past
// the size limit.
void expectFileTooLarge(DbFolder &folder, const QString &sql, const QString &file)
{
    try {
        folder.exec(sql);
        ADD_FAILURE() << sql.toStdString() << " reported success";
    } catch (const EDatabaseError &error) {
        EXPECT_TRUE(error.Message().contains(file)) << error.Message().toStdString();
        EXPECT_TRUE(error.Message().contains(QString::fromLocal8Bit(std::strerror(EFBIG)))) << error.Message().toStdString();
    }
}

} // namespace

TEST(WriteFailure, InsertSelectThatRunsOutOfSpaceAddsNothing)
{
    DbFolder folder;
    folder.exec("CREATE TABLE src (ID INTEGER, NAME CHAR(20))");
    folder.exec("INSERT INTO src (ID, NAME) " + numbers(500) + "SELECT i, 'row ' || i FROM n");
    folder.exec("CREATE TABLE t (ID INTEGER, NAME CHAR(20))");
    folder.exec("INSERT INTO t (ID, NAME) VALUES (0, 'first')");
    const QByteArray before = folder.bytes("t.dbf");
    const int recordLength = 1 + 11 + 20;
    {
        const FileSizeLimit limit(sizeOf(folder, "t.dbf") + 352 * recordLength + recordLength / 2);
        EXPECT_THROW(folder.exec("INSERT INTO t SELECT * FROM src"), EDatabaseError);
    }
    EXPECT_EQ(folder.bytes("t.dbf"), before);

    folder.exec("INSERT INTO t SELECT * FROM src"); // a retry adds every row once
    auto count = folder.query("SELECT COUNT(*) AS N, COUNT(DISTINCT ID) AS D FROM t");
    count->Open();
    EXPECT_EQ(count->FieldByName("N")->AsInteger(), 501);
    EXPECT_EQ(count->FieldByName("D")->AsInteger(), 501);
}

TEST(WriteFailure, MemoUpdateThatRunsOutOfSpaceChangesNothing)
{
    DbFolder folder;
    folder.exec("CREATE TABLE m (ID INTEGER, NOTE MEMO)");
    folder.exec("INSERT INTO m (ID, NOTE) " + numbers(200) + "SELECT i, 'short ' || i FROM n");
    const QByteArray table = folder.bytes("m.dbf");
    const QByteArray memo = folder.bytes("m.dbt");
    {
        // Each long text takes two fresh blocks; there is room for about 98 of them.
        const FileSizeLimit limit(sizeOf(folder, "m.dbt") + 98 * 2 * 512 + 100);
        expectFileTooLarge(folder, "UPDATE m SET NOTE = 'long ' || ID || printf('%.700c', 'x')", "m.dbf");
    }
    EXPECT_EQ(folder.bytes("m.dbf"), table);
    EXPECT_EQ(folder.bytes("m.dbt"), memo);
}

TEST(WriteFailure, PostThatRunsOutOfSpaceLeavesTheTableAsItWas)
{
    DbFolder folder;
    folder.exec("CREATE TABLE p (ID INTEGER, NAME CHAR(200), NOTE MEMO)");
    folder.exec("INSERT INTO p (ID, NAME, NOTE) VALUES (1, 'one', 'memo one')");
    folder.exec("INSERT INTO p (ID, NAME) " + numbers(20) + "SELECT i + 1, 'row ' || i FROM n");
    ASSERT_GT(sizeOf(folder, "p.dbf"), sizeOf(folder, "p.dbt") + 512) << "the memo block must fit under the limit";
    const QByteArray table = folder.bytes("p.dbf");
    const QByteArray memo = folder.bytes("p.dbt");
    auto dataSet = folder.table("p");
    dataSet->Open();
    {
        // Room for the memo block but only half the record.
        const FileSizeLimit limit(sizeOf(folder, "p.dbf") + 100);
        dataSet->Append();
        dataSet->FieldByName("ID")->SetAsInteger(2);
        dataSet->FieldByName("NOTE")->SetAsString(QStringLiteral("memo two"));
        EXPECT_THROW(dataSet->Post(), EDatabaseError);
    }
    dataSet->Cancel();
    dataSet->Close();
    EXPECT_EQ(folder.bytes("p.dbf"), table);
    EXPECT_EQ(folder.bytes("p.dbt"), memo);
}

TEST(WriteFailure, ParadoxInsertThatRunsOutOfSpaceAddsNothing)
{
    DbFolder folder;
    folder.exec("CREATE TABLE 'p.db' (ID INTEGER, NAME CHAR(40))");
    folder.exec("INSERT INTO 'p.db' (ID, NAME) VALUES (0, 'first')");
    const QByteArray before = folder.bytes("p.db");
    const QString insert = "INSERT INTO 'p.db' (ID, NAME) " + numbers(500) + "SELECT i, 'row ' || i FROM n";
    {
        const FileSizeLimit limit(sizeOf(folder, "p.db") + 5000);
        EXPECT_THROW(folder.exec(insert), EDatabaseError);
    }
    EXPECT_EQ(folder.bytes("p.db"), before);
    folder.exec(insert);
    auto count = folder.query("SELECT COUNT(*) AS N FROM 'p.db'");
    count->Open();
    EXPECT_EQ(count->FieldByName("N")->AsInteger(), 501);
}

TEST(WriteFailure, StructureStatementsThatRunOutOfSpaceKeepEveryFileAndSayWhy)
{
    DbFolder folder;
    folder.exec("CREATE TABLE t (ID INTEGER, NAME CHAR(8))");
    folder.exec("INSERT INTO t (ID, NAME) " + numbers(100) + "SELECT i, 'row ' || i FROM n");
    const QByteArray before = folder.bytes("t.dbf");
    const QStringList filesBefore = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
    QString manyFields = QStringLiteral("CREATE TABLE 'wide.dbf' (F0 INTEGER");
    for (int i = 1; i < 100; ++i)
        manyFields += QStringLiteral(", F%1 INTEGER").arg(i);
    manyFields += QLatin1Char(')');
    {
        const FileSizeLimit limit(2048);
        expectFileTooLarge(folder, "UPDATE t SET NAME = 'changed'", "t.dbf");
        expectFileTooLarge(folder, "ALTER TABLE 't.dbf' ADD X CHAR(5)", "t.dbf");
        expectFileTooLarge(folder, manyFields, "wide.dbf");
    }
    {
        const FileSizeLimit limit(413);
        EXPECT_THROW(folder.exec("CREATE TABLE 'p.db' (ID INTEGER, NAME CHAR(20))"), EDatabaseError);
    }
    EXPECT_EQ(folder.bytes("t.dbf"), before);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), filesBefore);

    folder.exec("ALTER TABLE 't.dbf' ADD X CHAR(5)"); // with room, as before
    auto count = folder.query("SELECT COUNT(*) AS N FROM t");
    count->Open();
    EXPECT_EQ(count->FieldByName("N")->AsInteger(), 100);
}
