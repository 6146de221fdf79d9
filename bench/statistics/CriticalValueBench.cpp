// The simulation of ordered differences: the core alone (draws, sorted samples, pooled sorted
// gaps, readout) and a whole request to the critical-value service answered by simulation (with
// the store of its twelve table rows), without any window.
// Run: build/bench/bench_critical; compared with numpy by bench/statistics/compare_numpy.sh.

#include "statistics/CriticalValues.h"
#include "statistics/OrderedDiffSimulation.h"

#include "platform/rtl/Random.h"
#include "platform/rtl/SysUtils.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// Arguments: sample size (Cases), gaps asked for.
void BM_SimulateGaps(benchmark::State &state)
{
    const auto cases = int32_t(state.range(0));
    const int32_t samples = SamplesForGaps(int32_t(state.range(1)), cases);
    rtl::SetRandSeed(12345);
    for (auto _ : state) {
        const std::vector<double> gaps = SimulateGaps(dkNormal, 0, cases, samples);
        benchmark::DoNotOptimize(GapQuantile(gaps, 0.95));
    }
    state.counters["gaps"] = double(int64_t(samples) * (cases - 1));
}
BENCHMARK(BM_SimulateGaps)->Args({5, 100000})->Args({10000, 100000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SimulateGaps)->Args({5, 10000000})->Unit(benchmark::kMillisecond)->Iterations(5);

// A request as the main window makes it (Normal, 100000 gaps at 0.95) on an empty table, every time.
void BM_CriticalValueRequest(benchmark::State &state)
{
    const auto cases = int32_t(state.range(0));
    QTemporaryDir dir;
    const QString table = dir.filePath(QStringLiteral("Normal.dbf"));
    const QString empty = QStringLiteral(QUIBO_EMPTY_TABLES_DIR "/Normal.dbf");
    CriticalValues values(dir.path());
    values.SetDatabasePath(dir.path());
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(table);
        if (!QFile::copy(empty, table))
            state.SkipWithError("no empty Normal.dbf beside the program");
        state.ResumeTiming();
        benchmark::DoNotOptimize(values.GetCriticalValue(dkNormal, 0, 0, cases, 0.95, 100000));
    }
}
BENCHMARK(BM_CriticalValueRequest)->Arg(5)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
