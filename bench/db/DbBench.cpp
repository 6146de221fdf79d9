// Speed of the database layer on a table of 100,000 records of 25 fields: reading everything
// through "SELECT *", writing one field of every record found by Locate on its ID, and one
// UPDATE statement of every record, beside the same UPDATE run by SQLite on a database file of
// the same records with its rollback journal and synchronous=FULL.

#include "platform/db/Database.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <numeric>
#include <random>

namespace {

constexpr int kRecords = 100000;

// One folder with the big table, made once for all benchmarks.
class BigTable
{
public:
    static BigTable &instance()
    {
        static BigTable table;
        return table;
    }

    const QString &alias() const { return m_alias; }

    // A fresh copy of the table, so that writes do not pile up between runs.
    void restore()
    {
        QFile::remove(m_dir.filePath("big.dbf"));
        QFile::copy(m_dir.filePath("pristine.dbf"), m_dir.filePath("big.dbf"));
    }

private:
    BigTable()
    {
        m_database.SetDatabaseName(m_alias);
        m_database.Params().Add(QStringLiteral("PATH=") + m_dir.path());
        m_database.Open();
        QStringList columns{QStringLiteral("ID INTEGER")};
        for (int i = 1; i < 25; ++i)
            columns << (i % 3 == 0 ? QStringLiteral("C%1 CHAR(10)") : QStringLiteral("N%1 DECIMAL(9,3)")).arg(i);
        db::TQuery create;
        create.SetDatabaseName(m_alias);
        create.SQL().Add(QStringLiteral("CREATE TABLE 'pristine.dbf' (%1)").arg(columns.join(QStringLiteral(", "))));
        create.ExecSQL();

        db::TTable table;
        table.SetDatabaseName(m_alias);
        table.SetTableName(QStringLiteral("pristine"));
        table.Open();
        std::mt19937 random(7);
        std::uniform_real_distribution<double> value(-1000, 1000);
        for (int record = 0; record < kRecords; ++record) {
            table.Append();
            table.Fields()[0].SetAsInteger(record + 1);
            for (int i = 1; i < 25; ++i) {
                if (i % 3 == 0)
                    table.Fields()[i].SetAsString(QStringLiteral("text%1").arg(record % 997));
                else
                    table.Fields()[i].SetAsFloat(value(random));
            }
            table.Post();
        }
        table.Close();
        restore();
    }

    QTemporaryDir m_dir;
    QString m_alias = QStringLiteral("bench");
    db::TDatabase m_database;
};

void SelectAllRecords(benchmark::State &state)
{
    BigTable &big = BigTable::instance();
    big.restore();
    for (auto _ : state) {
        db::TQuery query;
        query.SetDatabaseName(big.alias());
        query.SQL().Add(QStringLiteral("SELECT * FROM 'big.dbf'"));
        query.Open();
        double sum = 0;
        qsizetype characters = 0;
        const int fields = query.Fields().Count();
        for (query.First(); !query.Eof(); query.Next()) {
            for (int i = 0; i < fields; ++i) {
                db::TField &field = query.Fields()[i];
                if (field.DataType() == db::ftString)
                    characters += field.AsString().size();
                else
                    sum += field.AsFloat();
            }
        }
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(characters);
        if (query.RecordCount() != kRecords)
            state.SkipWithError("wrong record count");
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(SelectAllRecords)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The classification write-back: a live query over the table, each record found by its ID
// in shuffled order, edited and posted.
void LocateEditPost(benchmark::State &state)
{
    BigTable &big = BigTable::instance();
    std::vector<int> ids(kRecords);
    std::iota(ids.begin(), ids.end(), 1);
    std::shuffle(ids.begin(), ids.end(), std::mt19937(11));
    for (auto _ : state) {
        state.PauseTiming();
        big.restore();
        state.ResumeTiming();
        db::TQuery query;
        query.SetDatabaseName(big.alias());
        query.SetRequestLive(true);
        query.SQL().Add(QStringLiteral("SELECT * FROM 'big.dbf'"));
        query.Open();
        db::TField *target = query.FieldByName(QStringLiteral("C3"));
        for (int id : ids) {
            if (!query.Locate(QStringLiteral("ID"), id)) {
                state.SkipWithError("record not found");
                break;
            }
            query.Edit();
            target->SetAsString(QStringLiteral("AB"));
            query.Post();
        }
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(LocateEditPost)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void UpdateEveryRecord(benchmark::State &state)
{
    BigTable &big = BigTable::instance();
    for (auto _ : state) {
        state.PauseTiming();
        big.restore();
        state.ResumeTiming();
        db::TQuery update;
        update.SetDatabaseName(big.alias());
        update.SQL().Add(QStringLiteral("UPDATE 'big.dbf' SET C3 = 'AB', N1 = N1 + 1"));
        update.ExecSQL();
        if (update.RowsAffected() != kRecords)
            state.SkipWithError("wrong number of records changed");
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(UpdateEveryRecord)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The peer: SQLite's own table of the same records and columns, changed by the same statement.
class SqliteBigTable
{
public:
    explicit SqliteBigTable(const QString &folder) : m_pristine(folder + QStringLiteral("/pristine.sqlite")), m_path(folder + QStringLiteral("/big.sqlite"))
    {
        sqlite3 *db = open(m_pristine);
        QStringList columns{QStringLiteral("ID INTEGER")};
        QStringList values{QStringLiteral("i")};
        for (int i = 1; i < 25; ++i) {
            columns << (i % 3 == 0 ? QStringLiteral("C%1 TEXT") : QStringLiteral("N%1 REAL")).arg(i);
            values << (i % 3 == 0 ? QStringLiteral("'text' || (i % 997)") : QStringLiteral("round(abs(random() % 2000000) / 1000.0 - 1000, 3)"));
        }
        exec(db, QStringLiteral("CREATE TABLE big (%1)").arg(columns.join(QStringLiteral(", "))));
        exec(db, QStringLiteral("INSERT INTO big WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) SELECT %2 FROM n")
                     .arg(kRecords)
                     .arg(values.join(QStringLiteral(", "))));
        sqlite3_close(db);
    }

    void restore()
    {
        QFile::remove(m_path);
        QFile::copy(m_pristine, m_path);
    }

    // Answers the number of records the UPDATE changed.
    int updateEveryRecord()
    {
        sqlite3 *db = open(m_path);
        exec(db, QStringLiteral("PRAGMA journal_mode=DELETE"));
        exec(db, QStringLiteral("PRAGMA synchronous=FULL"));
        exec(db, QStringLiteral("UPDATE big SET C3 = 'AB', N1 = N1 + 1"));
        const int changed = sqlite3_changes(db);
        sqlite3_close(db);
        return changed;
    }

private:
    static sqlite3 *open(const QString &path)
    {
        sqlite3 *db = nullptr;
        sqlite3_open(QFile::encodeName(path).constData(), &db);
        return db;
    }
    static void exec(sqlite3 *db, const QString &sql) { sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr); }

    QString m_pristine;
    QString m_path;
};

void SqliteUpdateEveryRecord(benchmark::State &state)
{
    QTemporaryDir dir;
    SqliteBigTable big(dir.path());
    for (auto _ : state) {
        state.PauseTiming();
        big.restore();
        state.ResumeTiming();
        if (big.updateEveryRecord() != kRecords)
            state.SkipWithError("wrong number of records changed");
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(SqliteUpdateEveryRecord)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A statement of `range(0)` parameters (about 1.4 MB at 100,000): refused while they have no
// value, then given values one by one and run.
void ManyParameters(benchmark::State &state)
{
    const int count = int(state.range(0));
    QTemporaryDir dir;
    db::TDatabase database;
    database.SetDatabaseName(QStringLiteral("params"));
    database.Params().Add(QStringLiteral("PATH=") + dir.path());
    database.Open();
    db::TQuery create;
    create.SetDatabaseName(QStringLiteral("params"));
    create.SQL().Add(QStringLiteral("CREATE TABLE 't.dbf' (ID INTEGER)"));
    create.ExecSQL();
    QStringList terms;
    for (int i = 0; i < count; ++i)
        terms << QStringLiteral(":PARAM%1").arg(i, 6, 10, QLatin1Char('0'));
    const QString sql = QStringLiteral("SELECT ID FROM 't.dbf' WHERE ID IN (%1)").arg(terms.join(QStringLiteral(", ")));
    for (auto _ : state) {
        db::TQuery query;
        query.SetDatabaseName(QStringLiteral("params"));
        query.SQL().Add(sql);
        try {
            query.Open();
            state.SkipWithError("opened without values");
        } catch (const db::EDatabaseError &) {
        }
        for (int i = 0; i < count; ++i)
            query.Params()[i].SetAsInteger(i);
        query.Open();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(ManyParameters)->Arg(20000)->Arg(40000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
