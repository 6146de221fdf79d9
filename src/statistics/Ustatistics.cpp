#include "Ustatistics.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"

#include <cmath>

namespace {

// Abramowitz and Stegun 26.2.23.
constexpr long double c0 = 2.515517L, c1 = 0.802853L, c2 = 0.010328L;
constexpr long double d1 = 1.432788L, d2 = 0.189269L, d3 = 0.001308L;
constexpr long double NormalCentreHalfWidth = 1.0E-6L;

// Cornish-Fisher terms of the chi-square quantile, rounded as they have always been.
constexpr long double k1 = 1.414213562L, k2 = 0.666666667L, k3 = 0.07856742013L,
                      k4 = 0.002469135803L, k5 = 0.0001454952225L;

constexpr long double SearchTolerance = 0.00005L;
constexpr long double NormalFirstStep = 0.1L;
constexpr long double ChiSquareFirstStep = 0.1L;
constexpr long double StudentFirstStep = 0.3L;
constexpr long double UpperTailStop = 0.9999L;
constexpr long double LowerTailStop = 0.0001L;
constexpr long double NormalCutOff = 7;

void requireDegreesOfFreedom(int32_t DF)
{
    if (DF < 1)
        throw rtl::EMathError(QStringLiteral("Degrees of freedom must be at least 1"));
}

void requireNumber(long double X)
{
    if (std::isnan(X))
        throw rtl::EMathError(QStringLiteral("The value is not a number"));
}

rtl::EMathError noFisherApproximation()
{
    return rtl::EMathError(QStringLiteral("The F quantile cannot be approximated for these degrees of freedom"));
}

// DF^((2 - k) / 2).
long double ChiSquarePower(int32_t DF, int k)
{
    return std::exp(std::log(static_cast<long double>(DF)) * (2 - k) / 2);
}

// 1 / DF^k by repeated division.
long double InversePower(int32_t DF, int k)
{
    long double result = 1.0L;
    for (int i = 1; i <= k; ++i)
        result = result / DF;
    return result;
}

// Finds p with quantile(p) within the search tolerance of X: a secant walk from p0 after a first
// step of firstStep towards X, kept inside (0, 1) by halving the way to the nearer end.
template <typename Quantile>
long double SecantProbability(Quantile quantile, long double X, long double p0, long double firstStep,
                              bool tailStops)
{
    long double z0 = quantile(p0);
    if (std::fabs(z0 - X) <= SearchTolerance)
        return p0;
    long double p1 = X >= z0 ? p0 + firstStep : p0 - firstStep;
    long double z1 = quantile(p1);
    long double slope = (p1 - p0) / (z1 - z0);
    for (int pass = 0; pass < SecantSearchPassLimit && std::fabs(z0 - X) > SearchTolerance; ++pass) {
        p1 = p0 + (X - z0) * slope;
        if (p1 >= 1)
            p1 = (p0 + 1) / 2;
        if (p1 <= 0)
            p1 = p0 / 2;
        z1 = quantile(p1);
        // A quantile that no longer moves gives no slope: p0 is as near as the search gets.
        if (z1 == z0)
            break;
        slope = (p1 - p0) / (z1 - z0);
        p0 = p1;
        z0 = z1;
        if (tailStops && ((p0 > UpperTailStop && X > z0) || (p0 < LowerTailStop && X < z0)))
            break;
    }
    return p0;
}

} // namespace

long double NormalQuantile(long double P)
{
    if (!(P > 0 && P < 1)) {
        ui::MessageDlg(QStringLiteral("Error of the normal distribution parameter"), ui::TMsgDlgType::mtError,
                       ui::TMsgDlgButtons::mbOK);
        return 0;
    }
    if (std::fabs(P - 0.5L) < NormalCentreHalfWidth)
        return 0;
    long double p = 1 - P;
    if (P < 0.5L)
        p = 1 - p;
    // Below 2^-65 the round trip through 1 - P leaves nothing of P; ln(1/P²) = -2·ln(P) then
    // keeps the far tail, where P² would not even be representable.
    const long double t = p > 0 ? std::sqrt(std::log(1 / (p * p))) : std::sqrt(-2 * std::log(P));
    const long double x = t - (c0 + c1 * t + c2 * t * t) / (1 + d1 * t + d2 * t * t + d3 * t * t * t);
    return P < 0.5L ? -x : x;
}

long double NormalProbability(long double X)
{
    requireNumber(X);
    if (std::fabs(X) <= SearchTolerance)
        return 0.5L;
    if (X > NormalCutOff)
        return 1.0L;
    if (X < -NormalCutOff)
        return 0.0L;
    const long double start = X > 0 ? 0.8L : 0.2L;
    return SecantProbability(NormalQuantile, X, start, NormalFirstStep, false);
}

long double ChiSquareQuantile(int32_t DF, long double P)
{
    requireDegreesOfFreedom(DF);
    const long double z = NormalQuantile(P);
    const long double z2 = z * z;
    const long double terms[5] = {
        k1 * z,
        k2 * (z2 - 1),
        k3 * z * (z2 - 7),
        -k4 * ((6 * z2 + 14) * z2 - 32),
        k5 * z * ((9 * z2 + 256) * z2 - 433),
    };
    long double x = DF;
    for (int k = 1; k <= 5; ++k)
        x = x + terms[k - 1] * ChiSquarePower(DF, k);
    return x;
}

long double ChiSquareProbability(int32_t DF, long double X)
{
    requireDegreesOfFreedom(DF);
    requireNumber(X);
    if (DF == 1) {
        if (X < 0)
            throw rtl::EMathError(QStringLiteral("A chi-square value cannot be negative"));
        return 2 * NormalProbability(std::sqrt(X)) - 1;
    }
    const auto quantile = [DF](long double p) { return ChiSquareQuantile(DF, p); };
    return SecantProbability(quantile, X, 0.5L, ChiSquareFirstStep, true);
}

long double StudentQuantile(int32_t DF, long double P)
{
    requireDegreesOfFreedom(DF);
    const long double z = NormalQuantile(P);
    const long double z3 = z * z * z;
    const long double z5 = z3 * z * z;
    const long double z7 = z5 * z * z;
    const long double z9 = z7 * z * z;
    const long double g1 = (z3 + z) / 4;
    const long double g2 = (5 * z5 + 16 * z3 + 3 * z) / 96;
    const long double g3 = (3 * z7 + 19 * z5 + 17 * z3 - 15 * z) / 384;
    const long double g4 = (79 * z9 + 776 * z7 + 1482 * z5 - 1920 * z3 - 945 * z) / 92160;
    return z + g1 * InversePower(DF, 1) + g2 * InversePower(DF, 2) + g3 * InversePower(DF, 3)
           + g4 * InversePower(DF, 4);
}

long double StudentProbability(int32_t DF, long double X)
{
    requireDegreesOfFreedom(DF);
    requireNumber(X);
    const auto quantile = [DF](long double p) { return StudentQuantile(DF, p); };
    return SecantProbability(quantile, X, 0.5L, StudentFirstStep, true);
}

long double FisherQuantile(int32_t DF1, int32_t DF2, long double P)
{
    requireDegreesOfFreedom(DF1);
    requireDegreesOfFreedom(DF2);
    const long double z = NormalQuantile(P);
    // 64-bit products: 9·DF overflows 32 bits for the largest degrees of freedom.
    const long double a = 2 / static_cast<long double>(9 * int64_t(DF1));
    const long double b = 2 / static_cast<long double>(9 * int64_t(DF2));
    const long double A = z * z * b - (1 - b) * (1 - b);
    const long double B = 2 * (1 - a) * (1 - b);
    const long double C = z * z * a - (1 - a) * (1 - a);
    // At z = 0 the two roots meet and the discriminant is 0; rounding would leave a residue
    // whose square root shifts the median, or whose sign refuses it.
    const long double discriminant = z == 0 ? 0 : B * B - 4 * A * C;
    // Paulson's approximation holds only while (1 - b)² > b·z², that is A < 0, and its cube
    // root must come out positive.
    if (!(A < 0) || discriminant < 0)
        throw noFisherApproximation();
    // The two roots belong to +|z| and -|z|: the lower tail takes the smaller one.
    const long double root = z < 0 ? std::sqrt(discriminant) : -std::sqrt(discriminant);
    const long double u = (-B + root) / (2 * A);
    if (!(u > 0))
        throw noFisherApproximation();
    return u * u * u;
}
