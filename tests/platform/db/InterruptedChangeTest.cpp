// Changes that other processes cut into: a process killed by SIGKILL in the middle of a
// statement, and a second process that holds the table while a statement wants it.

#include "DbTestSupport.h"
#include "OtherProcessLock.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/TableStore.h"

#include "platform/rtl/Warnings.h"

#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
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

// A table of 1,000 records whose UPDATE was killed midway: its journal lies beside it.
void killUpdateMidway(DbFolder &folder)
{
    folder.exec("CREATE TABLE t (ID INTEGER, NAME CHAR(12))");
    folder.exec("INSERT INTO t (ID, NAME) " + numbers(1000) + "SELECT i, 'row ' || i FROM n");
    ASSERT_TRUE(killedAfterWrites(300, [&] { folder.exec("UPDATE t SET NAME = 'changed'"); }));
    ASSERT_TRUE(QFile::exists(folder.path("t.dbf-journal")));
}

int countOf(DbFolder &folder, const QString &where)
{
    auto count = folder.query("SELECT COUNT(*) AS N FROM t WHERE " + where);
    count->Open();
    return count->FieldByName("N")->AsInteger();
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

TEST(KilledMidway, ParadoxTableIsTakenBackWhenNextOpened)
{
    DbFolder folder;
    folder.exec("CREATE TABLE 't.db' (ID INTEGER, NAME CHAR(12))");
    folder.exec("INSERT INTO 't.db' (ID, NAME) " + numbers(1000) + "SELECT i, 'row ' || i FROM n");
    const QByteArray table = folder.bytes("t.db");
    ASSERT_TRUE(killedAfterWrites(300, [&] { folder.exec("UPDATE 't.db' SET NAME = 'changed'"); }));
    EXPECT_NE(folder.bytes("t.db"), table);
    std::vector<rtl::TWarning> warnings;
    const rtl::TWarningCapture capture(warnings);
    folder.query("SELECT COUNT(*) FROM 't.db'")->Open();
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(folder.bytes("t.db"), table);
    EXPECT_FALSE(QFile::exists(folder.path("t.db-journal")));
}

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

TEST(KilledMidway, IsKeptAsideWhenAnotherProgramChangedTheTableSince)
{
    DbFolder folder;
    killUpdateMidway(folder);
    // Another program writes record 5 and appends a record (header count 1001).
    QByteArray table = folder.bytes("t.dbf");
    const int header = uint8_t(table[8]) | uint8_t(table[9]) << 8;
    const int length = uint8_t(table[10]) | uint8_t(table[11]) << 8;
    table.replace(header + 4 * length + 12, 12, "foreign     ");
    table.chop(1);
    table.append(" " + QByteArray("1001").rightJustified(11, ' ') + "appended    " + "\x1a");
    table[4] = char(0xE9);
    table[5] = char(0x03);
    folder.writeBytes("t.dbf", table);

    std::vector<rtl::TWarning> warnings;
    const rtl::TWarningCapture capture(warnings);
    EXPECT_EQ(countOf(folder, "ID > 0"), 1001);
    EXPECT_EQ(folder.bytes("t.dbf"), table);
    EXPECT_FALSE(QFile::exists(folder.path("t.dbf-journal")));
    EXPECT_TRUE(QFile::exists(folder.path("t.dbf-journal-kept")));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].text.contains(QLatin1String("t.dbf-journal-kept"))) << warnings[0].text.toStdString();
}

// Journals made by hand: the earlier format, and the current one naming a file of another kind.
TEST(KilledMidway, ForeignJournalTouchesNoFile)
{
    DbFolder folder;
    folder.exec("CREATE TABLE t (ID INTEGER)");
    folder.exec("INSERT INTO t (ID) " + numbers(1000) + "SELECT i FROM n");
    folder.writeBytes("t.csv", "1;2;3\n");
    struct stat csv;
    ASSERT_EQ(::stat(QFile::encodeName(folder.path("t.csv")).constData(), &csv), 0);
    auto fileEntry = [](const QByteArray &name, bool identity, const struct stat &info) {
        QByteArray entry = QByteArray("F\0", 2) + QByteArray(8, '\0');
        if (identity)
            entry += QByteArray(reinterpret_cast<const char *>(&info.st_dev), 8) + QByteArray(reinterpret_cast<const char *>(&info.st_ino), 8);
        return entry + char(name.size()) + '\0' + name;
    };
    const QByteArray journals[] = {"QJOURN1\n" + fileEntry("t.dbf", false, csv), "QJOURN1\n" + fileEntry("t.csv", false, csv),
                                   "QJOURN2\n" + fileEntry("t.csv", true, csv)};
    const QByteArray table = folder.bytes("t.dbf");
    std::vector<rtl::TWarning> warnings;
    const rtl::TWarningCapture capture(warnings);
    for (const QByteArray &journal : journals) {
        folder.writeBytes("t.dbf-journal", journal);
        QFile::remove(folder.path("t.dbf-journal-kept"));
        EXPECT_EQ(countOf(folder, "ID > 0"), 1000);
        EXPECT_EQ(folder.bytes("t.dbf"), table);
        EXPECT_EQ(folder.bytes("t.csv"), "1;2;3\n");
    }
    EXPECT_EQ(warnings.size(), 3u);
}

TEST(SecondProgram, PostIntoATableWithALeftoverJournalTakesTheJournalBackFirst)
{
    DbFolder folder;
    folder.exec("CREATE TABLE t (ID INTEGER, NAME CHAR(12))");
    folder.exec("INSERT INTO t (ID, NAME) " + numbers(1000) + "SELECT i, 'row ' || i FROM n");
    auto data = folder.table("t");
    data->Open(); // before the other program's statement was killed
    ASSERT_TRUE(killedAfterWrites(300, [&] { folder.exec("UPDATE t SET NAME = 'changed'"); }));
    data->SetRecNo(5);
    data->Edit();
    data->FieldByName("NAME")->SetAsString(QStringLiteral("posted"));
    data->Post();
    data->Close();
    EXPECT_EQ(countOf(folder, "NAME = 'posted' AND ID = 5"), 1);
    EXPECT_EQ(countOf(folder, "NAME LIKE 'row %'"), 999);
}

TEST(KilledMidway, ReadOnlyTableWithAJournalIsReadAsItStandsWithAWarning)
{
    DbFolder folder;
    killUpdateMidway(folder);
    const QByteArray table = folder.bytes("t.dbf");
    ASSERT_EQ(::chmod(QFile::encodeName(folder.path("t.dbf")).constData(), 0444), 0);
    std::vector<rtl::TWarning> warnings;
    const rtl::TWarningCapture capture(warnings);
    EXPECT_EQ(countOf(folder, "ID > 0"), 1000);
    EXPECT_EQ(countOf(folder, "ID > 0"), 1000);
    EXPECT_EQ(folder.bytes("t.dbf"), table);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].text.contains(QLatin1String("t.dbf"))) << warnings[0].text.toStdString();
    EXPECT_THROW(folder.exec("UPDATE t SET NAME = 'again'"), EDatabaseError);
}

TEST(KilledMidway, LeftoverNewFilesOfATableGoWhenItIsNextWritten)
{
    DbFolder folder;
    folder.exec("CREATE TABLE t (ID INTEGER)");
    for (const char *name : {"t.dbf.tmpab12cd", "t.dbf.tmpheld00", "t.dbf.tmpOTHER1", "u.dbf.tmpab12cd"})
        folder.writeBytes(QString::fromLatin1(name), "left over");
    OtherProcessLock writer(folder.path("t.dbf.tmpheld00"), LOCK_EX); // a save still under way
    ASSERT_TRUE(writer.held());
    folder.exec("INSERT INTO t (ID) VALUES (1)");
    EXPECT_FALSE(QFile::exists(folder.path("t.dbf.tmpab12cd")));
    for (const char *name : {"t.dbf.tmpheld00", "t.dbf.tmpOTHER1", "u.dbf.tmpab12cd"})
        EXPECT_TRUE(QFile::exists(folder.path(QString::fromLatin1(name)))) << name;
}
