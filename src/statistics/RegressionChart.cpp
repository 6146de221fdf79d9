#include "RegressionChart.h"

#include "platform/chart/Chart.h"

namespace {

chart::TPointSeries *dataSeries(chart::TChart &owner, const std::vector<TStatPoint> &points)
{
    auto *series = new chart::TPointSeries(&owner);
    series->SetSeriesColor(Qt::black);
    chart::TSeriesPointer pointer = series->Pointer();
    pointer.Style = chart::TSeriesPointerStyle::psCircle;
    series->SetPointer(pointer);
    series->SetTitle(QStringLiteral("Data"));
    std::vector<double> xs, ys;
    for (const TStatPoint &point : points) {
        xs.push_back(double(point.X));
        ys.push_back(double(point.Y));
    }
    series->SetPoints(std::move(xs), std::move(ys));
    return series;
}

} // namespace

void DrawRegressionToChart(const TStatistics &Statistics, chart::TChart &Chart, bool ShowData)
{
    if (ShowData)
        Chart.AddSeries(dataSeries(Chart, Statistics.Points()));
    if (!Statistics.FComputed) {
        TStatistics::WarnNotCalculated();
        return;
    }
    if (!Statistics.HasPolynomial())
        return;
    auto *curve = new chart::TLineSeries(&Chart);
    curve->SetSeriesColor(Qt::red);
    curve->SetTitle(QStringLiteral("Regression (%1)").arg(Statistics.FOrder));
    std::vector<double> xs, ys;
    for (long double x : Statistics.CurveXs()) {
        xs.push_back(double(x));
        ys.push_back(double(Statistics.Evaluate(x)));
    }
    curve->SetPoints(std::move(xs), std::move(ys));
    Chart.AddSeries(curve);
}
