#include "AnalysisChart.h"

#include "Analysis.h"

#include "platform/chart/Chart.h"
#include "platform/chart/Color.h"
#include "platform/rtl/Random.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <numeric>

namespace {

// Half-open [0.5, 1) draws give limit lines light, distinct colours.
double RandomHalf() { return (rtl::Random() + 1.0) / 2.0; }

// Black rectangles 8 wide and 1 high: short horizontal dashes.
chart::TPointSeries *NewDataSeries(QObject *owner)
{
    auto *series = new chart::TPointSeries(owner);
    series->SetSeriesColor(Qt::black);
    chart::TSeriesPointer pointer;
    pointer.Style = chart::TSeriesPointerStyle::psRectangle;
    pointer.HorizSize = 8;
    pointer.VertSize = 1;
    series->SetPointer(pointer);
    return series;
}

// The item's identifier and the class letters of its values: "Id [A;A;B]", written into one
// block (a million items make a million titles).
QString CasesTitle(const TDataItem &item)
{
    const qsizetype letters = item.Count > 0 ? 2 * item.Count - 1 : 0;
    QString title(item.Id.size() + 3 + letters, Qt::Uninitialized);
    QChar *at = std::copy(item.Id.cbegin(), item.Id.cend(), title.data());
    *at++ = QLatin1Char(' ');
    *at++ = QLatin1Char('[');
    const size_t known = std::min(size_t(item.Count), item.Classes.size());
    for (size_t j = 0; j < size_t(item.Count); ++j) {
        if (j > 0)
            *at++ = QLatin1Char(';');
        *at++ = j < known ? QChar(u'A' + item.Classes[j]) : QChar(u'?');
    }
    *at = QLatin1Char(']');
    return title;
}

// "Data" and the item's index in one allocation, without a string for the number alone: a
// million series make a million names.
QString DataSeriesName(int index)
{
    constexpr QLatin1String prefix("Data");
    char digits[12];
    const char *end = std::to_chars(std::begin(digits), std::end(digits), index).ptr;
    QString name(prefix.size() + (end - digits), Qt::Uninitialized);
    QChar *out = name.data();
    for (const char c : prefix)
        *out++ = QLatin1Char(c);
    for (const char *c = digits; c != end; ++c)
        *out++ = QLatin1Char(*c);
    return name;
}

} // namespace

void DrawDistributionView(chart::TChart &chart, const TAnalysis &analysis)
{
    chart::TPointSeries *series = NewDataSeries(chart.SeriesOwner());
    std::vector<double> x(analysis.OrderedValues().size());
    std::iota(x.begin(), x.end(), 0.0);
    series->SetPoints(std::move(x), analysis.OrderedValues());
    chart.SetLegendVisible(false);
    chart.AddSeries(series);
}

void DrawCasesView(chart::TChart &chart, const TAnalysis &analysis)
{
    for (int i = 0; i < analysis.ItemCount(); ++i) {
        const TDataItem &item = analysis.Items()[size_t(i)];
        if (!item.Used || item.Count == 0)
            continue;
        chart::TPointSeries *series = NewDataSeries(chart.SeriesOwner());
        series->SetName(DataSeriesName(i));
        series->SetTitle(CasesTitle(item));
        series->SetPoints(std::vector<double>(item.Count, double(i)), item.Values);
        chart.AddSeries(series);
    }
    chart.SetLegendVisible(true);
}

chart::TLineSeries *NewLimitLine(QObject *owner, const TAnalysis &analysis, int row, TLimitSpan span, const QColor &color)
{
    const int32_t k = analysis.Differences()[size_t(row)].Position;
    const double level = analysis.LimitLevel(row);
    auto *series = new chart::TLineSeries(owner);
    series->SetSeriesColor(color);
    const QString below = QString::number(k - 1), above = QString::number(k);
    series->SetName(QStringLiteral("Limit_") + below + QLatin1Char('_') + above);
    series->SetTitle(QStringLiteral("Limit ") + below + QLatin1Char('/') + above);
    series->AddXY(0, level);
    if (span == TLimitSpan::Distribution)
        series->AddXY(double(analysis.Ordered().size()) - 1, level);
    else if (span == TLimitSpan::Cases)
        series->AddXY(double(analysis.ItemCount()) - 1, level);
    return series;
}

QColor RandomLimitColor()
{
    const double h1 = RandomHalf(), h2 = RandomHalf(), h3 = RandomHalf();
    return chart::ColorFromTColor(int64_t(((h1 * 256 + h2) * 256 + h3) * 256));
}
