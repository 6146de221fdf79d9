// Distribution routines: the classic approximations to the digits they have always given, their
// distance from the exact quantiles, the secant searches that invert them, and refused arguments.

#include "statistics/Ustatistics.h"

#include "NearEqual.h"
#include "RecordedWarnings.h"

#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace {

// Exact Φ⁻¹(p) by bisection on the complementary error function.
long double exactNormalQuantile(long double p)
{
    long double low = -160, high = 160;
    for (int i = 0; i < 200; ++i) {
        const long double middle = (low + high) / 2;
        (0.5L * std::erfc(-middle / std::sqrt(2.0L)) < p ? low : high) = middle;
    }
    return (low + high) / 2;
}

struct Reference
{
    int32_t df1;
    int32_t df2;
    long double p;
    long double exact;
};

// Exact quantiles from scipy.stats, written by reference_quantiles.py.
const Reference chiSquareReference[] = {
    {10, 0, 0.01L, 2.5582121601872063L}, {10, 0, 0.05L, 3.9402991361190605L}, {10, 0, 0.5L, 9.34181776559197L},
    {10, 0, 0.95L, 18.307038053275146L}, {10, 0, 0.99L, 23.209251158954356L},
    {50, 0, 0.01L, 29.706682698841284L}, {50, 0, 0.05L, 34.76425168350175L}, {50, 0, 0.5L, 49.33493673397683L},
    {50, 0, 0.95L, 67.5048065495412L}, {50, 0, 0.99L, 76.1538912490127L},
};
const Reference studentReference[] = {
    {10, 0, 0.01L, -2.7637694574478893L}, {10, 0, 0.05L, -1.8124611228107341L}, {10, 0, 0.5L, 6.80574793290978e-17L},
    {10, 0, 0.95L, 1.8124611228107335L}, {10, 0, 0.99L, 2.763769457447889L},
    {50, 0, 0.01L, -2.4032719179351685L}, {50, 0, 0.05L, -1.6759050245283318L}, {50, 0, 0.5L, 6.67126075536295e-17L},
    {50, 0, 0.95L, 1.6759050245283311L}, {50, 0, 0.99L, 2.403271917935168L},
};
const Reference fisherReference[] = {
    {5, 10, 0.01L, 0.09949241734983869L}, {5, 10, 0.05L, 0.21119042878234498L}, {5, 10, 0.5L, 0.9319331608510479L},
    {5, 10, 0.95L, 3.3258345304130112L}, {5, 10, 0.99L, 5.636326187669078L},
    {10, 30, 0.01L, 0.2354640496992127L}, {10, 30, 0.05L, 0.37043193985947676L}, {10, 30, 0.5L, 0.9553965764236229L},
    {10, 30, 0.95L, 2.164579917125473L}, {10, 30, 0.99L, 2.9790935636338833L},
};

const QString BadParameter = QStringLiteral("Error of the normal distribution parameter");

// Every test records the warnings: one nobody expected fails the test.
class Distributions : public ::testing::Test
{
protected:
    RecordedWarnings warnings;
};

// A search lands within 5e-5 of X on the quantile scale, or stops in a tail beyond X.
void expectSearchEnds(const std::function<long double(long double)> &probability,
                      const std::function<long double(long double)> &quantile, long double from, long double to,
                      long double step)
{
    for (long double x = from; x <= to; x += step) {
        const long double p = probability(x), q = quantile(p);
        const bool tail = (p > 0.9999L && x > q) || (p < 0.0001L && x < q);
        EXPECT_TRUE(std::fabs(q - x) <= 5e-5L || tail) << "X " << double(x) << " P " << double(p) << " Q " << double(q);
    }
}

} // namespace

TEST_F(Distributions, NormalQuantileGivesTheRationalApproximation)
{
    EXPECT_EQ(NormalQuantile(0.5L), 0);
    EXPECT_EQ(NormalQuantile(0.5000009L), 0);
    EXPECT_NE(NormalQuantile(0.5000011L), 0);
    EXPECT_NEAR(NormalQuantile(0.95L), 1.6452L, 5e-5L);
    EXPECT_NEAR(NormalQuantile(0.975L), 1.9604L, 5e-5L);
    EXPECT_NEAR(NormalQuantile(0.05L), -1.6452L, 5e-5L);
    long double worst = 0;
    for (long double p = 1e-6L; p < 0.5L; p *= 1.05L) {
        for (long double q : {p, 1 - p, 0.5L - p})
            worst = std::max(worst, std::fabs(NormalQuantile(q) - exactNormalQuantile(q)));
    }
    EXPECT_LT(worst, 4.5e-4L) << "the published bound";
    EXPECT_GT(worst, 1e-4L) << "the approximation, not the exact quantile";
}

TEST_F(Distributions, NormalQuantileKeepsTheFarTailBeyondWhatOneMinusPResolves)
{
    for (long double p : {1e-25L, 1e-300L, 1e-4000L}) {
        const long double x = NormalQuantile(p);
        ASSERT_TRUE(std::isfinite(x)) << double(p);
        EXPECT_NEAR(x, exactNormalQuantile(p), 4.5e-4L * std::fabs(x)) << double(p);
    }
}

TEST_F(Distributions, ABadProbabilityShowsTheBoxAndTheSeriesGoOnWithZero)
{
    for (long double p : {0.0L, 1.0L, -0.5L, std::numeric_limits<long double>::quiet_NaN()}) {
        warnings.expectMessage(BadParameter);
        EXPECT_EQ(NormalQuantile(p), 0);
    }
    EXPECT_EQ(warnings.shown().back().kind, rtl::WarningKind::Error);
    warnings.expectMessage(BadParameter);
    EXPECT_NEAR_REL(ChiSquareQuantile(10, 1), 10 - 0.666666667L + 32 * 0.002469135803L / 10, 1e-18L);
    warnings.expectMessage(BadParameter);
    EXPECT_EQ(StudentQuantile(10, 0), 0);
    warnings.expectMessage(BadParameter);
    const long double a = 2.0L / 45, b = 2.0L / 90;
    EXPECT_NEAR_REL(FisherQuantile(5, 10, 2), std::pow((1 - a) / (1 - b), 3), 1e-17L);
    EXPECT_EQ(warnings.shown().size(), 7u);
}

TEST_F(Distributions, ProbabilitiesInvertTheirQuantiles)
{
    EXPECT_EQ(NormalProbability(0.00004L), 0.5L);
    EXPECT_EQ(NormalProbability(7.5L), 1.0L);
    EXPECT_EQ(NormalProbability(-7.5L), 0.0L);
    EXPECT_LT(NormalProbability(7), 1.0L) << "7 itself is searched";
    EXPECT_NEAR(NormalProbability(1.96L), 0.97498L, 5e-6L);
    expectSearchEnds(NormalProbability, NormalQuantile, 0.0001L, 7, 0.01L);
    expectSearchEnds(NormalProbability, NormalQuantile, -7, -0.0001L, 0.01L);

    for (long double x : {0.0L, 0.5L, 3.84L, 49.0L})
        EXPECT_EQ(ChiSquareProbability(1, x), 2 * NormalProbability(std::sqrt(x)) - 1) << double(x);
    EXPECT_NEAR(ChiSquareProbability(10, 18.307L), 0.94995L, 5e-6L);
    EXPECT_EQ(StudentProbability(10, 0), 0.5L);
    for (int32_t df : {1, 2, 3, 10, 100}) {
        if (df > 1) {
            expectSearchEnds([df](long double x) { return ChiSquareProbability(df, x); },
                             [df](long double p) { return ChiSquareQuantile(df, p); }, 0, 3.0L * df + 40, 0.37L);
        }
        expectSearchEnds([df](long double x) { return StudentProbability(df, x); },
                         [df](long double p) { return StudentQuantile(df, p); }, -50, 50, 0.23L);
    }
}

TEST_F(Distributions, QuantilesStayNearTheExactOnes)
{
    EXPECT_NEAR(ChiSquareQuantile(10, 0.95L), 18.3101L, 5e-5L);
    EXPECT_NEAR(StudentQuantile(10, 0.975L), 2.2287L, 5e-5L);
    EXPECT_NEAR(FisherQuantile(5, 10, 0.95L), 3.3287L, 5e-5L);
    // The chi-square expansion's truncation error shrinks as DF grows.
    for (const Reference &row : chiSquareReference)
        EXPECT_NEAR_REL(row.exact, ChiSquareQuantile(row.df1, row.p), row.df1 < 20 ? 3e-3L : 1e-4L) << row.df1;
    // The t series carries the normal quantile's error.
    for (const Reference &row : studentReference)
        EXPECT_NEAR(row.exact, StudentQuantile(row.df1, row.p), 7e-4L) << row.df1 << " " << double(row.p);
    // Paulson's approximation, in both tails; it loses accuracy towards them.
    for (const Reference &row : fisherReference) {
        EXPECT_NEAR_REL(row.exact, FisherQuantile(row.df1, row.df2, row.p), row.p < 0.05L || row.p > 0.95L ? 0.1L : 0.015L)
            << row.df1 << " " << row.df2 << " " << double(row.p);
    }
}

TEST_F(Distributions, FisherQuantileLowerTailMirrorsTheUpper)
{
    // F(DF1, DF2) at P is the reciprocal of F(DF2, DF1) at 1 - P.
    for (long double p : {0.01L, 0.05L, 0.3L, 0.5L, 0.9L})
        EXPECT_NEAR_REL(1.0L, FisherQuantile(5, 10, p) * FisherQuantile(10, 5, 1 - p), 1e-15L) << double(p);
    EXPECT_NEAR(FisherQuantile(2000000000, 2000000000, 0.95L), 1.0L, 1e-3L) << "9·DF beyond 32 bits";
}

TEST_F(Distributions, FisherQuantileAtTheMedianSurvivesARoundedDiscriminant)
{
    EXPECT_NEAR_REL(FisherQuantile(1, 2, 0.5L), 0.669921875L, 1e-17L); // ((1 - 2/9) / (1 - 2/18))³ = (7/8)³
    EXPECT_NEAR_REL(FisherQuantile(2, 1, 0.5L), 1 / 0.669921875L, 1e-17L);
}

TEST_F(Distributions, ArgumentsWithoutAnAnswerRaiseTheMathError)
{
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    EXPECT_THROW(ChiSquareQuantile(0, 0.9L), rtl::EMathError);
    EXPECT_THROW(ChiSquareProbability(-1, 3), rtl::EMathError);
    EXPECT_THROW(ChiSquareProbability(1, -0.5L), rtl::EMathError);
    EXPECT_THROW(ChiSquareProbability(5, nan), rtl::EMathError);
    EXPECT_THROW(StudentQuantile(0, 0.9L), rtl::EMathError);
    EXPECT_THROW(StudentProbability(0, 1), rtl::EMathError);
    EXPECT_THROW(NormalProbability(nan), rtl::EMathError);
    EXPECT_THROW(FisherQuantile(0, 5, 0.9L), rtl::EMathError);
    EXPECT_THROW(FisherQuantile(5, -3, 0.9L), rtl::EMathError);
    // A negative discriminant, and (1 - b)² < b·z² where the formula turns negative.
    EXPECT_THROW(FisherQuantile(1, 1, 0.99L), rtl::EMathError);
    EXPECT_THROW(FisherQuantile(5, 1, 0.975L), rtl::EMathError);
}
