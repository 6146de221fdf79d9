// Reading a data table of 100,000 records with 20 Rf fields each (with Inc flags and FACTOR)
// through the main window's query read, into data items, ordered and analysed: 2,000,000 values.
// Run: build/bench/bench_workspace --benchmark_filter=BM_ReadTable
// bench/workspace/compare_table_numpy.sh times the same read with dbfread and numpy.

#include "workspace/FQuibo.h"
#include "workspace/FSetQuery.h"
#include "workspace/TableData.h"

#include "ScriptedDialogs.h"

#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <random>

#include <sys/resource.h>

namespace {

constexpr int kRecords = 100000;
constexpr int kRf = 20;

double residentPeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// Every value is accepted: the flags are "+", "y" or blank, FACTOR is 1, 2 or 0 (counts as 1).
void writeTable(const QString &folder, const QString &name)
{
    db::TDatabase database;
    database.SetDatabaseName(QStringLiteral("benchtables"));
    database.Params().Add(QStringLiteral("PATH=") + folder);
    database.Open();
    QStringList columns{QStringLiteral("ID CHAR(8)"), QStringLiteral("START DECIMAL(6,2)")};
    for (int j = 1; j <= kRf; ++j)
        columns << QStringLiteral("Rf%1 DECIMAL(8,3)").arg(j);
    for (int j = 1; j <= kRf; ++j)
        columns << QStringLiteral("Inc%1 CHAR(1)").arg(j);
    columns << QStringLiteral("FACTOR DECIMAL(4,1)") << QStringLiteral("CLAS CHAR(21)");
    db::TQuery create;
    create.SetDatabaseName(database.DatabaseName());
    create.SQL().Add(QStringLiteral("CREATE TABLE '%1' (%2)").arg(name, columns.join(QStringLiteral(", "))));
    create.ExecSQL();

    db::TTable table;
    table.SetDatabaseName(database.DatabaseName());
    table.SetTableName(name);
    table.Open();
    std::mt19937 random(11);
    std::normal_distribution<double> noise(0.0, 5.0);
    const QString flags[] = {QStringLiteral("+"), QStringLiteral("y"), QString()};
    for (int record = 0; record < kRecords; ++record) {
        table.Append();
        table.Fields()[0].SetAsString(QStringLiteral("r%1").arg(record));
        table.Fields()[1].SetAsFloat(double(record % 5));
        for (int j = 0; j < kRf; ++j) {
            const double value = std::round((20.0 * double(j % 3) + noise(random)) * 1000.0) / 1000.0 + 100.0;
            table.Fields()[2 + j].SetAsFloat(value);
            table.Fields()[2 + kRf + j].SetAsString(flags[(record + j) % 3]);
        }
        table.Fields()[2 + 2 * kRf].SetAsFloat(double(record % 3));
        table.Post();
    }
}

const QString &tablePath()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        writeTable(dir.path(), QStringLiteral("big.dbf"));
        return QDir(dir.path()).filePath(QStringLiteral("big.dbf"));
    }();
    return path;
}

// The read after an open: the builder starts empty and the user confirms it and the factor.
void readTable(TFormQuibo &form)
{
    ScriptedDialogs dialogs;
    dialogs.expectModal([](QDialog &dialog) {
        dynamic_cast<TFormSetQuery &>(dialog).BtnSQLClick(); // SELECT ID FROM 'big.dbf'
        return int(ui::mrOk);
    });
    dialogs.expectMessage(QStringLiteral("To use factor variable?"), ui::mrYes);
    QObject openCommand;
    form.BtnQueryClick(&openCommand);
}

void closeData(TFormQuibo &form)
{
    QObject closer;
    form.BtnCloseClick(&closer);
}

void BM_ReadTableIntoItems(benchmark::State &state)
{
    const QString path = tablePath();
    if (const char *keep = std::getenv("QUIBO_BENCH_TABLE")) // for the dbfread comparison
        QFile::copy(path, QString::fromLocal8Bit(keep));
    TFormQuibo form;
    form.SetLogTransformation(state.range(0) != 0);
    form.OpenDatabaseTable(path);
    // A read before the timed ones takes what the first read in the process sets up, whichever
    // variant runs first.
    readTable(form);
    closeData(form);
    for (auto _ : state) {
        readTable(form);
        state.PauseTiming();
        if (form.Ordered().size() != size_t(kRecords) * kRf)
            state.SkipWithError("the table was not read");
        closeData(form);
        state.ResumeTiming();
    }
    state.counters["values"] = double(size_t(kRecords) * kRf);
    state.counters["peak_resident_MB"] = residentPeakMegabytes();
}
// With the LOG-transformation (the default) and without; one read per repetition: with
// --benchmark_repetitions=N the "_min" row is the best of N, the statistic the dbfread
// comparison takes.
BENCHMARK(BM_ReadTableIntoItems)
    ->ArgName("log")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->ComputeStatistics("min", [](const std::vector<double> &v) { return *std::min_element(v.begin(), v.end()); });

// The record rules alone: the query over every record and the items made from it.
void BM_TableRecordsIntoItems(benchmark::State &state)
{
    TableReadOptions options;
    options.LogTransform = state.range(0) != 0;
    const QString path = tablePath();
    db::TDatabase database;
    database.SetDatabaseName(QStringLiteral("benchread"));
    database.Params().Add(QStringLiteral("PATH=") + QFileInfo(path).absolutePath());
    database.Open();
    for (auto _ : state) {
        db::TQuery query;
        query.SetDatabaseName(database.DatabaseName());
        query.SQL().Add(QStringLiteral("SELECT * FROM 'big.dbf'"));
        query.Open();
        const TableData data = ReadTableData(query, options);
        benchmark::DoNotOptimize(data.items.data());
    }
}
BENCHMARK(BM_TableRecordsIntoItems)->ArgName("log")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
