// The simulated critical value against its exact value. A pooled gap of ordered standard-normal
// samples of n values is wider than w with probability
//   S(w) = n/(n-1) ∫ φ(x) {[1 - Φ(x + w) + Φ(x)]^(n-1) - Φ(x)^(n-1)} dx,
// so the critical value at alpha is the w with S(w) = 1 - alpha, found here by Simpson's rule and
// bisection.
//
// Tolerance = 5 standard errors + the bias of the drawn values:
// - Standard error: the million gaps are simulated as 20 independent batches; the spread of the
//   20 batch readouts over √20 is the standard error of the pooled readout. Batches keep the
//   gaps of one sample together, so the correlation of gaps within a sample is accounted for.
//   With 19 degrees of freedom, 5 estimated standard errors leave a chance below 1e-4 of a
//   false alarm (the seeds are fixed, so the test is repeatable either way).
// - Bias: values are drawn as NormalQuantile(u), a rational approximation. A gap between x1 and
//   x2 becomes Q(Φ(x2)) - Q(Φ(x1)), so it is stretched by at most δ = sup |(Q∘Φ)'(x) - 1|
//   (measured below over |x| <= 6), plus the flat centre where NormalQuantile answers 0 within
//   1e-6 of 0.5, which shortens a gap across it by at most 2·1e-6·√(2π) < 5.1e-6. The quantile of
//   the gaps then moves by at most δ·w + 5.1e-6.

#include "statistics/OrderedDiffSimulation.h"
#include "statistics/Ustatistics.h"

#include "platform/rtl/Random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

namespace {

constexpr double kAlpha = 0.95;
constexpr int kBatches = 20;
constexpr long double kPi = 3.141592653589793238462643383279502884L;

long double Phi(long double x) { return 0.5L * std::erfc(-x / std::sqrt(2.0L)); }
long double phi(long double x) { return std::exp(-x * x / 2) / std::sqrt(2 * kPi); }

long double ShareWiderThan(long double w, int n)
{
    constexpr int intervals = 8000;
    constexpr long double from = -10, to = 10, h = (to - from) / intervals;
    long double sum = 0;
    for (int i = 0; i <= intervals; ++i) {
        const long double x = from + i * h;
        const long double f = phi(x) * (std::pow(1 - Phi(x + w) + Phi(x), n - 1) - std::pow(Phi(x), n - 1));
        sum += f * (i == 0 || i == intervals ? 1 : (i % 2 ? 4 : 2));
    }
    return n / (n - 1.0L) * sum * h / 3;
}

long double ExactCriticalValue(int n, double alpha)
{
    long double lo = 0, hi = 10;
    for (int i = 0; i < 60; ++i) {
        const long double mid = (lo + hi) / 2;
        (ShareWiderThan(mid, n) > 1 - alpha ? lo : hi) = mid;
    }
    return (lo + hi) / 2;
}

long double ApproximationStretch()
{
    constexpr long double h = 1e-4L;
    long double worst = 0;
    for (long double x = -6; x <= 6; x += 0.001L) {
        if (std::fabs(x) < 1e-3L)
            continue; // the flat centre is bounded on its own
        const long double slope = (NormalQuantile(Phi(x + h)) - NormalQuantile(Phi(x - h))) / (2 * h);
        worst = std::max(worst, std::fabs(slope - 1));
    }
    return worst;
}

struct Reference
{
    int n;
    double published; // the exact value to five decimals
};

class CriticalValueAccuracy : public ::testing::TestWithParam<Reference>
{
};

TEST_P(CriticalValueAccuracy, MillionGapsMeetTheExactQuantile)
{
    const Reference r = GetParam();
    const long double exact = ExactCriticalValue(r.n, kAlpha);
    ASSERT_NEAR(double(exact), r.published, 6e-6) << "the integration itself";

    const int32_t samplesPerBatch = int32_t(std::ceil(1e6 / kBatches / (r.n - 1)));
    std::vector<double> pooled, batchValues;
    for (int b = 0; b < kBatches; ++b) {
        rtl::SetRandSeed(uint32_t(1000 + 37 * b + r.n));
        const std::vector<double> gaps = SimulateGaps(dkNormal, 0, r.n, samplesPerBatch);
        batchValues.push_back(double(GapQuantile(gaps, kAlpha)));
        pooled.insert(pooled.end(), gaps.begin(), gaps.end());
    }
    SortGaps(pooled);
    ASSERT_GE(pooled.size(), 1000000u);
    const double simulated = double(GapQuantile(pooled, kAlpha));

    const double mean = std::accumulate(batchValues.begin(), batchValues.end(), 0.0) / kBatches;
    double squares = 0;
    for (const double v : batchValues)
        squares += (v - mean) * (v - mean);
    const double standardError = std::sqrt(squares / (kBatches - 1)) / std::sqrt(double(kBatches));
    const double bias = double(ApproximationStretch() * exact) + 5.1e-6;
    const double tolerance = 5 * standardError + bias;
    RecordProperty("exact", std::to_string(double(exact)));
    RecordProperty("simulated", std::to_string(simulated));
    RecordProperty("standard_error", std::to_string(standardError));
    RecordProperty("bias_bound", std::to_string(bias));
    EXPECT_NEAR(simulated, double(exact), tolerance)
        << "standard error " << standardError << ", bias bound " << bias;
    // The tolerance stays a small share of the value: the check has teeth.
    EXPECT_LT(tolerance, 0.02 * double(exact));
}

INSTANTIATE_TEST_SUITE_P(SampleSizes, CriticalValueAccuracy,
                         ::testing::Values(Reference{5, 1.58406}, Reference{10, 1.01390}, Reference{100, 0.16989}),
                         [](const auto &info) { return "Cases" + std::to_string(info.param.n); });

} // namespace
