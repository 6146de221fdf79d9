#pragma once
// Classes of ordered values between the marked limits, and their moments.

#include "OrderedDifferences.h"

#include <cstdint>
#include <vector>

/// One class of ordered positions First..Last.
struct TClassRec
{
    int32_t First = 0;
    int32_t Last = 0;
    /// DistGrid row of the limit below the class; -1 for the first class.
    int32_t LowerRow = -1;
    /// DistGrid row of the limit above the class; -1 for the last class.
    int32_t UpperRow = -1;
    double Average = 0;
    /// Sample standard deviation; 0 when all values are equal; -1 for a class of one value.
    double Std = 0;
    double InnerCrit = -1;
    double OuterCrit = -1;
};

/// Most classes the analysis can hold: a value keeps its class number in 8 bits.
constexpr int MaxClasses = 256;

/// The classes cut by the limits at `limitRows` (rows of `differences`, in any order), in
/// ascending order of position, the last class ending at `orderedCount` - 1.
std::vector<TClassRec> BuildClasses(const std::vector<int> &limitRows, const std::vector<TDifference> &differences,
                                    int orderedCount);

struct ClassMoments
{
    double average = 0;
    double std = 0;
};

/// Mean and sample standard deviation from the sum and the sum of squares of n values:
/// std is 0 when the variance is not positive and -1 for a single value.
ClassMoments ComputeMoments(long double sum, long double sumOfSquares, int64_t n);
