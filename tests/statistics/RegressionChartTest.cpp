// Drawing a regression: the data series, the sampled curve and its range.

#include "statistics/Ustatistics.h"

#include "ScriptedDialogs.h"

#include "platform/chart/Chart.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class RegressionChart : public ::testing::Test
{
protected:
    TStatistics withPoints(const std::vector<long double> &xs, const std::vector<long double> &ys)
    {
        TStatistics statistics;
        for (size_t i = 0; i < xs.size(); ++i)
            statistics.AddPoint(xs[i], ys[i]);
        return statistics;
    }

    ScriptedDialogs dialogs;
    chart::TChart chart;
};

} // namespace

TEST_F(RegressionChart, DrawsTheDataAndAStraightLineOverTheWidenedRange)
{
    TStatistics statistics = withPoints({-1, 4, 9}, {1, 3, 8});
    statistics.Compute(1);
    statistics.DrawToChart(chart, true);
    ASSERT_EQ(chart.SeriesCount(), 2);

    auto *data = qobject_cast<chart::TPointSeries *>(chart.Series(0));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->Title(), QStringLiteral("Data"));
    EXPECT_EQ(data->SeriesColor(), QColor(Qt::black));
    EXPECT_EQ(data->Pointer().Style, chart::TSeriesPointerStyle::psCircle);
    EXPECT_EQ(data->parent(), &chart);
    ASSERT_EQ(data->Count(), 3);
    EXPECT_EQ(data->XValue(1), 4);
    EXPECT_EQ(data->YValue(2), 8);

    auto *curve = qobject_cast<chart::TLineSeries *>(chart.Series(1));
    ASSERT_NE(curve, nullptr);
    EXPECT_EQ(curve->Title(), QStringLiteral("Regression (1)"));
    EXPECT_EQ(curve->SeriesColor(), QColor(Qt::red));
    EXPECT_EQ(curve->parent(), &chart);
    // Data from 0 or below keep s = FMinX - d/10: one step from -2 to 10.
    ASSERT_EQ(curve->Count(), 2);
    EXPECT_EQ(curve->XValue(0), -2);
    EXPECT_EQ(curve->XValue(1), 10);
    EXPECT_DOUBLE_EQ(curve->YValue(1), double(statistics.Evaluate(10)));
}

TEST_F(RegressionChart, SamplesHigherDegreesInAHundredthOfTheRangeFromZeroForPositiveData)
{
    TStatistics statistics = withPoints({0.5L, 3, 7, 10.5L}, {1, 4, 2, 6});
    statistics.Compute(2);
    statistics.DrawToChart(chart, false);
    ASSERT_EQ(chart.SeriesCount(), 1);
    const chart::TChartSeries *curve = chart.Series(0);
    EXPECT_EQ(curve->Title(), QStringLiteral("Regression (2)"));
    ASSERT_GE(curve->Count(), 100);
    ASSERT_LE(curve->Count(), 101);
    EXPECT_EQ(curve->XValue(0), 0) << "not -0.5";
    EXPECT_NEAR(curve->XValue(1), 0.115, 1e-12);
    EXPECT_LE(curve->XValue(curve->Count() - 1), 11.5);
    EXPECT_DOUBLE_EQ(curve->YValue(50), double(statistics.Evaluate(curve->XValue(50))));
}

TEST_F(RegressionChart, BeforeComputeDrawsTheDataAndWarns)
{
    TStatistics statistics = withPoints({1, 2}, {1, 2});
    dialogs.expectMessage(QStringLiteral("Regression was not calculated"));
    statistics.DrawToChart(chart, true);
    ASSERT_EQ(chart.SeriesCount(), 1);
    EXPECT_EQ(chart.Series(0)->Title(), QStringLiteral("Data"));
}

TEST_F(RegressionChart, ASingularFitDrawsNoCurve)
{
    TStatistics statistics = withPoints({2, 2, 2}, {1, 5, 3});
    statistics.Compute(1);
    statistics.DrawToChart(chart, true);
    ASSERT_EQ(chart.SeriesCount(), 1);
    EXPECT_EQ(chart.Series(0)->Title(), QStringLiteral("Data"));
}

TEST_F(RegressionChart, ACurveOverOneXValueIsOnePoint)
{
    // Three equal X of 1.1 leave a rounding residue on the diagonal, so the system is solved.
    TStatistics statistics = withPoints({1.1L, 1.1L, 1.1L}, {0, 1, 2});
    statistics.Compute(1);
    ASSERT_EQ(statistics.FOrder, 1);
    statistics.DrawToChart(chart, false);
    ASSERT_EQ(chart.SeriesCount(), 1);
    ASSERT_EQ(chart.Series(0)->Count(), 1);
    EXPECT_DOUBLE_EQ(chart.Series(0)->XValue(0), 1.1);
}

TEST_F(RegressionChart, AStepBelowTheResolutionOfXEndsTheCurve)
{
    // A range of four units in the last place: a hundredth of it does not move x at all.
    const long double unit = std::nextafter(1.0L, 2.0L) - 1;
    TStatistics statistics = withPoints({1, 1 + 4 * unit, 1 + 3 * unit}, {0, 1, 2});
    statistics.Compute(2);
    ASSERT_EQ(statistics.FOrder, 2);
    statistics.DrawToChart(chart, false);
    ASSERT_EQ(chart.SeriesCount(), 1);
    EXPECT_EQ(chart.Series(0)->Count(), 1);
}
