#include "Ustatistics.h"

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Warnings.h"

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
        rtl::ShowWarning(rtl::WarningKind::Error, QStringLiteral("Error of the normal distribution parameter"));
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

namespace {

constexpr long double SignificanceBand = 1.0E-6L;
constexpr long double EliminationSkip = 1.0E-14L;

void warn(const QString &text)
{
    rtl::ShowWarning(rtl::WarningKind::Warning, text);
}

void addToSums(long double value, long double &sum, long double &squares, long double &minimum, long double &maximum)
{
    sum += value;
    squares += value * value;
    if (value < minimum)
        minimum = value;
    if (value > maximum)
        maximum = value;
}

// Turns Σ and Σ² into the mean and the population standard deviation. A variance of 0, or a
// rounding residue below it, is kept as it is.
void finishMoments(int32_t count, long double &mean, long double &deviation)
{
    mean = mean / count;
    deviation = deviation / count - mean * mean;
    if (deviation > 0)
        deviation = std::sqrt(deviation);
}

bool HasShape(int32_t N, const std::vector<std::vector<long double>> &M)
{
    if (N < 0 || M.size() < size_t(N) + 1)
        return false;
    for (size_t i = 0; i <= size_t(N); ++i) {
        if (M[i].size() < size_t(N) + 2)
            return false;
    }
    return true;
}

} // namespace

bool SolveLinearEquations(int32_t N, std::vector<std::vector<long double>> &M)
{
    if (!HasShape(N, M))
        return false;
    const size_t n = size_t(N);
    const size_t columns = n + 2;
    for (size_t k = 0; k <= n; ++k) {
        long double pivot = M[k][k];
        // Only an exact zero is exchanged: a small pivot is kept as it is.
        if (pivot == 0) {
            size_t r = k + 1;
            while (r <= n && M[r][k] == 0)
                ++r;
            if (r > n)
                return false;
            std::swap_ranges(M[k].begin(), M[k].begin() + columns, M[r].begin());
            pivot = M[k][k];
        }
        for (size_t i = 0; i <= n; ++i) {
            if (i == k)
                continue;
            const long double f = M[i][k] / pivot;
            if (std::fabs(f) > EliminationSkip) {
                for (size_t c = 0; c < columns; ++c)
                    M[i][c] = M[i][c] - f * M[k][c];
            }
        }
    }
    for (size_t i = 0; i <= n; ++i) {
        const long double d = M[i][i];
        if (d == 0)
            return false;
        for (size_t c = 0; c < columns; ++c)
            M[i][c] = M[i][c] / d;
    }
    return true;
}

TStatistics::TStatistics() = default;

bool TStatistics::AddPoint(long double X, long double Y)
{
    if (X == FMissingX || Y == FMissingY)
        return false;
    FPoints.push_back({X, Y});
    return true;
}

void TStatistics::Compute(uint8_t Order)
{
    if (FPoints.empty()) {
        FComputed = false;
        return;
    }
    ResetSums();
    for (size_t i = 0; i < FPoints.size(); ++i)
        Accumulate(PointX(i), PointY(i));
    FinishMoments();
    ComputeSignificance();
    FOrder = Order;
    FComputed = true;
    if (Order == 0)
        return;
    BuildNormalEquations();
    if (!SolveRegression(FOrder)) {
        FOrder = 0;
        m_solveFailed = true;
    }
    ComputeDetermination();
}

void TStatistics::ResetSums()
{
    FCountX = 0;
    FCountY = 0;
    FMeanX = FStdX = FMeanY = FStdY = FCorrelation = 0;
    FMinX = FMaxX = PointX(0);
    FMinY = FMaxY = PointY(0);
    FOrder = 0;
    FComputed = false;
    m_solveFailed = false;
}

// While the sums run, the mean and STD fields hold Σ and Σ², the correlation Σxy.
void TStatistics::Accumulate(long double x, long double y)
{
    FCountX += 1;
    addToSums(x, FMeanX, FStdX, FMinX, FMaxX);
    FCountY = FCountX;
    addToSums(y, FMeanY, FStdY, FMinY, FMaxY);
    FCorrelation += x * y;
}

void TStatistics::FinishMoments()
{
    const int32_t N = FCountX;
    finishMoments(N, FMeanX, FStdX);
    finishMoments(FCountY, FMeanY, FStdY);
    if (FStdX > 0 && FStdY > 0)
        FCorrelation = (FCorrelation / N - FMeanX * FMeanY) / (FStdX * FStdY);
    else
        FCorrelation = 0;
}

void TStatistics::ComputeSignificance()
{
    const int32_t N = FCountX;
    if (N <= 2) {
        FSignificance = 0;
        return;
    }
    const long double r = FCorrelation;
    const long double rest = 1 - r * r;
    // Near r = ±1 (or beyond it, by rounding) t is unbounded: its lower-tail probability is 1 or 0.
    if (rest <= SignificanceBand) {
        FSignificance = r > 0 ? 1.0L : 0.0L;
        return;
    }
    const long double t = std::sqrt(static_cast<long double>(N - 2)) * r / std::sqrt(rest);
    FSignificance = StudentProbability(N - 2, t);
}

void TStatistics::BuildNormalEquations()
{
    const size_t n = FOrder;
    // Entry (i, j) is the sum of x^(i+j): every entry with the same i + j adds the same terms in
    // the same order, so one sum per power gives each of them.
    std::vector<long double> P(2 * n + 1);
    std::vector<long double> powerSums(2 * n + 1, 0);
    std::vector<long double> rightSums(n + 1, 0);
    FSumY2 = 0;
    for (size_t point = 0; point < FPoints.size(); ++point) {
        const long double x = PointX(point), y = PointY(point);
        P[0] = 1;
        P[1] = x;
        for (size_t k = 2; k <= 2 * n; ++k)
            P[k] = x * P[k - 1];
        for (size_t k = 0; k <= 2 * n; ++k)
            powerSums[k] += P[k];
        for (size_t i = 0; i <= n; ++i)
            rightSums[i] += y * P[i];
        FSumY2 += y * y;
    }
    FMatrix.assign(n + 1, std::vector<long double>(n + 2, 0));
    for (size_t i = 0; i <= n; ++i) {
        for (size_t j = 0; j <= n; ++j)
            FMatrix[i][j] = powerSums[i + j];
        FMatrix[i][n + 1] = rightSums[i];
    }
    FSumX = FMatrix[0][1];
    FSumX2 = FMatrix[1][1];
    FSumY = FMatrix[0][n + 1];
    FSumXY = FMatrix[1][n + 1];
}

bool TStatistics::SolveRegression(uint8_t n)
{
    if (FMatrix.size() < size_t(n) + 1) {
        warn(QStringLiteral("LinearExuations: low number of exuations: ") + rtl::IntToStr(int64_t(FMatrix.size())));
        return false;
    }
    for (size_t i = 0; i <= n; ++i) {
        if (FMatrix[i].size() < size_t(n) + 2) {
            warn(QStringLiteral("LinearExuations: error of exuation [") + rtl::IntToStr(int64_t(i)) + QStringLiteral("]"));
            return false;
        }
    }
    if (!SolveLinearEquations(n, FMatrix))
        return false;
    FCoefficients.resize(size_t(n) + 1);
    for (size_t i = 0; i <= n; ++i)
        FCoefficients[i] = FMatrix[i][n + 1];
    return true;
}

void TStatistics::ComputeDetermination()
{
    if (FOrder <= 1) {
        FDetermination = FCorrelation * FCorrelation;
        return;
    }
    // Equal Y values (or a variance lost to rounding) are passed through exactly by the polynomial.
    if (FMinY == FMaxY || FStdY == 0) {
        FDetermination = 1.0L;
        return;
    }
    long double S = 0;
    for (size_t i = 0; i < FPoints.size(); ++i) {
        const long double residual = PointY(i) - Evaluate(PointX(i));
        S += residual * residual;
    }
    FDetermination = 1 - (S / FCountY) / (FStdY * FStdY);
}

bool TStatistics::HasPolynomial() const
{
    return !m_solveFailed && FCoefficients.size() > FOrder;
}

void TStatistics::WarnNotCalculated()
{
    warn(QStringLiteral("Regression was not calculated"));
}

long double TStatistics::Evaluate(long double X) const
{
    if (!FComputed) {
        WarnNotCalculated();
        return FMissingY;
    }
    if (!HasPolynomial())
        return FMissingY;
    long double result = FCoefficients[0];
    long double power = 1;
    for (size_t i = 1; i <= FOrder; ++i) {
        power = power * X;
        result = result + FCoefficients[i] * power;
    }
    return result;
}

std::vector<long double> TStatistics::CurveXs() const
{
    const long double d = FMaxX - FMinX;
    long double s = FMinX - d / 10;
    // A curve of positive data does not start left of 0.
    if (FMinX > 0 && s < 0)
        s = 0;
    const long double e = FMaxX + d / 10;
    long double step = e - s;
    if (FOrder > 1)
        step = step / 100;
    std::vector<long double> xs;
    for (long double x = s; x <= e;) {
        xs.push_back(x);
        const long double next = x + step;
        // A step of 0 (a single X value) or one below the resolution of x would never reach e.
        if (next == x)
            break;
        x = next;
    }
    return xs;
}
