#include "OrderedDiffSimulation.h"

#include "Ustatistics.h"

#include "platform/rtl/RadixSort.h"
#include "platform/rtl/Random.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

// Below this many gaps a comparison sort is as quick as the radix sort's passes.
constexpr size_t kRadixSortThreshold = 4096;

rtl::Exception tooManyGaps(long double samples, int32_t cases)
{
    return rtl::Exception(QStringLiteral("%1 samples of %2 values are too many: a simulation makes at most %3 differences")
                              .arg(rtl::FloatToStrF(samples, 15)).arg(cases).arg(MaxSimulatedGaps));
}

} // namespace

double DrawnValue(uint8_t Kind, int32_t N, double u)
{
    switch (Kind) {
    case dkNormal: return double(NormalQuantile(u));
    case dkChiQuadrat: return double(ChiSquareQuantile(N, u));
    case dkT: return double(StudentQuantile(N, u));
    default: return u;
    }
}

std::vector<double> TGapCollector::Finish()
{
    std::vector<double> gaps = std::move(m_gaps);
    m_gaps.clear();
    SortGaps(gaps);
    return gaps;
}

void SortGaps(std::vector<double> &gaps)
{
    const bool unsignedPatterns = std::none_of(gaps.begin(), gaps.end(), [](double g) { return std::signbit(g) || std::isnan(g); });
    if (gaps.size() < kRadixSortThreshold || gaps.size() > UINT32_MAX || !unsignedPatterns)
        std::sort(gaps.begin(), gaps.end());
    else
        // Without a sign bit the unsigned order of the bit patterns is the order of the numbers.
        rtl::RadixSortStable(gaps, [](double gap) { return std::bit_cast<uint64_t>(gap); });
}

int32_t SamplesForGaps(int32_t Iterations, int32_t Cases)
{
    const long double samples = std::trunc(static_cast<long double>(Iterations) / (Cases - 1) + 1);
    if (samples * (Cases - 1) > MaxSimulatedGaps)
        throw tooManyGaps(samples, Cases);
    return samples < 1 ? 1 : int32_t(samples);
}

std::vector<double> SimulateGaps(uint8_t Kind, int32_t N, int32_t Cases, int32_t Iterations)
{
    if (Iterations <= 0 || Cases < 2)
        return {};
    const int64_t count = int64_t(Iterations) * (Cases - 1);
    if (count > MaxSimulatedGaps)
        throw tooManyGaps(Iterations, Cases);
    // The quantile at 0.5 raises the engine's error for degrees of freedom below 1 before any draw.
    if (Kind == dkChiQuadrat || Kind == dkT)
        DrawnValue(Kind, N, 0.5);

    std::vector<double> sample(size_t(Cases), 0.0);
    TGapCollector gaps;
    gaps.Reserve(size_t(count));
    for (int32_t iteration = 0; iteration < Iterations; ++iteration) {
        for (double &value : sample)
            value = DrawnValue(Kind, N, rtl::Random());
        std::sort(sample.begin(), sample.end());
        for (size_t i = 1; i < sample.size(); ++i)
            gaps.AddDifference(double(static_cast<long double>(sample[i]) - sample[i - 1]));
    }
    return gaps.Finish();
}

long double GapQuantile(const std::vector<double> &ascending, double alpha)
{
    if (ascending.empty())
        throw rtl::EInvalidOperation(QStringLiteral("There are no simulated differences to read a critical value from"));
    const long double position = static_cast<long double>(ascending.size()) * alpha;
    if (!(position >= 0))
        return ascending.front();
    if (position >= static_cast<long double>(ascending.size() - 1))
        return ascending.back();
    const auto k = size_t(position);
    const long double below = ascending[k];
    return (position - k) * (ascending[k + 1] - below) + below;
}

std::vector<THistogramBar> GapHistogram(const std::vector<double> &ascending, double w)
{
    std::vector<THistogramBar> bars;
    if (ascending.empty())
        return bars;
    if (!(ascending.back() / w < double(MaxHistogramBars)))
        throw rtl::Exception(QStringLiteral("The frequency interval %1 is too small for differences up to %2: "
                                            "a histogram has at most %3 bars")
                                 .arg(rtl::FloatToStr(w), rtl::FloatToStr(ascending.back()))
                                 .arg(MaxHistogramBars));
    const double total = double(ascending.size());
    size_t next = 0;
    double start = 0;
    while (next < ascending.size()) {
        const double end = start + w;
        size_t count = 0;
        for (; next < ascending.size() && ascending[next] < end; ++next)
            ++count;
        bars.push_back({start + w / 2, double(count) / total / w});
        start = end;
    }
    return bars;
}
