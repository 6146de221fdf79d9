#pragma once
// Probability distributions and the polynomial regression engine.
//
// The quantile routines use the classic closed-form approximations (the rational approximation
// of Abramowitz and Stegun 26.2.23 for the normal, the Cornish-Fisher expansion for chi-square,
// the series 26.7.5 for Student t and Paulson's approximation for F); the probability routines
// invert those quantiles by a secant search, so that the two directions agree with each other
// rather than with the exact distributions. All arithmetic is in 80-bit extended precision.

#include <cstddef>
#include <cstdint>
#include <vector>

/// Lower-tail quantile x of the standard normal distribution, Φ(x) = P.
/// Outside the open interval (0, 1) it shows the error box "Error of the normal distribution
/// parameter" and answers 0; within 1e-6 of 0.5 it answers 0.
long double NormalQuantile(long double P);

/// Φ(X) by a secant search on NormalQuantile, to within 5e-5 on the quantile scale; 0.5 for
/// |X| <= 5e-5, 1 above 7 and 0 below -7. Throws rtl::EMathError when X is not a number.
long double NormalProbability(long double X);

/// Chi-square quantile with DF degrees of freedom. Throws rtl::EMathError for DF < 1.
long double ChiSquareQuantile(int32_t DF, long double P);

/// Chi-square cumulative probability of X: 2·NormalProbability(√X) - 1 for DF = 1, else a secant
/// search on ChiSquareQuantile that also stops beyond 0.9999 and below 0.0001. Throws
/// rtl::EMathError for DF < 1, for X < 0 with DF = 1 and for an X that is not a number.
long double ChiSquareProbability(int32_t DF, long double X);

/// Student t quantile with DF degrees of freedom. Throws rtl::EMathError for DF < 1.
long double StudentQuantile(int32_t DF, long double P);

/// Student t cumulative probability of X by a secant search on StudentQuantile, with the tail
/// stops of ChiSquareProbability. Throws rtl::EMathError for DF < 1 and an X that is not a number.
long double StudentProbability(int32_t DF, long double X);

/// F quantile by Paulson's approximation, DF1 degrees of freedom of the numerator and DF2 of the
/// denominator; below P = 0.5 it takes the quadratic's other root, so that F(DF1, DF2, P) is
/// 1 / F(DF2, DF1, 1 - P). Throws rtl::EMathError for a degree of freedom below 1 and where the
/// approximation has no answer: (1 - b)² <= b·z² with b = 2/(9·DF2), which includes a negative
/// discriminant (a small DF2 with P near 1), or a cube root not above 0 (a small DF1 with P near 0).
long double FisherQuantile(int32_t DF1, int32_t DF2, long double P);

/// Most passes a secant search makes; when they are used up, or when the quantile no longer
/// moves between two probabilities, the search answers its latest probability. Searches on
/// these quantiles end within a few dozen passes.
inline constexpr int SecantSearchPassLimit = 1000;

/// Gauss-Jordan elimination in place on M, N + 1 rows of N + 2 entries, the last column being
/// the right-hand side. Rows are exchanged only for a pivot that is exactly 0; a row whose
/// multiplier is at most 1e-14 in magnitude is left unchanged. Answers false for a singular
/// system (or a matrix smaller than N + 1 by N + 2); on true the solution stands in the last column.
bool SolveLinearEquations(int32_t N, std::vector<std::vector<long double>> &M);

/// One pair of a regression.
struct TStatPoint
{
    long double X = 0;
    long double Y = 0;
};

/// Collects pairs (X, Y), computes their means, population standard deviations, extremes,
/// Pearson correlation and its significance, and fits a least-squares polynomial.
///
/// Choices where the arithmetic gives no answer:
/// - FSignificance is 1.0 when r is within rounding of +1 (|1 - r²| <= 1e-6, or r² beyond 1) and
///   0.0 when r is within rounding of -1: the lower-tail probability of a very large positive or
///   negative t.
/// - When the last Compute failed to solve its system (FOrder then 0), or asked for no fit while
///   no coefficients exist, there is no polynomial: Evaluate answers FMissingY and the chart of
///   the regression shows no curve.
/// - FDetermination of a fit of degree 2 or more through Y values that are all equal (or whose
///   variance vanishes in rounding) is 1.0: the polynomial passes through every point.
/// - A curve over a single X value (FMinX = FMaxX) is drawn as one point; the sampling also ends
///   where a step no longer moves X.
class TStatistics
{
public:
    TStatistics();

    /// Missing-value markers: a pair carrying either is refused by AddPoint.
    long double FMissingX = -9999.9999L;
    long double FMissingY = -9999.9999L;
    /// Number of points of the last Compute.
    int32_t FCountX = 0;
    /// Coefficient of determination R² of the last fit.
    long double FDetermination = 0;
    /// c0 .. cFOrder of the polynomial Σ ci·X^i.
    std::vector<long double> FCoefficients;
    /// Degree of the last fit; 0 after a fit that could not be solved.
    uint8_t FOrder = 0;
    /// A Compute has run on at least one point.
    bool FComputed = false;

    /// Appends the pair and answers true, unless X equals FMissingX or Y equals FMissingY.
    bool AddPoint(long double X, long double Y);
    /// Computes every statistic of the points and, for Order >= 1, fits the polynomial of that
    /// degree. Without points it only clears FComputed.
    void Compute(uint8_t Order);
    /// The polynomial at X. Before any Compute shows the warning "Regression was not calculated";
    /// then, and when there is no polynomial, answers FMissingY.
    long double Evaluate(long double X) const;
    /// The pairs added, in order.
    const std::vector<TStatPoint> &Points() const { return FPoints; }
    /// The last Compute left a polynomial that Evaluate can answer.
    bool HasPolynomial() const;
    /// The X values at which a curve of the polynomial is drawn: the X range widened by a tenth on
    /// each side (not left of 0 for positive data), in one step for a straight line, else in
    /// hundredths; it ends early where a step no longer moves X.
    std::vector<long double> CurveXs() const;
    /// Shows the warning "Regression was not calculated".
    static void WarnNotCalculated();

    /// The statistics of the last Compute: means, population standard deviations (the variance
    /// while it is not above 0), extremes, Pearson r and its Student t significance.
    long double MeanX() const { return FMeanX; }
    long double StdX() const { return FStdX; }
    long double MinX() const { return FMinX; }
    long double MaxX() const { return FMaxX; }
    long double MeanY() const { return FMeanY; }
    long double StdY() const { return FStdY; }
    long double MinY() const { return FMinY; }
    long double MaxY() const { return FMaxY; }
    long double Correlation() const { return FCorrelation; }
    long double Significance() const { return FSignificance; }

private:
    long double PointX(std::size_t index) const { return FPoints[index].X; }
    long double PointY(std::size_t index) const { return FPoints[index].Y; }
    void ResetSums();
    void Accumulate(long double x, long double y);
    void FinishMoments();
    void ComputeSignificance();
    void BuildNormalEquations();
    bool SolveRegression(uint8_t n);
    void ComputeDetermination();

    std::vector<TStatPoint> FPoints;
    std::vector<std::vector<long double>> FMatrix;
    long double FSumX = 0, FSumX2 = 0, FSumY = 0, FSumY2 = 0, FSumXY = 0;
    long double FMeanX = 0, FStdX = 0, FMinX = 0, FMaxX = 0;
    int32_t FCountY = 0;
    long double FMeanY = 0, FStdY = 0, FMinY = 0, FMaxY = 0;
    long double FCorrelation = 0;
    long double FSignificance = 0;
    // The last Compute asked for a fit and its system was singular: the coefficients left from
    // an earlier fit belong to another polynomial.
    bool m_solveFailed = false;
};
