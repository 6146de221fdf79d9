// The regression engine: moments, correlation and significance, the normal equations and their
// Gauss-Jordan solution, and what it answers when no polynomial exists.

#include "statistics/Ustatistics.h"

#include "NearEqual.h"
#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class Regression : public ::testing::Test
{
protected:
    void addPoints(TStatistics &statistics, const std::vector<long double> &xs, const std::vector<long double> &ys)
    {
        for (size_t i = 0; i < xs.size(); ++i)
            ASSERT_TRUE(statistics.AddPoint(xs[i], ys[i]));
    }

    ScriptedDialogs dialogs;
};

const std::vector<long double> twelveXs = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
const std::vector<long double> noisyLine = {-1.2L, 0.4L, 3.1L, 2.2L, 5.9L, 4.8L, 7.7L, 9.1L, 8.3L, 11.6L, 10.9L, 13.8L};

} // namespace

TEST_F(Regression, PerfectLine)
{
    TStatistics statistics;
    addPoints(statistics, {1, 2, 3}, {2, 4, 6});
    statistics.Compute(1);
    EXPECT_TRUE(statistics.FComputed);
    EXPECT_EQ(statistics.FOrder, 1);
    EXPECT_EQ(statistics.FCountX, 3);
    EXPECT_EQ(statistics.MeanX(), 2);
    EXPECT_NEAR(statistics.StdX(), std::sqrt(2.0L / 3), 1e-18L);
    EXPECT_NEAR(statistics.Correlation(), 1, 1e-15L);
    ASSERT_EQ(statistics.FCoefficients.size(), 2u);
    EXPECT_NEAR(statistics.FCoefficients[0], 0, 1e-15L);
    EXPECT_NEAR(statistics.FCoefficients[1], 2, 1e-15L);
    EXPECT_NEAR(statistics.FDetermination, 1, 1e-15L);
    EXPECT_EQ(statistics.Significance(), 1.0L) << "t without bound above";
    EXPECT_EQ(statistics.SumX(), 6);
    EXPECT_EQ(statistics.SumX2(), 14);
    EXPECT_EQ(statistics.SumY(), 12);
    EXPECT_EQ(statistics.SumY2(), 56);
    EXPECT_EQ(statistics.SumXY(), 28);
    EXPECT_EQ(statistics.MinY(), 2);
    EXPECT_EQ(statistics.MaxY(), 6);

    TStatistics falling;
    addPoints(falling, {1, 2, 3}, {6, 4, 2});
    falling.Compute(1);
    EXPECT_EQ(falling.Significance(), 0.0L) << "t without bound below";
}

TEST_F(Regression, ThreePointsOnOneXCannotBeFitted)
{
    TStatistics statistics;
    addPoints(statistics, {2, 2, 2}, {1, 5, 3});
    statistics.Compute(1);
    EXPECT_EQ(statistics.StdX(), 0);
    EXPECT_EQ(statistics.Correlation(), 0);
    EXPECT_EQ(statistics.Significance(), 0.5L);
    EXPECT_TRUE(statistics.FComputed);
    EXPECT_EQ(statistics.FOrder, 0);
    EXPECT_EQ(statistics.FDetermination, 0);
    EXPECT_TRUE(statistics.FCoefficients.empty());
    EXPECT_EQ(statistics.Evaluate(3), statistics.FMissingY) << "no coefficient to read";
}

TEST_F(Regression, EvaluateAfterASingularFitDoesNotUseTheEarlierPolynomial)
{
    TStatistics statistics;
    addPoints(statistics, {0, 1}, {1, 3});
    statistics.Compute(1);
    EXPECT_EQ(statistics.Evaluate(5), 11);
    statistics.Compute(2); // two points cannot carry a parabola: rows 1 and 2 are equal
    EXPECT_EQ(statistics.FOrder, 0);
    EXPECT_TRUE(statistics.FComputed);
    EXPECT_EQ(statistics.FCoefficients.size(), 2u) << "left as the earlier fit left them";
    EXPECT_NEAR(statistics.FDetermination, 1, 1e-15L);
    EXPECT_EQ(statistics.Evaluate(5), statistics.FMissingY);
}

TEST_F(Regression, MissingValueMarkersRefusePairs)
{
    TStatistics statistics;
    EXPECT_FALSE(statistics.AddPoint(-9999.9999L, 1));
    EXPECT_FALSE(statistics.AddPoint(1, -9999.9999L));
    EXPECT_TRUE(statistics.Points().empty());
    statistics.FMissingX = 0;
    EXPECT_TRUE(statistics.AddPoint(-9999.9999L, 1));
    EXPECT_FALSE(statistics.AddPoint(0, 1));
    ASSERT_EQ(statistics.Points().size(), 1u);
    EXPECT_EQ(statistics.Points()[0].X, -9999.9999L);
}

TEST_F(Regression, ComputeWithoutPointsOnlyClearsComputed)
{
    TStatistics statistics;
    statistics.FComputed = true;
    statistics.FOrder = 3;
    statistics.FDetermination = 0.5L;
    statistics.Compute(1);
    EXPECT_FALSE(statistics.FComputed);
    EXPECT_EQ(statistics.FOrder, 3);
    EXPECT_EQ(statistics.FDetermination, 0.5L);
}

TEST_F(Regression, EvaluateBeforeComputeWarns)
{
    TStatistics statistics;
    addPoints(statistics, {1, 2}, {1, 2});
    dialogs.expectMessage(QStringLiteral("Regression was not calculated"));
    EXPECT_EQ(statistics.Evaluate(1), -9999.9999L);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].type, ui::TMsgDlgType::mtWarning);
}

// Exact least-squares coefficients and R² computed in rational arithmetic.
TEST_F(Regression, FitsOfHigherDegreeMatchExactLeastSquares)
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
        addPoints(statistics, twelveXs, noisyLine);
        statistics.Compute(fit.order);
        ASSERT_EQ(statistics.FOrder, fit.order);
        ASSERT_EQ(statistics.FCoefficients.size(), fit.coefficients.size());
        for (size_t i = 0; i < fit.coefficients.size(); ++i)
            EXPECT_NEAR_REL(fit.coefficients[i], statistics.FCoefficients[i], 1e-12L) << "degree " << int(fit.order);
        EXPECT_NEAR_REL(fit.determination, statistics.FDetermination, 1e-12L) << "degree " << int(fit.order);
    }
}

TEST_F(Regression, RecoversAnExactPolynomialOfDegreeFive)
{
    const std::vector<long double> c = {3, -1, 0.5L, 2, -0.25L, 0.125L};
    TStatistics statistics;
    for (long double x = -3; x <= 4; x += 0.5L) {
        long double y = 0, power = 1;
        for (long double ci : c) {
            y += ci * power;
            power *= x;
        }
        statistics.AddPoint(x, y);
    }
    statistics.Compute(5);
    ASSERT_EQ(statistics.FCoefficients.size(), c.size());
    for (size_t i = 0; i < c.size(); ++i)
        EXPECT_NEAR(statistics.FCoefficients[i], c[i], 1e-12L) << i;
    EXPECT_NEAR(statistics.FDetermination, 1, 1e-12L);
    EXPECT_NEAR(statistics.Evaluate(2), 3 - 2 + 2 + 16 - 4 + 4, 1e-11L);
}

TEST_F(Regression, SignificanceIsTheStudentProbabilityOfTheCorrelation)
{
    // scipy.stats.t.cdf of r·sqrt(10)/sqrt(1 - r²) with 10 degrees of freedom.
    struct Case
    {
        std::vector<long double> ys;
        long double r;
        long double significance;
    };
    const Case cases[] = {
        {{3, 1, 4, 1, 5, 9, 2, 6, 5, 3, 5, 8}, 0.4973872890601886L, 0.9500483919720439L},
        {{8, 5, 3, 5, 6, 2, 9, 5, 1, 4, 1, 3}, -0.4973872890601886L, 0.04995160802795612L},
    };
    for (const Case &c : cases) {
        TStatistics statistics;
        addPoints(statistics, twelveXs, c.ys);
        statistics.Compute(1);
        EXPECT_NEAR(statistics.Correlation(), c.r, 1e-15L);
        EXPECT_NEAR(statistics.Significance(), c.significance, 2e-4L);
        EXPECT_EQ(statistics.FDetermination, statistics.Correlation() * statistics.Correlation());
    }
}

TEST_F(Regression, EqualYValuesGiveAPerfectDeterminationForHigherDegrees)
{
    TStatistics statistics;
    addPoints(statistics, {0, 1, 2, 3, 4}, {0.1L, 0.1L, 0.1L, 0.1L, 0.1L});
    statistics.Compute(2);
    EXPECT_EQ(statistics.FOrder, 2);
    EXPECT_EQ(statistics.FDetermination, 1.0L);
    EXPECT_NEAR(statistics.Evaluate(7), 0.1L, 1e-15L);
}

TEST(SolveLinearEquations, ExchangesRowsOnlyForAnExactZeroPivot)
{
    std::vector<std::vector<long double>> zeroPivot = {{0, 1, 2}, {1, 0, 3}};
    ASSERT_TRUE(SolveLinearEquations(1, zeroPivot));
    EXPECT_EQ(zeroPivot[0][2], 3);
    EXPECT_EQ(zeroPivot[1][2], 2);

    // A tiny pivot is kept; its row is then reduced no further, as the 1e-14 rule says.
    std::vector<std::vector<long double>> tinyPivot = {{1e-20L, 1, 1}, {1, 1, 2}};
    ASSERT_TRUE(SolveLinearEquations(1, tinyPivot));
    EXPECT_NEAR_REL(tinyPivot[0][2], 1e20L, 1e-15L);
    EXPECT_EQ(tinyPivot[1][2], 1);
}

TEST(SolveLinearEquations, SkipsMultipliersOfAtMostOneE14)
{
    std::vector<std::vector<long double>> skipped = {{1, 0, 1}, {1e-15L, 1, 2}};
    ASSERT_TRUE(SolveLinearEquations(1, skipped));
    EXPECT_EQ(skipped[1][2], 2);

    std::vector<std::vector<long double>> applied = {{1, 0, 1}, {1e-13L, 1, 2}};
    ASSERT_TRUE(SolveLinearEquations(1, applied));
    EXPECT_EQ(applied[1][2], 2 - 1e-13L);
}

TEST(SolveLinearEquations, RefusesSingularAndMisshapenSystems)
{
    std::vector<std::vector<long double>> singular = {{1, 2, 3}, {2, 4, 6}};
    EXPECT_FALSE(SolveLinearEquations(1, singular));
    std::vector<std::vector<long double>> zeroColumn = {{0, 1, 1}, {0, 2, 2}};
    EXPECT_FALSE(SolveLinearEquations(1, zeroColumn));
    std::vector<std::vector<long double>> shortRow = {{1, 0, 1}, {0, 1}};
    EXPECT_FALSE(SolveLinearEquations(1, shortRow));
    std::vector<std::vector<long double>> oneRow = {{1, 0, 1}};
    EXPECT_FALSE(SolveLinearEquations(1, oneRow));
}
