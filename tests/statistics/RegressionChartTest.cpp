// Drawing a regression: the data series, the sampled curve and its range.

#include "statistics/RegressionChart.h"

#include "ScriptedDialogs.h"

#include "platform/chart/Chart.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class RegressionChart : public ::testing::Test
{
protected:
    TStatistics computed(const std::vector<long double> &xs, const std::vector<long double> &ys, int order)
    {
        TStatistics statistics;
        for (size_t i = 0; i < xs.size(); ++i)
            statistics.AddPoint(xs[i], ys[i]);
        if (order >= 0)
            statistics.Compute(uint8_t(order));
        return statistics;
    }

    ScriptedDialogs dialogs;
    chart::TChart chart;
};

} // namespace

TEST_F(RegressionChart, DrawsTheDataAndAStraightLineInOneStep)
{
    TStatistics statistics = computed({-1, 4, 9}, {1, 3, 8}, 1);
    DrawRegressionToChart(statistics, chart, true);
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
    // X from -1 to 9 widened by a tenth on each side: -2 and 10, one step apart.
    ASSERT_EQ(curve->Count(), 2);
    EXPECT_EQ(curve->XValue(0), -2);
    EXPECT_EQ(curve->XValue(1), 10);
    EXPECT_DOUBLE_EQ(curve->YValue(1), double(statistics.Evaluate(10)));
}

TEST_F(RegressionChart, SamplesHigherDegreesInHundredthsFromZeroForPositiveData)
{
    TStatistics statistics = computed({0.5L, 3, 7, 10.5L}, {1, 4, 2, 6}, 2);
    DrawRegressionToChart(statistics, chart, false);
    ASSERT_EQ(chart.SeriesCount(), 1);
    const chart::TChartSeries *curve = chart.Series(0);
    EXPECT_EQ(curve->Title(), QStringLiteral("Regression (2)"));
    EXPECT_GE(curve->Count(), 100);
    EXPECT_LE(curve->Count(), 101);
    EXPECT_EQ(curve->XValue(0), 0) << "not -0.5";
    EXPECT_NEAR(curve->XValue(1), 0.115, 1e-12);
    EXPECT_LE(curve->XValue(curve->Count() - 1), 11.5);
    EXPECT_DOUBLE_EQ(curve->YValue(50), double(statistics.Evaluate(curve->XValue(50))));
}

TEST_F(RegressionChart, WithoutAPolynomialOnlyTheDataAreDrawn)
{
    TStatistics notComputed = computed({1, 2}, {1, 2}, -1);
    dialogs.expectMessage(QStringLiteral("Regression was not calculated"));
    DrawRegressionToChart(notComputed, chart, true);
    TStatistics singular = computed({2, 2, 2}, {1, 5, 3}, 1);
    DrawRegressionToChart(singular, chart, true);
    ASSERT_EQ(chart.SeriesCount(), 2);
    EXPECT_EQ(chart.Series(0)->Title(), QStringLiteral("Data"));
    EXPECT_EQ(chart.Series(1)->Title(), QStringLiteral("Data"));
}

TEST_F(RegressionChart, ACurveWhoseStepDoesNotMoveXIsOnePoint)
{
    // Three equal X of 1.1 leave a rounding residue on the diagonal, so the system is solved.
    TStatistics oneX = computed({1.1L, 1.1L, 1.1L}, {0, 1, 2}, 1);
    ASSERT_EQ(oneX.FOrder, 1);
    DrawRegressionToChart(oneX, chart, false);
    // A range of four units in the last place: a hundredth of it leaves x where it is.
    const long double unit = std::nextafter(1.0L, 2.0L) - 1;
    TStatistics narrow = computed({1, 1 + 4 * unit, 1 + 3 * unit}, {0, 1, 2}, 2);
    ASSERT_EQ(narrow.FOrder, 2);
    DrawRegressionToChart(narrow, chart, false);
    ASSERT_EQ(chart.SeriesCount(), 2);
    EXPECT_EQ(chart.Series(0)->Count(), 1);
    EXPECT_DOUBLE_EQ(chart.Series(0)->XValue(0), 1.1);
    EXPECT_EQ(chart.Series(1)->Count(), 1);
}
