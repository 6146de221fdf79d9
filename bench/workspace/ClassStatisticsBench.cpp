// Class statistics of 100 classes over a million values, with cold and with warm critical-value
// tables. The cold run reports how many simulations its class sizes needed.

#include "workspace/FQuibo.h"
#include "workspace/FReport.h"

#include "BenchData.h"
#include "CriticalTables.h"
#include "ScriptedDialogs.h"

#include "statistics/FStat.h"

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
    double GetCriticalValue(uint8_t Kind, int32_t N, int32_t N2, int32_t Cases, double Alpha, int32_t Iterations) override
    {
        sizes.insert(Cases);
        return FormStat->GetCriticalValue(Kind, N, N2, Cases, Alpha, Iterations);
    }
    std::set<int32_t> sizes;
};

struct ClassifiedData
{
    QTemporaryDir dir;
    QTemporaryDir tables;
    TFormQuibo form;

    ClassifiedData()
    {
        if (!CopyEmptyCriticalTables(QStringLiteral(QUIBO_EMPTY_TABLES_DIR), QDir(tables.path())))
            qFatal("the empty critical-value tables are missing; build the target quibo_critical_tables");
        FormStat = new TFormStat;
        FormStat->SetDatabasePath(tables.path());
        FormReport = new TFormReport;
        ScriptedDialogs dialogs;
        dialogs.expectFile(writeSampleFile(dir));
        form.BtnOpenClick();
        for (int row = 0; row < kClasses - 1; ++row)
            form.ToggleLimit(row);
    }
    ~ClassifiedData()
    {
        delete FormReport;
        FormReport = nullptr;
        delete FormStat;
        FormStat = nullptr;
    }
};

void BM_StatisticsColdThenWarmTables(benchmark::State &state)
{
    ClassifiedData data;
    CountingSource source;
    data.form.SetCriticalValueSource(&source);
    const auto start = std::chrono::steady_clock::now();
    data.form.ComputeStatistics();
    const double coldSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const size_t sizesSimulated = source.sizes.size();
    for (auto _ : state)
        data.form.ComputeStatistics();
    state.counters["classes"] = double(data.form.Classes().size());
    state.counters["cold_run_s"] = coldSeconds;
    state.counters["cold_sizes_simulated"] = double(sizesSimulated);
    state.counters["cold_s_per_size"] = coldSeconds / double(sizesSimulated);
}
BENCHMARK(BM_StatisticsColdThenWarmTables)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
