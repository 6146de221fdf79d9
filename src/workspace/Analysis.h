#pragma once
// The analysis of the open data, apart from any window: the data items, the ordered values,
// the gaps between ordered neighbours largest first, the class limits set at chosen gaps, and
// the classes judged by their critical values. The main window renders this state; printing,
// the results list, write-back and automation read it.

#include "ClassStatistics.h"
#include "DataItem.h"
#include "OrderedDifferences.h"

#include <QChar>
#include <QString>

#include <cstdint>
#include <map>
#include <vector>

class CriticalValueSource;

/// One class as judged: its record, the gaps inside it that reach its inner critical value,
/// and whether its spread lies below the minimal STD.
struct TJudgedClass : TClassRec
{
    /// Upper ordered positions m of the important inner gaps m - 1 / m, ascending.
    std::vector<int32_t> ImportantGaps;
    /// The class's Std is below the minimal STD (a one-value class whenever the floor is 0 or more).
    bool BelowMinStd = false;
};

/// What judging the classes gave. When a critical-value request fails part-way, the classes up
/// to `Judged` carry their numbers and the rest only their positions.
struct TJudgement
{
    std::vector<TJudgedClass> Classes;
    int Judged = 0;
    double Probability = 0;
    double MinStd = 0;
    /// The history detail: the class count, then " (First,Last)" of each judged class.
    QString HistoryText;
};

/// The gap text of upper ordered position k: "k-1/k".
QString GapText(int32_t position);

class TAnalysis;

/// The texts of a row of the differences list: the difference in general format, and the gap
/// "k-1/k"; empty for a row the list does not have.
QString DifferenceText(const TAnalysis &analysis, int row);
QString DifferenceGapText(const TAnalysis &analysis, int row);

class TAnalysis
{
public:
    /// The mark of a limit that has not been judged yet.
    static const QString UnjudgedMark;

    // ---- Data items ----
    std::vector<TDataItem> &Items() { return FItems; }
    const std::vector<TDataItem> &Items() const { return FItems; }
    int ItemCount() const { return int(FItems.size()); }
    /// Replaces the data items; the analysis is cleared.
    void SetItems(std::vector<TDataItem> items);
    /// True when at least one item in use has a value.
    bool HasUsedValue() const;
    /// Empties the items and the analysis.
    void ClearData();

    // ---- Ordered values and gaps ----
    /// Orders every used value, lists the gaps largest first; no limits, no classes.
    void Analyse();
    /// Empties the ordered and differences lists, the limits and the classes; the items stay.
    void ClearAnalysis();
    bool IsAnalysed() const { return !FOrdered.empty(); }
    const std::vector<TValueRef> &Ordered() const { return FOrdered; }
    const std::vector<TDifference> &Differences() const { return FDifferences; }
    /// The value at an ordered position (0 .. Ordered().size() - 1).
    double OrderedValue(int position) const { return FOrderedValues[size_t(position)]; }
    /// The value of every ordered position, in order.
    const std::vector<double> &OrderedValues() const { return FOrderedValues; }
    /// The middle of the gap of a differences row: where its limit line is drawn.
    double LimitLevel(int row) const;

    // ---- Class limits, by row of the differences list ----
    bool HasLimit(int row) const { return FLimits.count(row) > 0; }
    /// The mark of a limit row: "+" when set, two judgement characters after the statistics;
    /// empty without a limit.
    QString LimitMark(int row) const;
    /// Sets a limit (marked "+") at a row of the differences list; a row that already has one
    /// keeps its mark. Rows outside the list are ignored.
    void SetLimit(int row);
    void RemoveLimit(int row);
    /// Removes every limit.
    void ClearLimits() { FLimits.clear(); }
    /// The rows that hold a limit, in ascending row order.
    std::vector<int> LimitRows() const;
    /// The row of the gap between ordered positions Position and Position + 1; -1 when there is
    /// none (the last position, a negative one, one beyond the data).
    int RowOfGapAfter(int Position) const;

    // ---- Classes ----
    /// The classes cut by the limits, judged by `JudgeClasses`; empty before.
    const std::vector<TJudgedClass> &Classes() const { return FJudgement.Classes; }
    const TJudgement &Judgement() const { return FJudgement; }
    /// 'A' + the class index of a value, or '?' for an item or value that does not exist.
    QChar ClassLetter(int Item, int ValueIndex) const;

    /// The number of classes. Throws rtl::EInvalidOperation while nothing is analysed.
    int ClassCount() const;
    /// The size of class `c`, with its average and STD in `Avg` and `Std` (-1 for one value);
    /// -1, outputs untouched, when c is not below the class count. Throws
    /// rtl::EInvalidOperation for a negative c and while nothing is analysed.
    int ClassStat(int c, double &Avg, double &Std) const;
    /// The value count of an item; -1 for an index that is no item.
    int ItemValueCount(int item) const;
    /// Value `index` of `item` in X; 1 when the item is in use, 0 when not, -1 (X untouched)
    /// for an item or value that does not exist.
    int ItemValue(int item, int index, double &X) const;

    /// Cuts classes at the limits and judges each one: moments, the inner critical value
    /// (quantile for n values) and its important gaps, the outer critical value (n + 1 values)
    /// and the limits' marks, each class's number stored in its values. The critical values
    /// come from `source` (normal distribution, at least 100000 gaps). Exceptions of the source
    /// pass through; what was judged before stays in `Judgement()`. Needs an analysed state and
    /// at most MaxClasses classes.
    const TJudgement &JudgeClasses(CriticalValueSource &source, double Probability, double MinStd);

private:
    void JudgeClass(int c, CriticalValueSource &source);
    /// Stores in each value the number of its class, for the first classCount classes.
    void StoreClassesOfValues(int classCount);
    void StoreClassesByPosition(int classCount);
    void MarkLimit(int row, int side, QChar judgement);
    double CriticalValue(CriticalValueSource &source, int32_t cases);

    std::vector<TDataItem> FItems;
    std::vector<TValueRef> FOrdered;
    // The value of each ordered position, read in order where FOrdered would reach all over FItems.
    std::vector<double> FOrderedValues;
    std::vector<TDifference> FDifferences;
    // Row of the differences list -> its mark.
    std::map<int, QString> FLimits;
    TJudgement FJudgement;
    // The critical values of the judging under way, by sample size: each asked once.
    std::map<int32_t, double> m_criticalValues;
};
