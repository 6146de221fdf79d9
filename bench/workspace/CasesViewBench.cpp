// The main window's cases view of a large text data file: one series per item (5 values each),
// built by the view's handler and drawn once. The view is built as the automation read builds
// it; "view_MB" is the resident size the built view adds.
// Run: build/bench/bench_workspace --benchmark_filter=BM_CasesView

#include "workspace/FQuibo.h"

#include "ScriptedDialogs.h"

#include "platform/chart/Chart.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <fstream>

namespace {

constexpr int kValuesPerItem = 5;

double residentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double residentPeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

QString writeItems(const QTemporaryDir &dir, int items)
{
    QByteArray text;
    text.reserve(items * 40);
    for (int i = 0; i < items; ++i) {
        text += "item" + QByteArray::number(i);
        for (int j = 0; j < kValuesPerItem; ++j)
            text += ';' + QByteArray::number(100 + (i * 31 + j * 17) % 97 + j * 0.25, 'f', 2);
        text += '\n';
    }
    const QString path = dir.filePath(QStringLiteral("items.csv"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return {};
    return path;
}

void BM_CasesView(benchmark::State &state)
{
    const auto items = int(state.range(0));
    QTemporaryDir dir;
    const QString path = writeItems(dir, items);
    TFormQuibo form;
    form.resize(1024, 740);
    {
        ScriptedDialogs dialogs;
        dialogs.expectFile(path);
        form.BtnOpenClick();
    }
    auto *chart = form.findChild<chart::TChart *>(QStringLiteral("Chart1"));
    if (!chart || form.ItemCount() != items) {
        state.SkipWithError("the file was not read");
        return;
    }
    double viewMegabytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        form.RB_distributionClick(); // another view, as before a switch
        const double before = residentMegabytes();
        state.ResumeTiming();
        form.RB_CasesClick();
        benchmark::DoNotOptimize(chart->ToImage().constBits());
        state.PauseTiming();
        viewMegabytes = residentMegabytes() - before;
        if (chart->SeriesCount() != items)
            state.SkipWithError("the view was not built");
        state.ResumeTiming();
    }
    state.counters["view_MB"] = viewMegabytes;
    state.counters["peak_resident_MB"] = residentPeakMegabytes();
}
BENCHMARK(BM_CasesView)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
