// The chart's own properties as the drawing shows them: fixed axis ranges, label masks, the
// frame and what the legend lists.

#include "platform/chart/Chart.h"

#include "LocaleGuard.h"

#include <qcustomplot.h>

#include <QLayout>

#include <gtest/gtest.h>

#include <limits>

namespace {

class ChartProperties : public ::testing::Test
{
protected:
    ChartProperties() : locale(QLocale(QLocale::English, QLocale::UnitedStates))
    {
        chart.resize(500, 400);
        series = new chart::TLineSeries(&chart);
        series->SetTitle(QStringLiteral("data"));
        series->SetPoints({0, 10}, {0, 1000});
        chart.AddSeries(series);
    }
    void draw() { chart.ToImage(); }

    LocaleGuard locale;
    chart::TChart chart;
    chart::TLineSeries *series;
};

TEST_F(ChartProperties, FixedRangeHoldsOverTheDataAndAfterUndoingAZoom)
{
    chart.BottomAxis().SetAutomatic(false);
    chart.BottomAxis().SetMaximum(4);
    chart.BottomAxis().SetMinimum(2);
    draw();
    EXPECT_EQ(chart.plot()->xAxis->range(), QCPRange(2, 4));
    chart.plot()->xAxis->setRange(3, 3.5);
    chart.UndoZoom();
    draw();
    EXPECT_EQ(chart.plot()->xAxis->range(), QCPRange(2, 4));
    EXPECT_GE(chart.plot()->yAxis->range().upper, 1000); // the other axis still follows the data
}

TEST_F(ChartProperties, FixedRangeOfOneValueIsDrawnAroundItAndBoundsBeyondTheDrawingAreRefused)
{
    chart.LeftAxis().SetAutomatic(false);
    chart.LeftAxis().SetMaximum(5);
    chart.LeftAxis().SetMinimum(5);
    draw();
    const QCPRange drawn = chart.plot()->yAxis->range();
    EXPECT_LT(drawn.lower, 5);
    EXPECT_GT(drawn.upper, 5);
    EXPECT_DOUBLE_EQ(drawn.center(), 5);
    EXPECT_GT(drawn.upper, drawn.lower + 1e-6) << "the axis must show a span, not a point";

    chart.LeftAxis().SetMinimum(-1e249);
    chart.LeftAxis().SetMaximum(-1e249);
    draw();
    EXPECT_LT(chart.plot()->yAxis->range().lower, -1e249);
    EXPECT_GT(chart.plot()->yAxis->range().upper, -1e249);

    chart.BottomAxis().SetAutomatic(false);
    chart.BottomAxis().SetMaximum(1e249);
    chart.BottomAxis().SetMinimum(-1e249);
    draw();
    EXPECT_EQ(chart.plot()->xAxis->range(), QCPRange(-1e249, 1e249));
    for (const double beyond : {1e251, -1e251, 2e249}) {
        EXPECT_THROW(chart.BottomAxis().SetMaximum(beyond), chart::EAxisError) << beyond;
        EXPECT_THROW(chart.BottomAxis().SetMinimum(-beyond), chart::EAxisError) << beyond;
    }
    draw();
    EXPECT_EQ(chart.BottomAxis().Maximum(), 1e249);
    EXPECT_EQ(chart.plot()->xAxis->range(), QCPRange(-1e249, 1e249));
}

TEST_F(ChartProperties, LabelsFollowTheMaskAndTheIncrement)
{
    chart.LeftAxis().SetAutomatic(false);
    chart.LeftAxis().SetMaximum(1000);
    chart.LeftAxis().SetMinimum(0);
    chart.LeftAxis().SetIncrement(250);
    chart.LeftAxis().SetAxisValuesFormat(QStringLiteral("#,##0.0"));
    draw();
    EXPECT_EQ(chart.plot()->yAxis->tickVectorLabels(),
              (QVector<QString>{"0.0", "250.0", "500.0", "750.0", "1,000.0"}));
}

TEST_F(ChartProperties, BevelAndBorderMoveTheContentInward)
{
    draw();
    const QRect before = chart.plot()->axisRect()->outerRect();
    chart.SetBevelOuter(chart::TPanelBevel::bvRaised);
    chart.SetBevelWidth(4);
    chart.SetBorderVisible(true);
    draw();
    const QRect after = chart.plot()->axisRect()->outerRect();
    EXPECT_EQ(after.left(), before.left() + 5);
    EXPECT_EQ(after.top(), before.top() + 5);
}

TEST_F(ChartProperties, LegendListsActiveSeriesShownInTheLegend)
{
    chart.SetTitle({QStringLiteral("t")});
    draw();
    const int withEntry = chart.plot()->axisRect()->width();
    series->SetShowInLegend(false);
    draw();
    EXPECT_GT(chart.plot()->axisRect()->width(), withEntry); // an empty legend takes no room
    series->SetShowInLegend(true);
    series->SetActive(false);
    draw();
    EXPECT_GT(chart.plot()->axisRect()->width(), withEntry);
}

TEST_F(ChartProperties, HiddenTitleLeavesItsRowFree)
{
    chart.SetTitle({QStringLiteral("Title")});
    draw();
    const int top = chart.plot()->axisRect()->top();
    chart.SetTitleVisible(false);
    draw();
    EXPECT_LT(chart.plot()->axisRect()->top(), top);
    EXPECT_EQ(chart.Title(), QStringList{QStringLiteral("Title")});
}

// Texts at the largest size, long enough for no screen, are cut by the chart: its window
// keeps its size rather than growing to tens of thousands of pixels (and as many megabytes).
TEST_F(ChartProperties, HugeTextsLeaveTheWindowItsSize)
{
    chart.SetTitle({QString(60, QLatin1Char('W')), QStringLiteral("2"), QStringLiteral("3")});
    chart.SetTitleFont(chart::TChartFont{chart.TitleFont().Name, chart::TChartFont::MaxSize, true});
    series->SetTitle(QString(60, QLatin1Char('W')));
    chart.SetLegendFont(chart::TChartFont{chart.LegendFont().Name, chart::TChartFont::MaxSize});
    chart.layout()->activate();
    EXPECT_EQ(chart.size(), QSize(500, 400));
}

TEST_F(ChartProperties, WidthsNoChartCanDrawAreRefused)
{
    EXPECT_THROW(chart.SetLegendColorWidth(-1), chart::EChartError);
    EXPECT_THROW(chart.SetBevelWidth(0), chart::EChartError);
    // The legend's colour mark is twice the width in pixels; the frame takes two bevels.
    for (const int huge : {1 << 30, std::numeric_limits<int>::max()}) {
        EXPECT_THROW(chart.SetLegendColorWidth(huge), chart::EChartError) << huge;
        EXPECT_THROW(chart.SetBevelWidth(huge), chart::EChartError) << huge;
    }
    EXPECT_EQ(chart.LegendColorWidth(), 12);
    EXPECT_EQ(chart.BevelWidth(), 1);
    chart.SetLegendColorWidth(1000);
    chart.SetBevelWidth(1000);
    chart.SetBevelOuter(chart::TPanelBevel::bvRaised);
    chart.SetBevelInner(chart::TPanelBevel::bvLowered);
    chart.SetBorderVisible(true);
    draw();
}

} // namespace
