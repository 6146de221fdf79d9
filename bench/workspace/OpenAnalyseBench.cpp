// Opening and analysing a large text data file, and the ordering core on its own.
// Run: build/bench/bench_workspace [--benchmark_filter=...]
// The ordering core is compared with numpy by bench/workspace/compare_numpy.sh.

#include "workspace/FQuibo.h"
#include "workspace/OrderedDifferences.h"

#include "BenchData.h"
#include "ScriptedDialogs.h"

#include "platform/rtl/SysUtils.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

using namespace bench;

double residentPeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void BM_OpenAndAnalyseMillionValues(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = writeSampleFile(dir);
    TFormQuibo form;
    for (auto _ : state) {
        ScriptedDialogs dialogs;
        dialogs.expectFile(path);
        form.BtnOpenClick();
        state.PauseTiming();
        if (form.Differences().size() != size_t(kLines) * kValuesPerLine - 1)
            state.SkipWithError("the file was not analysed");
        QObject closer;
        form.BtnCloseClick(&closer);
        dialogs.expectMessage(QStringLiteral("End of the data file processing?"), ui::mrYes);
        form.BtnCloseClick(form.findChild<QObject *>(QStringLiteral("BtnClose")));
        state.ResumeTiming();
    }
    state.counters["peak_resident_MB"] = residentPeakMegabytes();
}
BENCHMARK(BM_OpenAndAnalyseMillionValues)->Unit(benchmark::kMillisecond)->Iterations(3);

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
BENCHMARK(BM_OrderValuesAndDifferences)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace

