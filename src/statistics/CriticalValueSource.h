#pragma once
// What the class statistics need of the statistics window: critical values of ordered differences.

#include <cstdint>

/// Distribution kinds of the critical-value simulation.
enum TDistributionKind : uint8_t { dkNone = 0, dkRegular = 1, dkNormal = 2, dkChiQuadrat = 3, dkT = 4 };

class CriticalValueSource
{
public:
    virtual ~CriticalValueSource() = default;
    /// The quantile at `Alpha` of the gaps between neighbours of ordered samples of `Cases` values
    /// drawn from distribution `Kind` (degrees of freedom N, N2), resting on at least `Iterations`
    /// simulated gaps; -1 when the kind is refused. May simulate first.
    virtual double GetCriticalValue(uint8_t Kind, int32_t N, int32_t N2, int32_t Cases, double Alpha,
                                    int32_t Iterations) = 0;

    /// Many requests follow until EndRun, during which nothing but this source changes the
    /// stored values: a source may read them once for the whole run.
    virtual void BeginRun() {}
    virtual void EndRun() {}
};

/// BeginRun and EndRun of a source for the lifetime of the scope.
class CriticalValueRun
{
public:
    explicit CriticalValueRun(CriticalValueSource &source) : m_source(source) { m_source.BeginRun(); }
    ~CriticalValueRun() { m_source.EndRun(); }
    CriticalValueRun(const CriticalValueRun &) = delete;
    CriticalValueRun &operator=(const CriticalValueRun &) = delete;

private:
    CriticalValueSource &m_source;
};
