// The regression engine: moments, correlation and significance, the normal equations and their
// Gauss-Jordan solution, and what it answers when no polynomial exists.

#include "statistics/Ustatistics.h"

#include "NearEqual.h"
#include "RecordedWarnings.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Matrix = std::vector<std::vector<long double>>;

class Regression : public ::testing::Test
{
protected:
    static void add(TStatistics &statistics, const std::vector<long double> &xs, const std::vector<long double> &ys)
    {
        for (size_t i = 0; i < xs.size(); ++i)
            statistics.AddPoint(xs[i], ys[i]);
    }

    RecordedWarnings warnings;
};

const std::vector<long double> twelveXs = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};

} // namespace

TEST_F(Regression, PerfectLine)
{
    TStatistics rising, falling;
    add(rising, {1, 2, 3}, {2, 4, 6});
    add(falling, {1, 2, 3}, {6, 4, 2});
    rising.Compute(1);
    falling.Compute(1);
    EXPECT_EQ(rising.FCountX, 3);
    EXPECT_EQ(rising.MeanX(), 2);
    EXPECT_NEAR(rising.StdX(), std::sqrt(2.0L / 3), 1e-18L);
    EXPECT_NEAR(rising.Correlation(), 1, 1e-15L);
    EXPECT_EQ(rising.FOrder, 1);
    ASSERT_EQ(rising.FCoefficients.size(), 2u);
    EXPECT_NEAR(rising.FCoefficients[0], 0, 1e-15L);
    EXPECT_NEAR(rising.FCoefficients[1], 2, 1e-15L);
    EXPECT_NEAR(rising.FDetermination, 1, 1e-15L);
    // r within 1e-6 of ±1: the probability of an unbounded t.
    EXPECT_EQ(rising.Significance(), 1.0L);
    EXPECT_EQ(falling.Significance(), 0.0L);
}

TEST_F(Regression, ThreePointsOnOneXCannotBeFitted)
{
    TStatistics statistics;
    add(statistics, {2, 2, 2}, {1, 5, 3});
    statistics.Compute(1);
    EXPECT_EQ(statistics.StdX(), 0);
    EXPECT_EQ(statistics.Correlation(), 0);
    EXPECT_TRUE(statistics.FComputed);
    EXPECT_EQ(statistics.FOrder, 0);
    EXPECT_EQ(statistics.FDetermination, 0);
    EXPECT_TRUE(statistics.FCoefficients.empty());
    EXPECT_EQ(statistics.Evaluate(3), statistics.FMissingY) << "no coefficient to read";
}

TEST_F(Regression, EvaluateAfterASingularFitDoesNotUseTheEarlierPolynomial)
{
    TStatistics statistics;
    add(statistics, {0, 1}, {1, 3});
    statistics.Compute(1);
    EXPECT_EQ(statistics.Evaluate(5), 11);
    statistics.Compute(2); // two points carry no parabola: rows 1 and 2 are equal
    EXPECT_EQ(statistics.FOrder, 0);
    EXPECT_EQ(statistics.FCoefficients.size(), 2u) << "left as the earlier fit left them";
    EXPECT_EQ(statistics.Evaluate(5), statistics.FMissingY);
}

TEST_F(Regression, MissingValueMarkersAndComputeWithoutPoints)
{
    TStatistics statistics;
    EXPECT_FALSE(statistics.AddPoint(-9999.9999L, 1));
    EXPECT_FALSE(statistics.AddPoint(1, -9999.9999L));
    statistics.FComputed = true;
    statistics.FOrder = 3;
    statistics.Compute(1);
    EXPECT_FALSE(statistics.FComputed);
    EXPECT_EQ(statistics.FOrder, 3) << "nothing else changes";

    statistics.FMissingX = 0;
    EXPECT_TRUE(statistics.AddPoint(-9999.9999L, 1));
    EXPECT_FALSE(statistics.AddPoint(0, 1));
    statistics.Compute(0);
    EXPECT_EQ(statistics.FCountX, 1);
    EXPECT_EQ(statistics.MinX(), -9999.9999L);
    EXPECT_EQ(statistics.Evaluate(1), statistics.FMissingY) << "no fit asked, no coefficients";
}

TEST_F(Regression, EvaluateBeforeComputeWarns)
{
    TStatistics statistics;
    warnings.expectMessage(QStringLiteral("Regression was not calculated"));
    EXPECT_EQ(statistics.Evaluate(1), -9999.9999L);
    EXPECT_EQ(warnings.shown().at(0).kind, rtl::WarningKind::Warning);
}

// Coefficients and R² of the exact least-squares fits, computed in rational arithmetic.
TEST_F(Regression, FitsMatchExactLeastSquares)
{
    struct Fit
    {
        uint8_t order;
        std::vector<long double> coefficients;
        long double determination;
    };
    const Fit fits[] = {
        {1, {-1.843939393939394L, 1.2657342657342658L}, 0.9556231230012184L},
        {2, {-2.3045454545454547L, 1.463136863136863L, -0.015184815184815185L}, 0.9569068047676521L},
        {3, {-3.213131313131313L, 2.1653772153772155L, -0.14498279498279498L, 0.0066563066563066564L}, 0.9590474920906923L},
    };
    for (const Fit &fit : fits) {
        TStatistics statistics;
        add(statistics, twelveXs, {-1.2L, 0.4L, 3.1L, 2.2L, 5.9L, 4.8L, 7.7L, 9.1L, 8.3L, 11.6L, 10.9L, 13.8L});
        statistics.Compute(fit.order);
        ASSERT_EQ(statistics.FCoefficients.size(), fit.coefficients.size());
        for (size_t i = 0; i < fit.coefficients.size(); ++i)
            EXPECT_NEAR_REL(fit.coefficients[i], statistics.FCoefficients[i], 1e-12L) << int(fit.order);
        EXPECT_NEAR_REL(fit.determination, statistics.FDetermination, 1e-12L) << int(fit.order);
    }

    TStatistics quintic; // y = 3 - x + x²/2 + 2x³ - x⁴/4 + x⁵/8 exactly
    for (long double x = -3; x <= 4; x += 0.5L)
        quintic.AddPoint(x, 3 - x + x * x / 2 + 2 * x * x * x - x * x * x * x / 4 + x * x * x * x * x / 8);
    quintic.Compute(5);
    EXPECT_NEAR(quintic.Evaluate(2), 3 - 2 + 2 + 16 - 4 + 4, 1e-11L);
    EXPECT_NEAR(quintic.FCoefficients.at(5), 0.125L, 1e-12L);
    EXPECT_NEAR(quintic.FDetermination, 1, 1e-12L);
}

TEST_F(Regression, SignificanceIsTheStudentProbabilityOfTheCorrelation)
{
    // scipy.stats.t.cdf(r·sqrt(10)/sqrt(1 - r²), 10), to the accuracy of the t approximation.
    TStatistics rising, falling;
    add(rising, twelveXs, {3, 1, 4, 1, 5, 9, 2, 6, 5, 3, 5, 8});
    add(falling, twelveXs, {8, 5, 3, 5, 6, 2, 9, 5, 1, 4, 1, 3});
    rising.Compute(1);
    falling.Compute(1);
    EXPECT_NEAR(rising.Correlation(), 0.4973872890601886L, 1e-15L);
    EXPECT_NEAR(rising.Significance(), 0.9500483919720439L, 2e-4L);
    EXPECT_NEAR(falling.Significance(), 0.04995160802795612L, 2e-4L);
    EXPECT_EQ(rising.FDetermination, rising.Correlation() * rising.Correlation());
}

TEST_F(Regression, EqualYValuesGiveAPerfectDeterminationForHigherDegrees)
{
    TStatistics statistics;
    add(statistics, {0, 1, 2, 3, 4}, {0.1L, 0.1L, 0.1L, 0.1L, 0.1L});
    statistics.Compute(2);
    EXPECT_EQ(statistics.FOrder, 2);
    EXPECT_EQ(statistics.FDetermination, 1.0L);
}

TEST(SolveLinearEquations, ExchangesRowsOnlyForAnExactZeroPivotAndSkipsTinyMultipliers)
{
    Matrix zeroPivot = {{0, 1, 2}, {1, 0, 3}};
    ASSERT_TRUE(SolveLinearEquations(1, zeroPivot));
    EXPECT_EQ(zeroPivot[0][2], 3);
    EXPECT_EQ(zeroPivot[1][2], 2);
    // The tiny pivot stays; row 0 then keeps its y term, as the 1e-14 rule leaves it.
    Matrix tinyPivot = {{1e-20L, 1, 1}, {1, 1, 2}};
    ASSERT_TRUE(SolveLinearEquations(1, tinyPivot));
    EXPECT_NEAR_REL(tinyPivot[0][2], 1e20L, 1e-15L);
    Matrix skipped = {{1, 0, 1}, {1e-15L, 1, 2}}, applied = {{1, 0, 1}, {1e-13L, 1, 2}};
    ASSERT_TRUE(SolveLinearEquations(1, skipped));
    ASSERT_TRUE(SolveLinearEquations(1, applied));
    EXPECT_EQ(skipped[1][2], 2);
    EXPECT_EQ(applied[1][2], 2 - 1e-13L);
}

TEST(SolveLinearEquations, RefusesSingularAndMisshapenSystems)
{
    Matrix singular = {{1, 2, 3}, {2, 4, 6}}, zeroColumn = {{0, 1, 1}, {0, 2, 2}};
    Matrix shortRow = {{1, 0, 1}, {0, 1}}, oneRow = {{1, 0, 1}};
    EXPECT_FALSE(SolveLinearEquations(1, singular));
    EXPECT_FALSE(SolveLinearEquations(1, zeroColumn));
    EXPECT_FALSE(SolveLinearEquations(1, shortRow));
    EXPECT_FALSE(SolveLinearEquations(1, oneRow));
}
