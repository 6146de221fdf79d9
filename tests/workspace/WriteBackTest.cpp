// Writing results into table records: the class letters of an item, and a write that fails
// part-way (a value the field cannot hold, a file size limit, a read-only file) leaving every
// record as it was.

#include "workspace/WriteBack.h"

#include "FileSizeLimit.h"
#include "OtherProcessLock.h"

#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/TableStore.h"
#include "platform/rtl/SysUtils.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TDataItem item(const QString &id, std::vector<uint8_t> classes, bool used = true)
{
    TDataItem it;
    it.Id = id;
    it.Used = used;
    it.Count = uint8_t(classes.size());
    it.Values.assign(classes.size(), 1.0);
    it.Positions.assign(classes.size(), 1);
    it.Classes = std::move(classes);
    return it;
}

TEST(SortedClassLetters, AscendingWithRepeats)
{
    TAnalysis analysis;
    analysis.SetItems({item("1", {1, 0, 1}), item("2", {}), item("3", {0, 0}, false), item("4", {27, 2})});
    EXPECT_EQ(SortedClassLetters(analysis, 0), QStringLiteral("ABB"));
    EXPECT_EQ(SortedClassLetters(analysis, 1), QString());
    EXPECT_EQ(SortedClassLetters(analysis, 2), QStringLiteral("AA")) << "items not in use are written too";
    EXPECT_EQ(SortedClassLetters(analysis, 3), QStringLiteral("C\\")) << "letters after Z keep their code order";
}

class WriteBackTable : public ::testing::Test
{
protected:
    void SetUp() override
    {
        database.SetDatabaseName(QStringLiteral("writeback"));
        database.Params().Add(QStringLiteral("PATH=") + dir.path());
        database.Open();
    }

    void exec(const QString &sql)
    {
        db::TQuery query;
        query.SetDatabaseName(QStringLiteral("writeback"));
        query.SQL().Add(sql);
        query.ExecSQL();
    }

    // t.dbf: ID and CLAS CHAR(3), records with IDs 1..count and CLAS "old".
    void makeTable(int count)
    {
        exec(QStringLiteral("CREATE TABLE 't.dbf' (ID INTEGER, NOTE CHAR(40), CLAS CHAR(3))"));
        for (int id = 1; id <= count; ++id)
            exec(QStringLiteral("INSERT INTO 't.dbf' VALUES (%1, 'record %1', 'old')").arg(id));
    }

    QByteArray tableBytes() const
    {
        QFile file(dir.filePath(QStringLiteral("t.dbf")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void openLive()
    {
        query.SetDatabaseName(QStringLiteral("writeback"));
        query.SQL().Add(QStringLiteral("SELECT * FROM 't.dbf'"));
        query.SetRequestLive(true);
        query.Open();
    }

    std::vector<TRecordWrite> lettersForAll(const QString &letters)
    {
        std::vector<TRecordWrite> writes;
        for (int r = 1; r <= query.RecordCount(); ++r)
            writes.push_back({r, letters, QString::number(r)});
        return writes;
    }

    QTemporaryDir dir;
    db::TDatabase database;
    db::TQuery query;
};

TEST_F(WriteBackTable, ValueTheFieldCannotHoldUndoesEveryRecord)
{
    makeTable(6);
    const QByteArray before = tableBytes();
    openLive();
    std::vector<TRecordWrite> writes = lettersForAll(QStringLiteral("AB"));
    writes[4].Value = QStringLiteral("ABCD");
    const TWriteOutcome outcome = WriteFieldValues(query, QStringLiteral("CLAS"), writes);
    query.Close();
    EXPECT_TRUE(outcome.Failed);
    EXPECT_TRUE(outcome.Error.contains(QStringLiteral("CLAS"))) << outcome.Error.toStdString();
    EXPECT_TRUE(outcome.Kept.isEmpty());
    EXPECT_EQ(tableBytes(), before);
    EXPECT_TRUE(WriteFailureText(QStringLiteral("CLAS"), outcome).endsWith(QStringLiteral("No record was changed.")));
}

TEST_F(WriteBackTable, FileSizeLimitPartWayUndoesEveryRecord)
{
    makeTable(300);
    const QByteArray before = tableBytes();
    openLive();
    const std::vector<TRecordWrite> writes = lettersForAll(QStringLiteral("ABC"));
    TWriteOutcome outcome;
    // The limit cuts a record in the middle of the file: the records before it are written, the
    // one across it in part, before the writer fails.
    WithFileSizeLimit(rlim_t(before.size() / 2 + 7),
                      [&] { outcome = WriteFieldValues(query, QStringLiteral("CLAS"), writes); });
    query.Close();
    EXPECT_TRUE(outcome.Failed);
    EXPECT_TRUE(outcome.Kept.isEmpty()) << outcome.Kept.join(QLatin1Char(',')).toStdString();
    EXPECT_EQ(tableBytes(), before);
}

// A write-back killed part-way, and one that another program's lock keeps from the table.
TEST_F(WriteBackTable, KilledPartWayOrHeldByAnotherProgramLeavesEveryRecord)
{
    makeTable(300);
    const QByteArray before = tableBytes();
    openLive();
    const std::vector<TRecordWrite> writes = lettersForAll(QStringLiteral("ABC"));
    const pid_t writer = fork();
    if (writer == 0) {
        static int left = 100;
        db::AfterRecordWrite = [] {
            if (--left == 0)
                raise(SIGKILL);
        };
        WriteFieldValues(query, QStringLiteral("CLAS"), writes);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_NE(tableBytes(), before); // half written, as the kill left it
    query.Close();
    query.Open();
    EXPECT_EQ(tableBytes(), before);

    OtherProcessLock reader(dir.filePath(QStringLiteral("t.dbf")), LOCK_SH);
    ASSERT_TRUE(reader.held());
    const TWriteOutcome outcome = WriteFieldValues(query, QStringLiteral("CLAS"), writes);
    reader.release();
    EXPECT_TRUE(outcome.Failed);
    EXPECT_TRUE(outcome.Error.contains(QStringLiteral("t.dbf"))) << outcome.Error.toStdString();
    EXPECT_TRUE(outcome.Kept.isEmpty());
    query.Close();
    EXPECT_EQ(tableBytes(), before);
}

// Runs `body` where a read-only file cannot be written: as another user when run as root.
bool unprivileged(const std::function<bool()> &body)
{
    if (geteuid() != 0)
        return body();
    const pid_t child = fork();
    if (child == 0) {
        const bool ok = setgid(65534) == 0 && setuid(65534) == 0 && body();
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(WriteBackTable, ReadOnlyFileChangesNothing)
{
    makeTable(3);
    const QByteArray before = tableBytes();
    const QString path = dir.filePath(QStringLiteral("t.dbf"));
    ASSERT_EQ(chmod(path.toLocal8Bit().constData(), 0444), 0);
    ASSERT_EQ(chmod(dir.path().toLocal8Bit().constData(), 0755), 0);
    EXPECT_TRUE(unprivileged([&] {
        openLive();
        const TWriteOutcome outcome = WriteFieldValues(query, QStringLiteral("CLAS"), lettersForAll(QStringLiteral("A")));
        query.Close();
        return outcome.Failed && outcome.Kept.isEmpty() && !outcome.Error.isEmpty();
    }));
    EXPECT_EQ(tableBytes(), before);
}

TEST(WriteFailureText, NamesRecordsThatKeepTheNewValue)
{
    TWriteOutcome outcome;
    outcome.Failed = true;
    outcome.Error = QStringLiteral("disk full");
    outcome.Kept = QStringList{"1", "2", "3", "4", "5", "6", "7"};
    EXPECT_EQ(WriteFailureText(QStringLiteral("CLAS"), outcome),
              QStringLiteral("CLAS could not be written: disk full\r\nThe earlier CLAS could not be put back into 7 "
                             "record(s), which keep the new one (ID 1, 2, 3, 4, 5 and 2 more); every other record "
                             "keeps its earlier CLAS."));
}

} // namespace
