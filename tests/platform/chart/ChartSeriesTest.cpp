// The chart's series list and the points of a series as the drawing sees them.

#include "platform/chart/Chart.h"
#include "platform/rtl/SysUtils.h"

#include <qcustomplot.h>

#include <QPointer>

#include <cmath>

#include <gtest/gtest.h>

using namespace chart;

namespace {

TPointSeries *pointSeries(QObject *owner, const QString &name)
{
    auto *series = new TPointSeries(owner);
    series->SetName(name);
    return series;
}

std::vector<double> graphKeys(const TChartSeries &series)
{
    std::vector<double> keys;
    for (const QCPGraphData &point : *series.graph()->data())
        keys.push_back(point.key);
    return keys;
}

} // namespace

TEST(ChartSeriesList, KeepsTheOrderOfAdding)
{
    TChart chart;
    QObject owner;
    TPointSeries *a = pointSeries(&owner, "a"), *b = pointSeries(&owner, "b");
    auto *c = new TLineSeries(&owner);
    chart.AddSeries(a);
    chart.AddSeries(c);
    chart.AddSeries(b);
    chart.AddSeries(a); // already in: stays where it is
    ASSERT_EQ(chart.SeriesCount(), 3);
    EXPECT_EQ(chart.Series(0), a);
    EXPECT_EQ(chart.Series(1), c);
    EXPECT_EQ(chart.Series(2), b);
    EXPECT_EQ(chart.Series(3), nullptr);
    EXPECT_EQ(chart.IndexOfSeries(b), 2);
    EXPECT_EQ(a->ParentChart(), &chart);
}

TEST(ChartSeriesList, RemovingKeepsTheSeriesAndFreeingLeavesTheChart)
{
    TChart chart;
    QObject owner;
    TPointSeries *a = pointSeries(&owner, "a"), *b = pointSeries(&owner, "b");
    chart.AddSeries(a);
    chart.AddSeries(b);
    chart.RemoveSeries(a);
    EXPECT_EQ(chart.SeriesCount(), 1);
    EXPECT_EQ(a->ParentChart(), nullptr);
    EXPECT_EQ(a->Name(), "a");
    delete b;
    EXPECT_EQ(chart.SeriesCount(), 0);
    EXPECT_EQ(chart.plot()->graphCount(), 0);
}

TEST(ChartSeriesList, SeriesMovesBetweenCharts)
{
    TChart first, second;
    QObject owner;
    TPointSeries *a = pointSeries(&owner, "a");
    a->AddXY(1, 2);
    first.AddSeries(a);
    second.AddSeries(a);
    EXPECT_EQ(first.SeriesCount(), 0);
    EXPECT_EQ(first.plot()->graphCount(), 0);
    ASSERT_EQ(second.SeriesCount(), 1);
    EXPECT_EQ(a->graph()->data()->size(), 1);
}

TEST(ChartSeriesList, FreeAllSeriesFreesThemAll)
{
    TChart chart;
    QObject owner;
    QPointer<TChartSeries> a = pointSeries(&owner, "a"), b = new TLineSeries(&owner);
    chart.AddSeries(a);
    chart.AddSeries(b);
    chart.FreeAllSeries();
    EXPECT_TRUE(a.isNull());
    EXPECT_TRUE(b.isNull());
    EXPECT_EQ(chart.SeriesCount(), 0);
}

// Freed series leave their graphs to new ones: nothing of an arrow or shape series may show in the
// point series drawn by its graph next.
TEST(ChartSeriesList, SeriesDrawnByAFreedSeriesGraphShowsOnlyItself)
{
    TChart chart;
    chart.resize(400, 300);
    // Pixels of a colour within 3 pixels of a data point (the arrow's middle, the shape's left edge).
    const auto pixelsNear = [&chart](const QImage &image, double x, double y, const QColor &color) {
        const int px = int(chart.plot()->xAxis->coordToPixel(x)), py = int(chart.plot()->yAxis->coordToPixel(y));
        int count = 0;
        for (int dy = -3; dy <= 3; ++dy)
            for (int dx = -3; dx <= 3; ++dx)
                count += image.pixelColor(px + dx, py + dy) == color;
        return count;
    };
    QObject owner;
    auto *arrows = new TArrowSeries(&owner);
    arrows->SetSeriesColor(Qt::red);
    arrows->AddArrow(0, 0, 10, 10);
    auto *shape = new TChartShape(&owner);
    shape->SetSeriesColor(Qt::red);
    shape->SetBounds(2, 2, 8, 8);
    chart.AddSeries(arrows);
    chart.AddSeries(shape);
    QImage image = chart.ToImage();
    ASSERT_GT(pixelsNear(image, 5, 5, Qt::red), 0);
    ASSERT_GT(pixelsNear(image, 2, 5, Qt::red), 0);

    chart.FreeAllSeries();
    for (const double at : {0.0, 2.0}) {
        TPointSeries *points = pointSeries(&owner, QStringLiteral("p"));
        points->SetSeriesColor(Qt::blue);
        points->SetPoints({at, 10 - at}, {at, 10 - at});
        chart.AddSeries(points);
    }
    image = chart.ToImage();
    EXPECT_EQ(pixelsNear(image, 5, 5, Qt::blue), 0) << "an arrow between the points";
    EXPECT_EQ(pixelsNear(image, 2, 5, Qt::blue), 0) << "a rectangle between the points";
    EXPECT_GT(pixelsNear(image, 2, 2, Qt::blue), 0) << "the points themselves";
}

// Series that look alike and follow each other in x, as the items of the cases view, may share
// their drawing: each still shows in its own colour, leaves alone, and stays in the drawing order
// (a line added after them is drawn over them).
TEST(ChartSeriesList, SeriesOfOneLookKeepTheirOwnColourAndOrder)
{
    TChart chart;
    chart.resize(400, 300);
    const auto pixelAt = [&chart](const QImage &image, double x, double y) {
        return image.pixelColor(int(std::round(chart.plot()->xAxis->coordToPixel(x))),
                                int(std::round(chart.plot()->yAxis->coordToPixel(y))));
    };
    QObject owner;
    std::vector<TPointSeries *> items;
    for (int i = 0; i < 5; ++i) {
        TPointSeries *item = pointSeries(&owner, QStringLiteral("Data%1").arg(i));
        item->SetSeriesColor(Qt::black);
        TSeriesPointer square;
        square.HorizSize = 9;
        square.VertSize = 9;
        item->SetPointer(square);
        item->SetPoints({double(i), double(i)}, {1, 3});
        chart.AddSeries(item);
        items.push_back(item);
    }
    auto *line = new TLineSeries(&owner);
    line->SetSeriesColor(Qt::green);
    line->SetPoints({0, 4}, {1, 1});
    chart.AddSeries(line);
    QImage image = chart.ToImage();
    ASSERT_EQ(pixelAt(image, 2, 3), QColor(Qt::black));
    ASSERT_EQ(pixelAt(image, 2, 1), QColor(Qt::green));

    items[1]->SetSeriesColor(Qt::red);
    items[2]->SetActive(false);
    image = chart.ToImage();
    EXPECT_EQ(pixelAt(image, 1, 3), QColor(Qt::red));
    EXPECT_EQ(pixelAt(image, 0, 3), QColor(Qt::black));
    EXPECT_NE(pixelAt(image, 2, 3), QColor(Qt::black)) << "an inactive item is not drawn";
    EXPECT_EQ(pixelAt(image, 3, 3), QColor(Qt::black));
    for (const double x : {0.0, 1.0, 3.0, 4.0})
        EXPECT_EQ(pixelAt(image, x, 1), QColor(Qt::green)) << "the line stays over item " << x;

    items[3]->AddXY(3, 2);
    delete items[4];
    image = chart.ToImage();
    EXPECT_EQ(pixelAt(image, 3, 2), QColor(Qt::black));
    EXPECT_EQ(pixelAt(image, 3, 3), QColor(Qt::black));
    EXPECT_NE(pixelAt(image, 4, 3), QColor(Qt::black)) << "a freed item is not drawn";
    EXPECT_EQ(pixelAt(image, 1, 3), QColor(Qt::red));
    for (const double x : {0.0, 3.0})
        EXPECT_EQ(pixelAt(image, x, 1), QColor(Qt::green)) << "the line stays over item " << x;
}

// Arrows reach the drawing once per drawing, however many were added or moved since.
TEST(ChartSeriesList, ArrowsAddedOrMovedAfterADrawingAreDrawnAnew)
{
    TChart chart;
    chart.resize(400, 300);
    // Reddish pixels (the lines are antialiased) within 3 pixels of a point.
    const auto redNear = [&chart](const QImage &image, double x, double y) {
        const int px = int(chart.plot()->xAxis->coordToPixel(x)), py = int(chart.plot()->yAxis->coordToPixel(y));
        int count = 0;
        for (int dy = -3; dy <= 3; ++dy) {
            for (int dx = -3; dx <= 3; ++dx) {
                const QColor c = image.pixelColor(px + dx, py + dy);
                count += c.red() > 200 && c.green() < 160 && c.green() == c.blue();
            }
        }
        return count;
    };
    auto *arrows = new TArrowSeries(&chart);
    arrows->SetSeriesColor(Qt::red);
    arrows->AddArrow(0, 0, 10, 10);
    chart.AddSeries(arrows);
    QImage image = chart.ToImage();
    ASSERT_GT(redNear(image, 5, 5), 0);
    arrows->AddArrow(0, 4, 10, 4);
    arrows->SetEndPoint(0, 10, 5);
    image = chart.ToImage();
    EXPECT_EQ(redNear(image, 5, 5), 0) << "the first arrow moved";
    EXPECT_GT(redNear(image, 6, 3), 0);
    EXPECT_GT(redNear(image, 5, 4), 0) << "the arrow added later";
}

TEST(ChartSeriesList, SeriesOutlivingItsChartForgetsIt)
{
    QObject owner;
    TPointSeries *a = pointSeries(&owner, "a");
    {
        TChart chart;
        chart.AddSeries(a);
    }
    EXPECT_EQ(a->ParentChart(), nullptr);
    EXPECT_EQ(a->graph(), nullptr);
    a->AddXY(1, 1); // must not touch the freed chart
    EXPECT_EQ(a->Count(), 1);
}

TEST(ChartSeriesPoints, PointsOutOfOrderAreDrawnInXOrderAndMapBack)
{
    TChart chart;
    TPointSeries *series = pointSeries(&chart, "s");
    chart.AddSeries(series);
    series->AddXY(1, 10);
    series->AddXY(3, 30);
    series->AddXY(2, 20); // out of order
    series->AddXY(2, 21); // equal x keeps the order of adding
    chart.ToImage();
    EXPECT_EQ(graphKeys(*series), (std::vector<double>{1, 2, 2, 3}));
    EXPECT_EQ(series->ValueIndexOfDataIndex(0), 0);
    EXPECT_EQ(series->ValueIndexOfDataIndex(1), 2);
    EXPECT_EQ(series->ValueIndexOfDataIndex(2), 3);
    EXPECT_EQ(series->ValueIndexOfDataIndex(3), 1);
    EXPECT_EQ(series->ValueIndexOfDataIndex(4), -1);
    EXPECT_EQ(series->XValue(2), 2);
    EXPECT_EQ(series->YValue(2), 20);
}

TEST(ChartSeriesPoints, EqualXValuesKeepTheirOrder)
{
    TChart chart;
    TPointSeries *series = pointSeries(&chart, "Data3");
    series->SetPoints({3, 3, 3, 3}, {9, 1, 5, 1});
    chart.AddSeries(series);
    chart.ToImage();
    std::vector<double> values;
    for (const QCPGraphData &point : *series->graph()->data())
        values.push_back(point.value);
    EXPECT_EQ(values, (std::vector<double>{9, 1, 5, 1}));
}

TEST(ChartSeriesPoints, SetPointsPadsMissingYWithZero)
{
    TPointSeries series(nullptr);
    series.SetPoints({1, 2, 3}, {5});
    ASSERT_EQ(series.Count(), 3);
    EXPECT_EQ(series.YValue(2), 0);
}

TEST(ChartAxes, FollowTheDataWithRoomForThePointers)
{
    TChart chart;
    chart.resize(400, 300);
    TPointSeries *series = pointSeries(&chart, "s");
    TSeriesPointer pointer;
    pointer.HorizSize = 8;
    pointer.VertSize = 1;
    series->SetPointer(pointer);
    series->SetPoints({0, 1, 2, 3, 4}, {10, 11, 12, 13, 20});
    chart.AddSeries(series);
    chart.ToImage();
    const QCPRange x = chart.plot()->xAxis->range(), y = chart.plot()->yAxis->range();
    EXPECT_LT(x.lower, 0);
    EXPECT_GT(x.lower, -0.5);
    EXPECT_GT(x.upper, 4);
    EXPECT_LT(x.upper, 4.5);
    EXPECT_LT(y.lower, 10);
    EXPECT_GT(y.upper, 20);
}

TEST(ChartAxes, BarsStandOnZeroAndShowWhole)
{
    TChart chart;
    chart.resize(400, 300);
    auto *bars = new TBarSeries(&chart);
    bars->SetBarWidthPercent(100);
    bars->SetSeriesColor(Qt::blue);
    bars->SetPoints({0.05, 0.15, 0.25, 0.35}, {2.5, 5, 1, 2.5});
    chart.AddSeries(bars);
    const QImage image = chart.ToImage();
    const QCPRange x = chart.plot()->xAxis->range(), y = chart.plot()->yAxis->range();
    EXPECT_NEAR(x.lower, 0.0, 1e-12) << "half a bar left of the first centre";
    EXPECT_NEAR(x.upper, 0.4, 1e-12);
    EXPECT_DOUBLE_EQ(y.lower, 0.0);
    EXPECT_DOUBLE_EQ(y.upper, 5.0);
    // Bars touch: the middle of the plot, between two bar centres at low height, is filled.
    const double px = chart.plot()->xAxis->coordToPixel(0.2), py = chart.plot()->yAxis->coordToPixel(0.5);
    const QColor inside = image.pixelColor(int(px) + 3, int(py));
    EXPECT_EQ(inside, QColor(Qt::blue));
}

TEST(ChartLegend, HidingGivesThePlotTheWidth)
{
    TChart chart;
    chart.resize(500, 300);
    TPointSeries *series = pointSeries(&chart, "s");
    series->SetTitle(QStringLiteral("A rather long legend title"));
    series->AddXY(1, 1);
    chart.AddSeries(series);
    chart.ToImage();
    const int withLegend = chart.plot()->axisRect()->width();
    const QRect legendPlace(chart.plot()->axisRect()->outerRect().right() + 5, 5, 60, 20);
    chart.SetLegendVisible(false);
    const QImage hidden = chart.ToImage();
    EXPECT_GT(chart.plot()->axisRect()->width(), withLegend + 50);
    int black = 0; // a hidden legend must not be drawn where it stood
    for (int y = legendPlace.top(); y <= legendPlace.bottom(); ++y) {
        for (int x = legendPlace.left(); x <= legendPlace.right(); ++x)
            black += hidden.pixelColor(x, y) == QColor(Qt::black);
    }
    EXPECT_EQ(black, 0);
    chart.SetLegendVisible(true);
    chart.ToImage();
    EXPECT_EQ(chart.plot()->axisRect()->width(), withLegend);
}

TEST(ChartLegend, ThousandsOfSeriesDrawOnlyWhatFits)
{
    TChart chart;
    chart.resize(500, 300);
    for (int i = 0; i < 3000; ++i) {
        TPointSeries *series = pointSeries(&chart, QStringLiteral("Data%1").arg(i));
        series->SetTitle(i == 2999 ? QString(400, QLatin1Char('W')) : QStringLiteral("Item%1").arg(i));
        series->AddXY(i, i % 7);
        chart.AddSeries(series);
    }
    chart.ToImage();
    // The last title would take the whole width; it is not among the titles that fit.
    EXPECT_GT(chart.plot()->axisRect()->width(), 300);
}

TEST(ChartLegend, LongTitlesTakeAtMostAThirdOfTheWidth)
{
    TChart chart;
    chart.resize(900, 400);
    for (int i = 0; i < 365; ++i) {
        TPointSeries *series = pointSeries(&chart, QStringLiteral("Data%1").arg(i));
        QStringList letters(24, QStringLiteral("A"));
        series->SetTitle(QStringLiteral("2023-%1 [").arg(i + 1, 3, 10, QLatin1Char('0')) + letters.join(u';') + u']');
        series->AddXY(i, i % 24);
        chart.AddSeries(series);
    }
    chart.ToImage();
    EXPECT_GE(chart.plot()->axisRect()->outerRect().width(), 590) << "the plot keeps two thirds, less the spacing";
}

TEST(ChartAxes, OutermostPointsStayOffTheFrameAndAnEmptyChartForgetsTheRange)
{
    TChart chart;
    chart.resize(400, 300);
    const QCPRange emptyX = chart.plot()->xAxis->range();
    TPointSeries *series = pointSeries(&chart, "s");
    TSeriesPointer dash;
    dash.HorizSize = 8;
    dash.VertSize = 1;
    series->SetPointer(dash);
    series->SetPoints({1000, 2000}, {-50, 70});
    chart.AddSeries(series);
    chart.ToImage();
    const QCPAxisRect *area = chart.plot()->axisRect();
    // The dash reaches 4 pixels either side of its point; a few more stay free.
    EXPECT_GE(chart.plot()->xAxis->coordToPixel(1000) - area->left(), 4 + 3);
    EXPECT_GE(area->right() - chart.plot()->xAxis->coordToPixel(2000), 4 + 3);
    EXPECT_GE(area->bottom() - chart.plot()->yAxis->coordToPixel(-50), 1 + 3);
    EXPECT_GE(chart.plot()->yAxis->coordToPixel(70) - area->top(), 1 + 3);

    chart.FreeAllSeries();
    chart.ToImage();
    EXPECT_EQ(chart.plot()->xAxis->range(), emptyX) << "no range of data that has gone";
}

TEST(ChartAxes, LabelsUseTheLocalesDecimalSeparator)
{
    const QLocale before = rtl::FormatLocale();
    rtl::SetFormatLocale(QLocale(QLocale::Czech));
    TChart chart;
    chart.resize(400, 300);
    TPointSeries *series = pointSeries(&chart, "s");
    series->SetPoints({0, 1.5}, {0.1, 0.145});
    chart.AddSeries(series);
    chart.ToImage();
    rtl::SetFormatLocale(before);
    const QStringList labels = chart.plot()->yAxis->tickVectorLabels().toList();
    ASSERT_FALSE(labels.isEmpty());
    for (const QString &label : labels)
        EXPECT_FALSE(label.contains(u'.')) << label.toStdString();
    EXPECT_TRUE(labels.join(u' ').contains(u',')) << labels.join(u' ').toStdString();
}
