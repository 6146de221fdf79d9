#pragma once
// The Monte-Carlo core of the critical values of ordered differences: random samples of a
// distribution put in ascending order, the gaps between neighbours of every sample pooled in one
// ascending list, and the value below which a given share of the gaps lie.
//
// The gaps are collected and sorted once at the end rather than inserted one by one into an
// ascending list: only the finished order can be observed, and gaps of equal value are
// interchangeable (a gap of -0 is kept as 0, which reads, interpolates and draws the same).
//
// A simulation runs on every processor the program may use: each stretch of the generator's
// sequence is drawn by its own copy of the generator, jumped ahead to where the stretch starts,
// so that the draws, the gaps and the generator's final state are those of drawing one value
// after the other.

#include "CriticalValueSource.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

/// The probability levels of the critical-value tables, in table order.
inline constexpr std::array<double, 12> AlphaLevels{0.05, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 0.95, 0.99};

/// The most gaps one simulation makes: their count is stored as a 32-bit integer.
inline constexpr int64_t MaxSimulatedGaps = INT32_MAX;

/// The value of distribution `Kind` at the uniform draw u: u itself for "Regular" and any kind
/// other than 2 to 4, NormalQuantile(u) for "Normal", ChiSquareQuantile(N, u) for "chi-quadrat",
/// StudentQuantile(N, u) for "t", held as a 64-bit float.
double DrawnValue(uint8_t Kind, int32_t N, double u);

/// Collects gaps as they are made and hands them back in ascending order.
class TGapCollector
{
public:
    void Reserve(size_t count) { m_gaps.reserve(count); }
    /// Takes one gap; the list is ordered when Finish is called.
    void AddDifference(double Value) { m_gaps.push_back(Value + 0.0); }
    /// The gaps collected, in ascending order; the collector is empty afterwards.
    std::vector<double> Finish();

private:
    std::vector<double> m_gaps;
};

/// Sorts non-negative numbers ascending (a radix sort for long lists).
void SortGaps(std::vector<double> &gaps);

/// Sorts gaps (non-negative numbers) ascending on up to `Threads` threads (0: every usable processor),
/// using `scratch` (resized as needed) as working room.
void SortGaps(std::vector<double> &gaps, std::vector<double> &scratch, unsigned Threads);

/// The samples a request for Iterations gaps of samples of Cases values simulates:
/// Trunc(Iterations / (Cases - 1) + 1) in extended precision, so that their gaps exceed
/// Iterations; at least 1. Throws rtl::Exception when they would make more than MaxSimulatedGaps
/// gaps. Cases must be at least 2.
int32_t SamplesForGaps(int32_t Iterations, int32_t Cases);

/// Draws Iterations samples of Cases values of distribution Kind from the program-wide generator
/// (rtl::Random, not reseeded here), sorts each sample and answers the Iterations × (Cases - 1)
/// gaps between neighbours in ascending order; none for Iterations <= 0 or Cases < 2. Runs on
/// up to `Threads` threads (0: every usable processor) with the same draws, gaps and final generator state
/// whatever their number; warnings of the draws (a draw of exactly 0 for kinds 2 to 4) are shown
/// on the calling thread, in the order of the draws, once every value is drawn.
/// Throws rtl::EMathError before any draw when kind 3 or 4 has N below 1, and rtl::Exception when
/// more than MaxSimulatedGaps gaps are asked for.
std::vector<double> SimulateGaps(uint8_t Kind, int32_t N, int32_t Cases, int32_t Iterations, unsigned Threads = 0);

/// The value below which the share alpha of the ascending gaps lie: with Count gaps and
/// k = Trunc(Count × alpha), (Count × alpha - k) × (D[k + 1] - D[k]) + D[k] in extended
/// precision. A level that leaves no gap after the k-th answers the last gap, one below the
/// first the first gap. Throws rtl::EInvalidOperation when there are no gaps.
long double GapQuantile(const std::vector<double> &ascending, double alpha);

/// One bar of a density histogram: its centre and its height.
struct THistogramBar
{
    double X = 0;
    double Y = 0;
};

/// The most bars a histogram may have.
inline constexpr int64_t MaxHistogramBars = 1000000;

/// Bars of width w from 0 up to the bin that holds the largest gap, bin edges accumulated by
/// repeated addition; each bar's height is its share of the gaps divided by w, so the areas add
/// up to 1. Throws rtl::Exception when w would give more than MaxHistogramBars bars.
std::vector<THistogramBar> GapHistogram(const std::vector<double> &ascending, double w);
