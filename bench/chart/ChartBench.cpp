// Drawing the two views of the main chart offscreen at a usual window size: the distribution of a
// million values in one point series, and ten (and a hundred) thousand data items as one series
// each. "Build" cases free the old series and make the new ones first, as a view switch does.

#include "platform/chart/Chart.h"

#include "DashSeries.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr QSize kChartSize(900, 560);

void buildDistribution(chart::TChart &chart, int values)
{
    std::mt19937_64 random(7);
    std::normal_distribution<double> normal(100, 15);
    std::vector<double> x(static_cast<size_t>(values)), y(static_cast<size_t>(values));
    for (size_t k = 0; k < y.size(); ++k)
        x[k] = double(k), y[k] = normal(random);
    std::sort(y.begin(), y.end());
    chart.FreeAllSeries();
    chart::TPointSeries *series = newDashSeries(chart.SeriesOwner());
    series->SetPoints(std::move(x), std::move(y));
    chart.SetLegendVisible(false);
    chart.AddSeries(series);
}

void buildCases(chart::TChart &chart, int items, int valuesPerItem)
{
    std::mt19937_64 random(7);
    std::normal_distribution<double> normal(100, 15);
    chart.FreeAllSeries();
    for (int i = 0; i < items; ++i) {
        chart::TPointSeries *series = newDashSeries(chart.SeriesOwner());
        series->SetName(QStringLiteral("Data%1").arg(i));
        std::vector<double> values(static_cast<size_t>(valuesPerItem));
        for (double &v : values)
            v = normal(random);
        series->SetTitle(QStringLiteral("Item%1 [A;A;B]").arg(i));
        std::vector<double> x(values.size(), double(i));
        series->SetPoints(std::move(x), std::move(values));
        chart.AddSeries(series);
    }
    chart.SetLegendVisible(true);
}

void draw(benchmark::State &state, chart::TChart &chart)
{
    const QImage image = chart.ToImage();
    if (image.size() != kChartSize || chart.SeriesCount() == 0 || chart.Series(0)->Count() == 0)
        state.SkipWithError("nothing drawn");
    benchmark::DoNotOptimize(image.constBits());
}

void BM_DistributionView_BuildAndDraw(benchmark::State &state)
{
    chart::TChart chart;
    chart.resize(kChartSize);
    for (auto _ : state) {
        buildDistribution(chart, int(state.range(0)));
        draw(state, chart);
    }
}
BENCHMARK(BM_DistributionView_BuildAndDraw)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_DistributionView_Draw(benchmark::State &state)
{
    chart::TChart chart;
    chart.resize(kChartSize);
    buildDistribution(chart, int(state.range(0)));
    for (auto _ : state)
        draw(state, chart);
}
BENCHMARK(BM_DistributionView_Draw)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_CasesView_BuildAndDraw(benchmark::State &state)
{
    chart::TChart chart;
    chart.resize(kChartSize);
    for (auto _ : state) {
        buildCases(chart, int(state.range(0)), 5);
        draw(state, chart);
    }
}
BENCHMARK(BM_CasesView_BuildAndDraw)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

void BM_CasesView_Draw(benchmark::State &state)
{
    chart::TChart chart;
    chart.resize(kChartSize);
    buildCases(chart, int(state.range(0)), 5);
    for (auto _ : state)
        draw(state, chart);
}
BENCHMARK(BM_CasesView_Draw)->Arg(10'000)->Unit(benchmark::kMillisecond);

void BM_CasesView_EnhancedMetafile(benchmark::State &state)
{
    chart::TChart chart;
    chart.resize(kChartSize);
    buildCases(chart, int(state.range(0)), 5);
    for (auto _ : state)
        benchmark::DoNotOptimize(chart.ToMetafile(chart::MetafileFormat::Emf).size());
}
BENCHMARK(BM_CasesView_EnhancedMetafile)->Arg(10'000)->Unit(benchmark::kMillisecond);

} // namespace
