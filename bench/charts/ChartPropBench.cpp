// Commands of the chart properties dialog on large series, through the dialog's handlers with
// scripted answers: a point series of many points turned into arrows, alone and with the first
// drawing of the arrows (which rasterising the overlapping arrows dominates).
// Run: build/bench/bench_charts

#include "charts/FChartProp.h"

#include "ScriptedDialogs.h"

#include "platform/chart/Chart.h"

#include <QListWidget>

#include <benchmark/benchmark.h>

namespace {

void BM_PointToArrow(benchmark::State &state)
{
    const auto points = int(state.range(0));
    const bool draw = state.range(1) != 0;
    chart::TChart chart;
    chart.resize(900, 560);
    TFormChartProp form;
    form.SetChart(&chart);
    for (auto _ : state) {
        state.PauseTiming();
        chart.FreeAllSeries();
        auto *series = new chart::TPointSeries(chart.SeriesOwner());
        std::vector<double> x(static_cast<size_t>(points)), y(static_cast<size_t>(points));
        for (int i = 0; i < points; ++i)
            x[size_t(i)] = i, y[size_t(i)] = (i * 7919) % 1000;
        series->SetPoints(std::move(x), std::move(y));
        chart.AddSeries(series);
        form.FormActivate();
        form.findChild<QListWidget *>(QStringLiteral("ListSeries"))->setCurrentRow(0);
        form.ListSeriesClick();
        form.PopupSeriesPopup();
        ScriptedDialogs dialogs;
        for (const char *answer : {"0", "0", "2", "1"})
            dialogs.expectInput(QLatin1String(answer));
        state.ResumeTiming();
        form.Pointtoarrow1Click();
        if (draw)
            benchmark::DoNotOptimize(chart.ToImage().constBits());
        state.PauseTiming();
        if (chart.SeriesCount() != 1 || chart.Series(0)->Count() != points)
            state.SkipWithError("no arrows");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PointToArrow)
    ->ArgNames({"points", "draw"})
    ->ArgsProduct({{16000, 32000, 100000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace
