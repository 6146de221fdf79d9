#include "ClassStatistics.h"

#include <algorithm>
#include <cmath>

std::vector<TClassRec> BuildClasses(const std::vector<int> &limitRows, const std::vector<TDifference> &differences,
                                    int orderedCount)
{
    std::vector<TClassRec> classes;
    classes.reserve(limitRows.size() + 1);
    for (const int row : limitRows) {
        TClassRec limit;
        limit.Last = differences[size_t(row)].Position - 1;
        limit.UpperRow = row;
        classes.push_back(limit);
    }
    // Each gap has its own position, so no two limits share a Last.
    std::sort(classes.begin(), classes.end(), [](const TClassRec &a, const TClassRec &b) { return a.Last < b.Last; });
    TClassRec last;
    last.Last = orderedCount - 1;
    classes.push_back(last);
    for (size_t c = 0; c < classes.size(); ++c) {
        classes[c].First = c == 0 ? 0 : classes[c - 1].Last + 1;
        classes[c].LowerRow = c == 0 ? -1 : classes[c - 1].UpperRow;
    }
    return classes;
}

ClassMoments ComputeMoments(long double sum, long double sumOfSquares, int64_t n)
{
    ClassMoments moments;
    if (n <= 0)
        return moments;
    const long double mean = sum / n;
    moments.average = double(mean);
    if (n == 1) {
        moments.std = -1;
        return moments;
    }
    const long double variance = sumOfSquares / n - mean * mean;
    moments.std = variance > 0 ? double(std::sqrt(n * variance / (n - 1))) : 0.0;
    return moments;
}
