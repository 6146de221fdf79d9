// Drawing of a regression into a chart; kept apart so that the computing unit needs no widgets.

#include "Ustatistics.h"

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

void TStatistics::DrawToChart(chart::TChart &Chart, bool ShowData)
{
    if (ShowData)
        Chart.AddSeries(dataSeries(Chart, FPoints));
    if (!FComputed) {
        WarnNotCalculated();
        return;
    }
    if (!HasPolynomial())
        return;
    auto *curve = new chart::TLineSeries(&Chart);
    curve->SetSeriesColor(Qt::red);
    curve->SetTitle(QStringLiteral("Regression (%1)").arg(FOrder));
    std::vector<double> xs, ys;
    for (long double x : CurveXs()) {
        xs.push_back(double(x));
        ys.push_back(double(Evaluate(x)));
    }
    curve->SetPoints(std::move(xs), std::move(ys));
    Chart.AddSeries(curve);
}
