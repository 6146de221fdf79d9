// Changes that other processes cut into: a process killed by SIGKILL in the middle of a
// statement, and a second process that holds the table while a statement wants it.

#include "DbTestSupport.h"
#include "OtherProcessLock.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/TableStore.h"

#include <QFile>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace db;

namespace {

int writesLeft = 0;

void killAtTheChosenWrite()
{
    if (--writesLeft == 0)
        ::raise(SIGKILL);
}

// Runs `body` in a child process that is killed right after its `writes`-th record write;
// true when it died so.
bool killedAfterWrites(int writes, const std::function<void()> &body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        writesLeft = writes;
        AfterRecordWrite = killAtTheChosenWrite;
        try {
            body();
        } catch (...) {
        }
        ::_exit(0);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

int pauseWrites[2];
int resumeWrites[2];

void pauseAtTheChosenWrite()
{
    if (--writesLeft != 0)
        return;
    char signal = 'p';
    (void)!::write(pauseWrites[1], &signal, 1);
    (void)!::read(resumeWrites[0], &signal, 1);
}

QString numbers(int count)
{
    return QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) ").arg(count);
}

struct KilledStatement
{
    const char *name;
    const char *sql;
};

void PrintTo(const KilledStatement &statement, std::ostream *out) { *out << statement.name; }

class KilledMidway : public ::testing::TestWithParam<KilledStatement>
{
};

} // namespace

TEST_P(KilledMidway, IsTakenBackWhenTheTableIsNextOpened)
{
    DbFolder folder;
    folder.exec("CREATE TABLE t (ID INTEGER, NAME CHAR(12), NOTE MEMO)");
    folder.exec("INSERT INTO t (ID, NAME, NOTE) " + numbers(20000) + "SELECT i, 'row ' || i, CASE WHEN i % 100 = 0 THEN 'memo ' || i END FROM n");
    folder.exec("CREATE TABLE src (ID INTEGER, NAME CHAR(12), NOTE MEMO)");
    folder.exec("INSERT INTO src (ID, NAME, NOTE) " + numbers(20000) + "SELECT i, 'new ' || i, 'memo ' || i FROM n");
    const QByteArray table = folder.bytes("t.dbf");
    const QByteArray memo = folder.bytes("t.dbt");

    ASSERT_TRUE(killedAfterWrites(5000, [&] { folder.exec(QString::fromLatin1(GetParam().sql)); }));
    // Half done, as the kill left it: some records changed, and the journal beside the table.
    EXPECT_NE(folder.bytes("t.dbf"), table);
    EXPECT_TRUE(QFile::exists(folder.path("t.dbf-journal")));

    auto count = folder.query("SELECT COUNT(*) AS N FROM t");
    count->Open();
    EXPECT_EQ(count->FieldByName("N")->AsInteger(), 20000);
    EXPECT_EQ(folder.bytes("t.dbf"), table);
    EXPECT_EQ(folder.bytes("t.dbt"), memo);
    EXPECT_FALSE(QFile::exists(folder.path("t.dbf-journal")));
}

INSTANTIATE_TEST_SUITE_P(
    Statements, KilledMidway,
    ::testing::Values(KilledStatement{"Update", "UPDATE t SET NAME = 'changed', NOTE = 'a longer memo text than before ' || ID"},
                      KilledStatement{"Delete", "DELETE FROM t WHERE ID > 10"},
                      KilledStatement{"InsertSelect", "INSERT INTO t SELECT * FROM src"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(KilledMidway, PostsOfOneChangeThroughADataSetAreTakenBack)
{
    DbFolder folder;
    folder.exec("CREATE TABLE t (ID INTEGER, NAME CHAR(12))");
    folder.exec("INSERT INTO t (ID, NAME) " + numbers(1000) + "SELECT i, 'row ' || i FROM n");
    const QByteArray table = folder.bytes("t.dbf");
    ASSERT_TRUE(killedAfterWrites(300, [&] {
        auto data = folder.table("t");
        data->Open();
        data->BeginChanges();
        for (data->First(); !data->Eof(); data->Next()) {
            data->Edit();
            data->FieldByName("NAME")->SetAsString(QStringLiteral("changed"));
            data->Post();
        }
        data->CommitChanges();
    }));
    EXPECT_NE(folder.bytes("t.dbf"), table);
    folder.table("t")->Open();
    EXPECT_EQ(folder.bytes("t.dbf"), table);
}

TEST(SecondProgram, HoldingTheTableMakesAChangeWaitAMomentThenFailNamingIt)
{
    DbFolder folder;
    folder.exec("CREATE TABLE t (ID INTEGER)");
    folder.exec("INSERT INTO t (ID) " + numbers(10) + "SELECT i FROM n");
    const QByteArray table = folder.bytes("t.dbf");

    // The other program reads the table: it holds a shared lock until told to go.
    OtherProcessLock reader(folder.path("t.dbf"), LOCK_SH);
    ASSERT_TRUE(reader.held());

    const auto start = std::chrono::steady_clock::now();
    try {
        folder.exec("UPDATE t SET ID = ID + 100");
        ADD_FAILURE() << "the change went ahead";
    } catch (const EDatabaseError &error) {
        EXPECT_TRUE(error.Message().contains(QLatin1String("t.dbf"))) << error.Message().toStdString();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(folder.bytes("t.dbf"), table);
    auto read = folder.query("SELECT SUM(ID) AS S FROM t"); // readers share the table
    read->Open();
    EXPECT_EQ(read->FieldByName("S")->AsInteger(), 55);
    read->Close();

    reader.release();
    folder.exec("UPDATE t SET ID = ID + 100");
    read->Open();
    EXPECT_EQ(read->FieldByName("S")->AsInteger(), 1055);
}

TEST(SecondProgram, ChangeUnderWayIsNotTakenBackByAnother)
{
    DbFolder folder;
    folder.exec("CREATE TABLE t (ID INTEGER, NAME CHAR(12))");
    folder.exec("INSERT INTO t (ID, NAME) " + numbers(1000) + "SELECT i, 'row ' || i FROM n");
    ASSERT_EQ(::pipe(pauseWrites), 0);
    ASSERT_EQ(::pipe(resumeWrites), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        writesLeft = 500;
        AfterRecordWrite = pauseAtTheChosenWrite;
        try {
            folder.exec("UPDATE t SET NAME = 'changed'");
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    char signal = 0;
    ASSERT_EQ(::read(pauseWrites[0], &signal, 1), 1);

    // Half way through the other program's statement: its journal is no leftover to put back.
    auto table = folder.table("t");
    table->Open();
    table->Close();
    EXPECT_TRUE(QFile::exists(folder.path("t.dbf-journal")));
    EXPECT_THROW(folder.query("SELECT COUNT(*) FROM t")->Open(), EDatabaseError);

    (void)!::write(resumeWrites[1], &signal, 1);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    auto changed = folder.query("SELECT COUNT(*) AS N FROM t WHERE NAME = 'changed'");
    changed->Open();
    EXPECT_EQ(changed->FieldByName("N")->AsInteger(), 1000);
    EXPECT_FALSE(QFile::exists(folder.path("t.dbf-journal")));
}
