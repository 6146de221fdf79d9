#include "Analysis.h"

#include "statistics/CriticalValueSource.h"

#include "platform/rtl/Parallel.h"
#include "platform/rtl/RadixSort.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>

namespace {

// The critical values of the class statistics: normal samples, resting on at least this many gaps.
constexpr int32_t kLeastSimulatedGaps = 100000;
// Fewer values than this are not worth a thread of their own.
constexpr size_t kLeastValuesPerThread = size_t(1) << 15;

} // namespace

const QString TAnalysis::UnjudgedMark = QStringLiteral("__");

QString GapText(int32_t position) { return QStringLiteral("%1/%2").arg(position - 1).arg(position); }

QString DifferenceText(const TAnalysis &analysis, int row)
{
    const std::vector<TDifference> &differences = analysis.Differences();
    return row >= 0 && row < int(differences.size()) ? rtl::FloatToStr(differences[size_t(row)].Diff) : QString();
}

QString DifferenceGapText(const TAnalysis &analysis, int row)
{
    const std::vector<TDifference> &differences = analysis.Differences();
    return row >= 0 && row < int(differences.size()) ? GapText(differences[size_t(row)].Position) : QString();
}

// ---- Data items ----

void TAnalysis::SetItems(std::vector<TDataItem> items)
{
    ClearAnalysis();
    FItems = std::move(items);
}

bool TAnalysis::HasUsedValue() const
{
    return std::any_of(FItems.begin(), FItems.end(), [](const TDataItem &item) { return item.Used && item.Count > 0; });
}

void TAnalysis::ClearData()
{
    ClearAnalysis();
    FItems.clear();
    FItems.shrink_to_fit();
}

// ---- Ordered values and gaps ----

void TAnalysis::Analyse()
{
    ClearAnalysis();
    FOrdered = OrderValues(FItems);
    FOrderedValues = ValuesInOrder(FItems, FOrdered);
    FDifferences = OrderDifferences(FOrderedValues, FOrdered);
}

void TAnalysis::ClearAnalysis()
{
    FOrdered.clear();
    FOrdered.shrink_to_fit();
    FOrderedValues.clear();
    FOrderedValues.shrink_to_fit();
    FDifferences.clear();
    FDifferences.shrink_to_fit();
    FLimits.clear();
    FJudgement = TJudgement();
}

double TAnalysis::LimitLevel(int row) const
{
    const int32_t k = FDifferences[size_t(row)].Position;
    return (OrderedValue(k - 1) + OrderedValue(k)) / 2.0;
}

// ---- Class limits ----

QString TAnalysis::LimitMark(int row) const
{
    const auto found = FLimits.find(row);
    return found == FLimits.end() ? QString() : found->second;
}

void TAnalysis::SetLimit(int row)
{
    if (row < 0 || row >= int(FDifferences.size()))
        return;
    FLimits.try_emplace(row, QStringLiteral("+"));
}

void TAnalysis::RemoveLimit(int row) { FLimits.erase(row); }

std::vector<int> TAnalysis::LimitRows() const
{
    std::vector<int> rows;
    rows.reserve(FLimits.size());
    for (const auto &[row, mark] : FLimits)
        rows.push_back(row);
    return rows;
}

int TAnalysis::RowOfGapAfter(int Position) const
{
    // The gap Position/Position+1 is the one that ends at ordered position Position + 1.
    if (Position < 0 || int64_t(Position) + 1 >= int64_t(FOrdered.size()))
        return -1;
    return FOrdered[size_t(Position) + 1].Row;
}

// ---- Classes ----

QChar TAnalysis::ClassLetter(int Item, int ValueIndex) const
{
    if (Item < 0 || Item >= ItemCount() || ValueIndex < 0 || ValueIndex >= FItems[size_t(Item)].Count)
        return QLatin1Char('?');
    return QChar(u'A' + FItems[size_t(Item)].Classes[size_t(ValueIndex)]);
}

int TAnalysis::ClassCount() const
{
    if (!IsAnalysed())
        throw rtl::EInvalidOperation(QStringLiteral("No data are open: there are no classes"));
    return int(FJudgement.Classes.size());
}

int TAnalysis::ClassStat(int c, double &Avg, double &Std) const
{
    if (c < 0)
        throw rtl::EInvalidOperation(QStringLiteral("There is no class %1").arg(c));
    if (c >= ClassCount())
        return -1;
    const TJudgedClass &cls = FJudgement.Classes[size_t(c)];
    Avg = cls.Average;
    Std = cls.Std;
    return cls.Last - cls.First + 1;
}

int TAnalysis::ItemValueCount(int item) const
{
    return item < 0 || item >= ItemCount() ? -1 : FItems[size_t(item)].Count;
}

int TAnalysis::ItemValue(int item, int index, double &X) const
{
    if (index < 0 || index >= ItemValueCount(item))
        return -1;
    X = FItems[size_t(item)].Values[size_t(index)];
    return FItems[size_t(item)].Used ? 1 : 0;
}

const TJudgement &TAnalysis::JudgeClasses(CriticalValueSource &source, double Probability, double MinStd)
{
    const std::vector<int> rows = LimitRows();
    if (FOrdered.empty() || int(rows.size()) + 1 > MaxClasses)
        throw rtl::EInvalidOperation(QStringLiteral("The classes cannot be judged: %1 limits over %2 values")
                                         .arg(rows.size())
                                         .arg(FOrdered.size()));
    for (const int row : rows)
        FLimits[row] = UnjudgedMark;
    FJudgement = TJudgement();
    FJudgement.Probability = Probability;
    FJudgement.MinStd = MinStd;
    for (const TClassRec &rec : BuildClasses(rows, FDifferences, int(FOrdered.size()))) {
        TJudgedClass judged;
        static_cast<TClassRec &>(judged) = rec;
        FJudgement.Classes.push_back(std::move(judged));
    }
    FJudgement.HistoryText = QString::number(FJudgement.Classes.size());
    m_criticalValues.clear();
    const CriticalValueRun run(source);
    int c = 0;
    try {
        for (; c < int(FJudgement.Classes.size()); ++c) {
            JudgeClass(c, source);
            FJudgement.Judged = c + 1;
        }
    } catch (...) {
        // The values of the class that failed carry its number too, as those judged before.
        StoreClassesOfValues(c + 1);
        throw;
    }
    StoreClassesOfValues(c);
    return FJudgement;
}

double TAnalysis::CriticalValue(CriticalValueSource &source, int32_t cases)
{
    const auto known = m_criticalValues.find(cases);
    if (known != m_criticalValues.end())
        return known->second;
    const double value = source.GetCriticalValue(dkNormal, 0, 0, cases, FJudgement.Probability, kLeastSimulatedGaps);
    m_criticalValues.emplace(cases, value);
    return value;
}

void TAnalysis::JudgeClass(int c, CriticalValueSource &source)
{
    TJudgedClass &cls = FJudgement.Classes[size_t(c)];
    const double minStd = FJudgement.MinStd;
    FJudgement.HistoryText += QStringLiteral(" (%1,%2)").arg(cls.First).arg(cls.Last);
    long double sum = 0, sumOfSquares = 0;
    for (int k = cls.First; k <= cls.Last; ++k) {
        const long double value = FOrderedValues[size_t(k)];
        sum += value;
        sumOfSquares += value * value;
    }
    const int32_t n = cls.Last - cls.First + 1;
    const ClassMoments moments = ComputeMoments(sum, sumOfSquares, n);
    cls.Average = moments.average;
    // Equal values have no spread, whatever rounding leaves in the sum of squares.
    cls.Std = n > 1 && OrderedValue(cls.First) == OrderedValue(cls.Last) ? 0.0 : moments.std;
    cls.InnerCrit = -1;
    if (n > 1) {
        const double t = CriticalValue(source, n);
        if (cls.Std > minStd)
            cls.InnerCrit = cls.Std * t;
        else if (minStd > 0)
            cls.InnerCrit = minStd * t;
    }
    if (cls.InnerCrit > 0) {
        // The gap ending at m, as the differences list holds it.
        for (int m = cls.First + 1; m <= cls.Last; ++m) {
            if (FOrderedValues[size_t(m)] - FOrderedValues[size_t(m) - 1] >= cls.InnerCrit)
                cls.ImportantGaps.push_back(m);
        }
    }
    const double s = cls.Std > minStd ? cls.Std : minStd;
    if (s > 0) {
        cls.OuterCrit = s * CriticalValue(source, n + 1);
        if (cls.LowerRow >= 0)
            MarkLimit(cls.LowerRow, 1, FDifferences[size_t(cls.LowerRow)].Diff >= cls.OuterCrit ? u'x' : u'o');
        if (cls.UpperRow >= 0)
            MarkLimit(cls.UpperRow, 0, FDifferences[size_t(cls.UpperRow)].Diff >= cls.OuterCrit ? u'x' : u'o');
    } else {
        cls.OuterCrit = -1;
    }
    cls.BelowMinStd = cls.Std < minStd;
}

void TAnalysis::StoreClassesOfValues(int classCount)
{
    if (classCount <= 0)
        return;
    // Where no two classes share a value, a value's class follows from the value alone: the
    // items are then visited in memory order, each on one core, rather than all over them.
    const std::vector<TJudgedClass> &classes = FJudgement.Classes;
    std::vector<uint64_t> lowestKeys(size_t(classCount), 0);
    for (int c = 0; c < classCount; ++c)
        lowestKeys[size_t(c)] = rtl::OrderableKey(OrderedValue(classes[size_t(c)].First));
    // Boundary c lies between classes c - 1 and c; the one above the last class stored counts too.
    const int lastBoundary = std::min(classCount, int(classes.size()) - 1);
    for (int c = 1; c <= lastBoundary; ++c) {
        const uint64_t below = rtl::OrderableKey(OrderedValue(classes[size_t(c) - 1].Last));
        if (below == rtl::OrderableKey(OrderedValue(classes[size_t(c)].First))) {
            StoreClassesByPosition(classCount);
            return;
        }
    }
    const uint64_t highestKey = rtl::OrderableKey(OrderedValue(classes[size_t(classCount) - 1].Last));
    rtl::ParallelForStretches(FItems.size(), kLeastValuesPerThread / 64, 0, [&](size_t first, size_t last) {
        for (size_t i = first; i < last; ++i) {
            TDataItem &item = FItems[i];
            if (!item.Used)
                continue;
            for (int j = 0; j < item.Count; ++j) {
                const uint64_t key = rtl::OrderableKey(item.Values[size_t(j)]);
                if (key > highestKey)
                    continue;
                const auto above = std::upper_bound(lowestKeys.begin(), lowestKeys.end(), key);
                item.Classes[size_t(j)] = uint8_t(above - lowestKeys.begin() - 1);
            }
        }
    });
}

void TAnalysis::StoreClassesByPosition(int classCount)
{
    const std::vector<TJudgedClass> &classes = FJudgement.Classes;
    const auto valueCount = size_t(classes[size_t(classCount) - 1].Last) + 1;
    rtl::ParallelForStretches(valueCount, kLeastValuesPerThread, 0, [&](size_t first, size_t last) {
        auto cls = std::partition_point(classes.begin(), classes.begin() + classCount,
                                        [first](const TJudgedClass &c) { return size_t(c.Last) < first; });
        for (size_t k = first; k < last; ++k) {
            while (size_t(cls->Last) < k)
                ++cls;
            const TValueRef &ref = FOrdered[k];
            FItems[size_t(ref.Item)].Classes[ref.ValueIndex] = uint8_t(cls - classes.begin());
        }
    });
}

void TAnalysis::MarkLimit(int row, int side, QChar judgement)
{
    // The first character judges the class below the limit, the second the class above it.
    QString &mark = FLimits[row];
    mark = mark.leftJustified(2, u'_', true);
    mark[side] = judgement;
}
