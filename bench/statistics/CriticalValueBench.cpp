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

#include <algorithm>

#include <benchmark/benchmark.h>

namespace {

double minimum(const std::vector<double> &times) { return *std::min_element(times.begin(), times.end()); }

// Arguments: sample size (Cases), gaps asked for, threads (0: every core). One simulation per
// repetition; run with --benchmark_repetitions=N, the "_min" row is the best of N, the statistic
// the numpy comparison takes too.
void BM_SimulateGaps(benchmark::State &state)
{
    const auto cases = int32_t(state.range(0));
    const int32_t samples = SamplesForGaps(int32_t(state.range(1)), cases);
    const auto threads = unsigned(state.range(2));
    rtl::SetRandSeed(12345);
    for (auto _ : state) {
        const std::vector<double> gaps = SimulateGaps(dkNormal, 0, cases, samples, threads);
        benchmark::DoNotOptimize(GapQuantile(gaps, 0.95));
    }
    state.counters["gaps"] = double(int64_t(samples) * (cases - 1));
}
BENCHMARK(BM_SimulateGaps)
    ->ArgsProduct({{2, 5, 100, 10000, 100000}, {100000}, {0, 1}})
    ->Args({5, 10000000, 0})
    ->Args({5, 10000000, 1})
    ->Iterations(1)
    ->ComputeStatistics("min", minimum)
    ->Unit(benchmark::kMillisecond);

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
