// Opening and analysing a large text data file, and the ordering core on its own.
// Run: build/bench/bench_workspace [--benchmark_filter=...]
// The ordering core is compared with numpy by bench/workspace/compare_numpy.sh.

#include "workspace/FQuibo.h"
#include "workspace/OrderedDifferences.h"

#include "ScriptedDialogs.h"

#include "platform/rtl/SysUtils.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <random>
#include <sys/resource.h>

namespace {

constexpr int kLines = 10000;
constexpr int kValuesPerLine = 100;

// Values with two decimals from a mixture of three groups, so that ties are frequent.
std::vector<double> sampleValues(size_t count, uint32_t seed)
{
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<double> values(count);
    for (size_t i = 0; i < count; ++i)
        values[i] = std::round((20.0 * double(i % 3) + 5.0 * noise(random)) * 100.0) / 100.0 + 100.0;
    return values;
}

QString writeSampleFile(const QTemporaryDir &dir)
{
    const std::vector<double> values = sampleValues(size_t(kLines) * kValuesPerLine, 42);
    QByteArray text;
    text.reserve(int(values.size()) * 8);
    for (int line = 0; line < kLines; ++line) {
        text += "item" + QByteArray::number(line);
        for (int j = 0; j < kValuesPerLine; ++j)
            text += ';' + QByteArray::number(values[size_t(line) * kValuesPerLine + size_t(j)], 'f', 2);
        text += '\n';
    }
    const QString path = dir.filePath(QStringLiteral("million.csv"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return path;
}

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

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    rtl::SetFormatLocale(QLocale::c());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
