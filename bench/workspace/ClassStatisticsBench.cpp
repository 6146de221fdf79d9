// Class statistics of 100 classes over a million values on the analysis alone (no window), with
// cold and with warm critical-value tables, and through the main window (report, limit marks and
// the cases view redrawn with a series per item) with warm tables. The cold run reports how many
// simulations its class sizes needed.

#include "workspace/Analysis.h"
#include "workspace/FQuibo.h"
#include "workspace/TextData.h"

#include "BenchData.h"
#include "CriticalTables.h"
#include "ScriptedDialogs.h"

#include "statistics/CriticalValues.h"

#include <QDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <set>

namespace {

using namespace bench;

constexpr int kClasses = 100;

// Counts the requests that had to simulate: those whose class size the tables did not hold yet.
class CountingSource : public CriticalValueSource
{
public:
    explicit CountingSource(CriticalValues &tables) : m_tables(tables) {}
    double GetCriticalValue(uint8_t Kind, int32_t N, int32_t N2, int32_t Cases, double Alpha, int32_t Iterations) override
    {
        sizes.insert(Cases);
        return m_tables.GetCriticalValue(Kind, N, N2, Cases, Alpha, Iterations);
    }
    void BeginRun() override { m_tables.BeginRun(); }
    void EndRun() override { m_tables.EndRun(); }
    std::set<int32_t> sizes;

private:
    CriticalValues &m_tables;
};

struct ClassifiedData
{
    QTemporaryDir dir;
    QTemporaryDir tablesDir;
    CriticalValues tables{tablesDir.path()};
    TAnalysis analysis;

    ClassifiedData()
    {
        if (!CopyEmptyCriticalTables(QStringLiteral(QUIBO_EMPTY_TABLES_DIR), QDir(tablesDir.path())))
            qFatal("the empty critical-value tables are missing; build the target quibo_critical_tables");
        tables.SetDatabasePath(tablesDir.path());
        QFile file(writeSampleFile(dir));
        file.open(QIODevice::ReadOnly);
        analysis.SetItems(ReadTextData(SplitTextLines(QString::fromLatin1(file.readAll())), true).items); // LOG, as the window opens it
        analysis.Analyse();
        for (int row = 0; row < kClasses - 1; ++row)
            analysis.SetLimit(row);
    }
};

void BM_StatisticsColdThenWarmTables(benchmark::State &state)
{
    ClassifiedData data;
    CountingSource source(data.tables);
    const auto start = std::chrono::steady_clock::now();
    data.analysis.JudgeClasses(source, 0.95, 0);
    const double coldSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const size_t sizesSimulated = source.sizes.size();
    for (auto _ : state)
        benchmark::DoNotOptimize(data.analysis.JudgeClasses(source, 0.95, 0).Judged);
    state.counters["classes"] = double(data.analysis.Classes().size());
    state.counters["cold_run_s"] = coldSeconds;
    state.counters["cold_sizes_simulated"] = double(sizesSimulated);
    state.counters["cold_s_per_size"] = coldSeconds / double(sizesSimulated);
}
BENCHMARK(BM_StatisticsColdThenWarmTables)->Unit(benchmark::kMillisecond)->Iterations(5);

// The user's "Statistics" on the open file with 99 limits and warm tables: judging, the report,
// the limit marks and the cases view of 10,000 item series redrawn.
void BM_StatisticsThroughTheMainWindow(benchmark::State &state)
{
    QTemporaryDir dir, tablesDir;
    if (!CopyEmptyCriticalTables(QStringLiteral(QUIBO_EMPTY_TABLES_DIR), QDir(tablesDir.path())))
        qFatal("the empty critical-value tables are missing; build the target quibo_critical_tables");
    CriticalValues tables(tablesDir.path());
    tables.SetDatabasePath(tablesDir.path());
    const QString path = writeSampleFile(dir);
    TFormQuibo form;
    form.SetCriticalValueSource(&tables);
    ScriptedDialogs dialogs;
    dialogs.expectFile(path);
    form.BtnOpenClick();
    for (int row = 0; row < kClasses - 1; ++row)
        form.ToggleLimit(row);
    form.ComputeStatistics(); // warms the tables
    for (auto _ : state)
        form.ComputeStatistics();
    state.counters["classes"] = double(form.Analysis().Classes().size());
}
BENCHMARK(BM_StatisticsThroughTheMainWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
