// Opening and analysing a large text data file, and the ordering core on its own.
// Run: build/bench/bench_workspace [--benchmark_filter=...]
// The ordering core is compared with numpy by bench/workspace/compare_numpy.sh.

#include "workspace/FQuibo.h"
#include "workspace/OrderedDifferences.h"
#include "workspace/TextData.h"

#include "BenchData.h"
#include "ScriptedDialogs.h"

#include "platform/rtl/SysUtils.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>

namespace {

using namespace bench;

double residentPeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// Closes the data as the user does: "Close", then "End of the data file processing?" answered Yes.
void closeData(TFormQuibo &form, ScriptedDialogs &dialogs)
{
    QObject closer;
    form.BtnCloseClick(&closer);
    dialogs.expectMessage(QStringLiteral("End of the data file processing?"), ui::mrYes);
    form.BtnCloseClick(form.findChild<QObject *>(QStringLiteral("BtnClose")));
}

// Arguments: lines of 100 values; 1 with the LOG-transformation (the default), 0 without.
void BM_OpenAndAnalyse(benchmark::State &state)
{
    const auto lines = int(state.range(0));
    QTemporaryDir dir;
    const QString path = writeSampleFile(dir, lines);
    TFormQuibo form;
    form.SetLogTransformation(state.range(1) != 0);
    // An open before the timed ones takes what the first open in the process sets up (the worker
    // threads, the allocator's arenas, the file in the page cache): each variant measures its own
    // work, whichever runs first.
    {
        ScriptedDialogs dialogs;
        dialogs.expectFile(path);
        form.BtnOpenClick();
        closeData(form, dialogs);
    }
    for (auto _ : state) {
        ScriptedDialogs dialogs;
        dialogs.expectFile(path);
        form.BtnOpenClick();
        state.PauseTiming();
        if (form.Differences().size() != size_t(lines) * kValuesPerLine - 1)
            state.SkipWithError("the file was not analysed");
        closeData(form, dialogs);
        state.ResumeTiming();
    }
    state.counters["peak_resident_MB"] = residentPeakMegabytes();
}
// A million values with and without LOG, then ten million (run that one alone for its peak
// resident size).
BENCHMARK(BM_OpenAndAnalyse)
    ->ArgNames({"lines", "log"})
    ->Args({kLines, 1})
    ->Args({kLines, 0})
    ->Args({10 * kLines, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// The reading alone, with (1) and without (0) the LOG-transformation, as the open command reads.
void BM_ReadTextData(benchmark::State &state)
{
    QTemporaryDir dir;
    QFile file(writeSampleFile(dir));
    if (!file.open(QIODevice::ReadOnly)) {
        state.SkipWithError("no file");
        return;
    }
    const QByteArray text = file.readAll();
    for (auto _ : state) {
        const TextDataFile data = ReadTextData(text, state.range(0) != 0);
        benchmark::DoNotOptimize(data.items.data());
    }
}
BENCHMARK(BM_ReadTextData)->ArgName("log")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_OrderValuesAndDifferences(benchmark::State &state)
{
    const size_t count = size_t(state.range(0));
    const std::vector<double> values = sampleValues(count, 7);
    std::vector<TDataItem> items(count / kValuesPerLine);
    for (size_t i = 0; i < items.size(); ++i) {
        TDataItem &item = items[i];
        item.Values.assign(values.begin() + long(i * kValuesPerLine), values.begin() + long((i + 1) * kValuesPerLine));
        item.Count = kValuesPerLine;
        item.Used = true;
    }
    for (auto _ : state) {
        std::vector<TValueRef> ordered = OrderValues(items);
        std::vector<TDifference> differences = OrderDifferences(items, ordered);
        benchmark::DoNotOptimize(differences.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(count));
}
// One ordering per repetition; with --benchmark_repetitions=N the "_min" row is the best of N,
// the statistic the numpy comparison takes.
BENCHMARK(BM_OrderValuesAndDifferences)
    ->Arg(1000000)
    ->Iterations(1)
    ->ComputeStatistics("min", [](const std::vector<double> &v) { return *std::min_element(v.begin(), v.end()); })
    ->Unit(benchmark::kMillisecond);

} // namespace

