// Distribution routines: the classic approximations to the digits they have always given, their
// distance from the exact quantiles, the secant searches that invert them, and refused arguments.

#include "statistics/Ustatistics.h"

#include "NearEqual.h"
#include "ScriptedDialogs.h"

#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr long double SearchTolerance = 5e-5L;

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

// Exact quantiles from scipy.stats (reference_quantiles.py).
const Reference chiSquareReference[] = {
    {10, 0, 0.001L, 1.4787434638356647L},
    {10, 0, 0.01L, 2.5582121601872063L},
    {10, 0, 0.05L, 3.9402991361190605L},
    {10, 0, 0.25L, 6.737200771954642L},
    {10, 0, 0.5L, 9.34181776559197L},
    {10, 0, 0.75L, 12.548861396889377L},
    {10, 0, 0.95L, 18.307038053275146L},
    {10, 0, 0.99L, 23.209251158954356L},
    {10, 0, 0.999L, 29.58829844507442L},
    {20, 0, 0.001L, 5.92104074548752L},
    {20, 0, 0.01L, 8.2603983325464L},
    {20, 0, 0.05L, 10.85081139418259L},
    {20, 0, 0.25L, 15.451773539047728L},
    {20, 0, 0.5L, 19.337429229428256L},
    {20, 0, 0.75L, 23.827692043030858L},
    {20, 0, 0.95L, 31.410432844230918L},
    {20, 0, 0.99L, 37.56623478662507L},
    {20, 0, 0.999L, 45.31474661812586L},
    {50, 0, 0.001L, 24.67390527187726L},
    {50, 0, 0.01L, 29.706682698841284L},
    {50, 0, 0.05L, 34.76425168350175L},
    {50, 0, 0.25L, 42.94208381090594L},
    {50, 0, 0.5L, 49.33493673397683L},
    {50, 0, 0.75L, 56.33360492213238L},
    {50, 0, 0.95L, 67.5048065495412L},
    {50, 0, 0.99L, 76.1538912490127L},
    {50, 0, 0.999L, 86.66081519040317L},
    {100, 0, 0.001L, 61.91793920693662L},
    {100, 0, 0.01L, 70.06489492539978L},
    {100, 0, 0.05L, 77.92946516501726L},
    {100, 0, 0.25L, 90.13321974633932L},
    {100, 0, 0.5L, 99.33412923598846L},
    {100, 0, 0.75L, 109.1412410700806L},
    {100, 0, 0.95L, 124.34211340400407L},
    {100, 0, 0.99L, 135.80672317102676L},
    {100, 0, 0.999L, 149.44925277903886L},
};
const Reference studentReference[] = {
    {10, 0, 0.001L, -4.143700494046624L},
    {10, 0, 0.01L, -2.7637694574478893L},
    {10, 0, 0.05L, -1.8124611228107341L},
    {10, 0, 0.25L, -0.6998120613124291L},
    {10, 0, 0.5L, 6.80574793290978e-17L},
    {10, 0, 0.75L, 0.6998120613124291L},
    {10, 0, 0.95L, 1.8124611228107335L},
    {10, 0, 0.99L, 2.763769457447889L},
    {10, 0, 0.999L, 4.143700494046623L},
    {20, 0, 0.001L, -3.551808342710066L},
    {20, 0, 0.01L, -2.5279770027405464L},
    {20, 0, 0.05L, -1.7247182429207863L},
    {20, 0, 0.25L, -0.6869544953430642L},
    {20, 0, 0.5L, 6.72145054561635e-17L},
    {20, 0, 0.75L, 0.6869544953430642L},
    {20, 0, 0.95L, 1.7247182429207857L},
    {20, 0, 0.99L, 2.527977002740546L},
    {20, 0, 0.999L, 3.5518083427100664L},
    {50, 0, 0.001L, -3.2614090557982354L},
    {50, 0, 0.01L, -2.4032719179351685L},
    {50, 0, 0.05L, -1.6759050245283318L},
    {50, 0, 0.25L, -0.6794282002236499L},
    {50, 0, 0.5L, 6.67126075536295e-17L},
    {50, 0, 0.75L, 0.6794282002236499L},
    {50, 0, 0.95L, 1.6759050245283311L},
    {50, 0, 0.99L, 2.403271917935168L},
    {50, 0, 0.999L, 3.261409055798235L},
    {100, 0, 0.001L, -3.1737394889844106L},
    {100, 0, 0.01L, -2.364217365904738L},
    {100, 0, 0.05L, -1.6602343260657506L},
    {100, 0, 0.25L, -0.6769510430082792L},
    {100, 0, 0.5L, 6.654605374702225e-17L},
    {100, 0, 0.75L, 0.6769510430082792L},
    {100, 0, 0.95L, 1.66023432606575L},
    {100, 0, 0.99L, 2.3642173659047376L},
    {100, 0, 0.999L, 3.17373948898441L},
};
const Reference fisherReference[] = {
    {5, 10, 0.001L, 0.03715183953766965L},
    {5, 10, 0.01L, 0.09949241734983869L},
    {5, 10, 0.05L, 0.21119042878234498L},
    {5, 10, 0.25L, 0.5291416855678219L},
    {5, 10, 0.5L, 0.9319331608510479L},
    {5, 10, 0.75L, 1.5853232593846152L},
    {5, 10, 0.95L, 3.3258345304130112L},
    {5, 10, 0.99L, 5.636326187669078L},
    {5, 10, 0.999L, 10.480722468097891L},
    {10, 10, 0.001L, 0.11423523829748049L},
    {10, 10, 0.01L, 0.2062218449585922L},
    {10, 10, 0.05L, 0.3357691125991831L},
    {10, 10, 0.25L, 0.6446390360389995L},
    {10, 10, 0.5L, 1.0000000000000004L},
    {10, 10, 0.75L, 1.551255732424342L},
    {10, 10, 0.95L, 2.9782370160823213L},
    {10, 10, 0.99L, 4.849146802080025L},
    {10, 10, 0.999L, 8.753866275447297L},
    {10, 30, 0.001L, 0.1338903581580729L},
    {10, 30, 0.01L, 0.2354640496992127L},
    {10, 30, 0.05L, 0.37043193985947676L},
    {10, 30, 0.25L, 0.6614034370864982L},
    {10, 30, 0.5L, 0.9553965764236229L},
    {10, 30, 0.75L, 1.3507150625474098L},
    {10, 30, 0.95L, 2.164579917125473L},
    {10, 30, 0.99L, 2.9790935636338833L},
    {10, 30, 0.999L, 4.23879175874173L},
    {30, 100, 0.001L, 0.35812789324075367L},
    {30, 100, 0.01L, 0.4693271311768016L},
    {30, 100, 0.05L, 0.5899575688836909L},
    {30, 100, 0.25L, 0.8029082239858921L},
    {30, 100, 0.5L, 0.984429972834175L},
    {30, 100, 0.75L, 1.1983058716331765L},
    {30, 100, 0.95L, 1.5733023498289889L},
    {30, 100, 0.99L, 1.8932540314111657L},
    {30, 100, 0.999L, 2.3189086951344557L},
};

// Every test installs the scripted seam: a box nobody expected fails the test.
class Distributions : public ::testing::Test
{
protected:
    ScriptedDialogs dialogs;
};

// The search either lands within its tolerance of X or stopped in a tail beyond X.
::testing::AssertionResult SearchEnded(long double x, long double p, long double quantileOfP)
{
    const bool close = std::fabs(quantileOfP - x) <= SearchTolerance;
    const bool upperTail = p > 0.9999L && x > quantileOfP;
    const bool lowerTail = p < 0.0001L && x < quantileOfP;
    if (close || upperTail || lowerTail)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "X " << double(x) << " gave P " << double(p) << " whose quantile is "
                                         << double(quantileOfP);
}

} // namespace

TEST_F(Distributions, NormalQuantileGivesTheRationalApproximation)
{
    EXPECT_EQ(NormalQuantile(0.5L), 0);
    EXPECT_EQ(NormalQuantile(0.5000009L), 0);
    EXPECT_EQ(NormalQuantile(0.4999991L), 0);
    EXPECT_NE(NormalQuantile(0.5000011L), 0);
    EXPECT_NEAR(NormalQuantile(0.95L), 1.6452L, 5e-5L);
    EXPECT_NEAR(NormalQuantile(0.975L), 1.9604L, 5e-5L);
    EXPECT_NEAR(NormalQuantile(0.05L), -1.6452L, 5e-5L);
    for (long double p : {0.001L, 0.2L, 0.3L, 0.45L})
        EXPECT_EQ(NormalQuantile(p), -NormalQuantile(1 - p)) << double(p);
}

TEST_F(Distributions, NormalQuantileStaysWithinItsPublishedErrorOfTheExactQuantile)
{
    long double worst = 0;
    for (long double p = 1e-6L; p < 0.5L; p *= 1.05L) {
        for (long double q : {p, 1 - p, 0.5L - p}) {
            worst = std::max(worst, std::fabs(NormalQuantile(q) - exactNormalQuantile(q)));
        }
    }
    EXPECT_LT(worst, 4.5e-4L);
    EXPECT_GT(worst, 1e-4L) << "the approximation, not the exact quantile";
}

TEST_F(Distributions, NormalQuantileKeepsTheFarTailBeyondWhatOneMinusPResolves)
{
    long double previous = 0;
    for (long double p : {1e-25L, 1e-300L, 1e-4000L}) {
        const long double x = NormalQuantile(p);
        ASSERT_TRUE(std::isfinite(x)) << double(p);
        EXPECT_LT(x, previous);
        EXPECT_NEAR(x, exactNormalQuantile(p), 4.5e-4L * std::fabs(x)) << double(p);
        previous = x;
    }
}

TEST_F(Distributions, NormalQuantileRefusesProbabilitiesOutsideTheOpenInterval)
{
    const long double bad[] = {0, 1, -0.5L, 1.5L, std::numeric_limits<long double>::quiet_NaN()};
    for (long double p : bad) {
        dialogs.expectMessage(QStringLiteral("Error of the normal distribution parameter"));
        EXPECT_EQ(NormalQuantile(p), 0);
    }
    ASSERT_EQ(dialogs.shown().size(), std::size(bad));
    EXPECT_EQ(dialogs.shown()[0].text, QStringLiteral("Error of the normal distribution parameter"));
    EXPECT_EQ(dialogs.shown()[0].type, ui::TMsgDlgType::mtError);
    EXPECT_EQ(dialogs.shown()[0].buttons, ui::TMsgDlgButtons::mbOK);
}

TEST_F(Distributions, NormalProbabilityShortcutsAndSearch)
{
    EXPECT_EQ(NormalProbability(0.00004L), 0.5L);
    EXPECT_EQ(NormalProbability(7.5L), 1.0L);
    EXPECT_EQ(NormalProbability(-7.5L), 0.0L);
    const long double atSeven = NormalProbability(7);
    EXPECT_GT(atSeven, 0.99999L);
    EXPECT_LT(atSeven, 1.0L);
    EXPECT_NEAR(NormalProbability(1.96L), 0.97498L, 5e-6L);
    for (long double x = -7; x <= 7; x += 0.01L) {
        const long double p = NormalProbability(x);
        if (std::fabs(x) > SearchTolerance) {
            EXPECT_TRUE(SearchEnded(x, p, NormalQuantile(p)));
        }
    }
}

TEST_F(Distributions, ChiSquareQuantileFollowsTheExpansion)
{
    EXPECT_NEAR(ChiSquareQuantile(10, 0.95L), 18.3101L, 5e-5L);
    // The expansion's truncation error shrinks as DF grows.
    for (const Reference &row : chiSquareReference) {
        const long double tolerance = row.df1 < 20 ? 3.5e-3L : 1.5e-4L;
        EXPECT_NEAR_REL(row.exact, ChiSquareQuantile(row.df1, row.p), tolerance) << row.df1 << " " << double(row.p);
    }
}

TEST_F(Distributions, ChiSquareProbabilityInvertsTheQuantile)
{
    for (long double x : {0.0L, 0.5L, 1.0L, 3.84L, 10.0L, 49.0L})
        EXPECT_EQ(ChiSquareProbability(1, x), 2 * NormalProbability(std::sqrt(x)) - 1) << double(x);
    EXPECT_NEAR(ChiSquareProbability(10, 18.307L), 0.94995L, 5e-6L);
    for (int32_t df : {2, 3, 5, 10, 30, 100}) {
        for (long double x = 0; x <= 3.0L * df + 40; x += 0.37L) {
            const long double p = ChiSquareProbability(df, x);
            EXPECT_TRUE(SearchEnded(x, p, ChiSquareQuantile(df, p))) << "DF " << df;
        }
    }
    EXPECT_GT(ChiSquareProbability(10, 1000), 0.9999L);
    EXPECT_LT(ChiSquareProbability(10, 0), 0.0001L);
}

TEST_F(Distributions, StudentQuantileFollowsTheSeries)
{
    EXPECT_NEAR(StudentQuantile(10, 0.975L), 2.2287L, 5e-5L);
    // The normal quantile's error, carried through the series.
    for (const Reference &row : studentReference)
        EXPECT_NEAR(row.exact, StudentQuantile(row.df1, row.p), 7e-4L) << row.df1 << " " << double(row.p);
}

TEST_F(Distributions, StudentProbabilityInvertsTheQuantile)
{
    EXPECT_EQ(StudentProbability(10, 0), 0.5L);
    for (int32_t df : {1, 2, 5, 10, 100}) {
        for (long double x = -50; x <= 50; x += 0.23L) {
            const long double p = StudentProbability(df, x);
            EXPECT_TRUE(SearchEnded(x, p, StudentQuantile(df, p))) << "DF " << df;
        }
    }
}

TEST_F(Distributions, FisherQuantileFollowsPaulsonInBothTails)
{
    EXPECT_NEAR(FisherQuantile(5, 10, 0.95L), 3.3287L, 5e-5L);
    // Paulson's approximation loses accuracy in the far tails.
    for (const Reference &row : fisherReference) {
        const long double tolerance = row.p < 0.05L || row.p > 0.95L ? 0.3L : 0.015L;
        EXPECT_NEAR_REL(row.exact, FisherQuantile(row.df1, row.df2, row.p), tolerance)
            << row.df1 << " " << row.df2 << " " << double(row.p);
    }
    // F(DF1, DF2) at P is the reciprocal of F(DF2, DF1) at 1 - P, so the lower tail mirrors the upper.
    for (long double p : {0.01L, 0.05L, 0.3L, 0.5L, 0.9L})
        EXPECT_NEAR_REL(1.0L, FisherQuantile(5, 10, p) * FisherQuantile(10, 5, 1 - p), 1e-15L) << double(p);
}

TEST_F(Distributions, FisherQuantileAtTheMedianSurvivesARoundedDiscriminant)
{
    EXPECT_NEAR_REL(FisherQuantile(1, 2, 0.5L), 0.669921875L, 1e-17L); // ((1 - 2/9) / (1 - 2/18))³ = (7/8)³
    EXPECT_NEAR_REL(FisherQuantile(2, 1, 0.5L), 1 / 0.669921875L, 1e-17L);
}

TEST_F(Distributions, ABadProbabilityShowsOneBoxAndTheSeriesGoOnWithZero)
{
    dialogs.expectMessage(QStringLiteral("Error of the normal distribution parameter"));
    EXPECT_NEAR_REL(ChiSquareQuantile(10, 1), 10 - 0.666666667L + 32 * 0.002469135803L / 10, 1e-18L);
    dialogs.expectMessage(QStringLiteral("Error of the normal distribution parameter"));
    EXPECT_EQ(StudentQuantile(10, 0), 0);
    dialogs.expectMessage(QStringLiteral("Error of the normal distribution parameter"));
    const long double a = 2.0L / 45, b = 2.0L / 90;
    EXPECT_NEAR_REL(FisherQuantile(5, 10, 2), std::pow((1 - a) / (1 - b), 3), 1e-17L);
    EXPECT_EQ(dialogs.shown().size(), 3u);
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
    // Negative discriminant, and (1 - b)² < b·z² where the formula turns negative.
    EXPECT_THROW(FisherQuantile(1, 1, 0.99L), rtl::EMathError);
    EXPECT_THROW(FisherQuantile(5, 1, 0.975L), rtl::EMathError);
    try {
        ChiSquareQuantile(0, 0.9L);
    } catch (const rtl::EMathError &error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Degrees of freedom must be at least 1"));
    }
}

TEST_F(Distributions, FisherQuantileTakesTheLargestDegreesOfFreedom)
{
    EXPECT_NEAR(FisherQuantile(2000000000, 2000000000, 0.95L), 1.0L, 1e-3L);
}
