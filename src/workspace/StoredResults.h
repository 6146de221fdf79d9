#pragma once
// Reading back what a results list stored: the class entries "(n <size>; std <STD>; avg
// <average>)" and the regressions, and comparing the stored classes with those set up again.

#include "Analysis.h"

#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"

#include <QStringList>

#include <cstdint>
#include <vector>

/// A stored results entry that is missing or unusable; the message names it.
class EStoredResultError : public rtl::Exception
{
public:
    using rtl::Exception::Exception;
};

/// The text after "Key " (exact case) up to the next ";", else the next ")", else the end, with
/// blanks and control characters removed at both ends; '' when Text has no "Key ".
QString ParseKeyValue(const QString &Key, const QString &Text);

/// The size n of a class entry, with its "avg" in Avg and its "std" in Std (in that order);
/// -1 when Text is empty or a part is no number (outputs converted before it keep their values).
int ParseClassStat(const QString &Text, double &Avg, double &Std);

/// What a class entry stored besides its size.
struct TStoredClass
{
    double Average = 0;
    double Std = 0;
};

/// The lines of the comparison warning: "Class <L> - different statistics" for each class whose
/// average or STD differs relatively by more than 1e-4 (a scale below 1e-8 counts as 1), then
/// "Different number of classes" and "Different count of data items" (`lastPosition`, the
/// ordered position where the stored classes end, is not the last of `orderedCount` values).
QStringList ClassDifferenceLines(const std::vector<TStoredClass> &stored, const std::vector<TJudgedClass> &classes,
                                 int64_t lastPosition, int64_t orderedCount);

/// One stored regression: c0 .. cDegree.
struct TStoredRegression
{
    int Degree = 0;
    std::vector<double> Coefficients;
};

/// Regression `r` (from 1) of a stored list. Throws EStoredResultError for a missing degree
/// ("Error: Missing degree of regression r"), a degree below 0 or a missing coefficient
/// ("Error: Missing coefficient of regression r: _ck"), rtl::EConvertError for text that is no number.
TStoredRegression ReadStoredRegression(const rtl::TStringList &stored, int r);

/// Copies the entries of stored regression `r` of degree `degree`, text unchanged, into
/// `results` as regression `n`, and sets "number_of_regression" to n.
void CopyRegressionEntries(const rtl::TStringList &stored, int r, int degree, rtl::TStringList &results, int n);
