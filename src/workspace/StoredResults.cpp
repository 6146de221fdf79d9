#include "StoredResults.h"

#include "ResultsList.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kRelativeTolerance = 1e-4;
constexpr double kSmallestScale = 1e-8;

// Blanks and control characters, as a stored entry may carry them around its numbers.
QString trimmedOfControls(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= u' ')
        ++first;
    while (last > first && text[last - 1].unicode() <= u' ')
        --last;
    return text.mid(first, last - first);
}

bool differs(double stored, double now)
{
    double scale = std::max(std::fabs(stored), std::fabs(now));
    if (scale < kSmallestScale)
        scale = 1.0;
    return std::fabs(stored - now) / scale > kRelativeTolerance;
}

QString regressionKey(int r) { return QStringLiteral("regression%1").arg(r); }

QString coefficientKey(int r, int k) { return regressionKey(r) + QStringLiteral("_c%1").arg(k); }

} // namespace

QString ParseKeyValue(const QString &Key, const QString &Text)
{
    const qsizetype p = Text.indexOf(Key + QLatin1Char(' '));
    if (p < 0)
        return QString();
    const qsizetype start = p + Key.size() + 1;
    qsizetype end = Text.indexOf(QLatin1Char(';'), start);
    if (end < 0)
        end = Text.indexOf(QLatin1Char(')'), start);
    if (end < 0)
        end = Text.size();
    return trimmedOfControls(Text.mid(start, end - start));
}

int ParseClassStat(const QString &Text, double &Avg, double &Std)
{
    if (Text.isEmpty())
        return -1;
    int32_t n = 0;
    if (!rtl::TryStrToFloat(ParseKeyValue(QStringLiteral("avg"), Text), Avg)
        || !rtl::TryStrToFloat(ParseKeyValue(QStringLiteral("std"), Text), Std)
        || !rtl::TryStrToInt(ParseKeyValue(QStringLiteral("n"), Text), n))
        return -1;
    return n;
}

QStringList ClassDifferenceLines(const std::vector<TStoredClass> &stored, const std::vector<TJudgedClass> &classes,
                                 int64_t lastPosition, int64_t orderedCount)
{
    QStringList lines;
    const size_t compared = std::min(stored.size(), classes.size());
    for (size_t c = 0; c < compared; ++c) {
        if (differs(stored[c].Average, classes[c].Average) || differs(stored[c].Std, classes[c].Std))
            lines << QStringLiteral("Class ") + ClassResultLetter(int(c)) + QStringLiteral(" - different statistics");
    }
    if (stored.size() != classes.size())
        lines << QStringLiteral("Different number of classes");
    if (lastPosition != orderedCount - 1)
        lines << QStringLiteral("Different count of data items");
    return lines;
}

TStoredRegression ReadStoredRegression(const rtl::TStringList &stored, int r)
{
    const QString degreeText = stored.Values(regressionKey(r));
    if (degreeText.isEmpty())
        throw EStoredResultError(QStringLiteral("Error: Missing degree of regression %1").arg(r));
    TStoredRegression regression;
    regression.Degree = rtl::StrToInt(degreeText);
    if (regression.Degree < 0)
        throw EStoredResultError(
            QStringLiteral("Error: Degree of regression %1 is below 0: %2").arg(r).arg(regression.Degree));
    for (int k = 0; k <= regression.Degree; ++k) {
        const QString text = stored.Values(coefficientKey(r, k));
        if (text.isEmpty())
            throw EStoredResultError(QStringLiteral("Error: Missing coefficient of regression %1: _c%2").arg(r).arg(k));
        regression.Coefficients.push_back(rtl::StrToFloat(text));
    }
    return regression;
}

void CopyRegressionEntries(const rtl::TStringList &stored, int r, int degree, rtl::TStringList &results, int n)
{
    results.SetValues(regressionKey(n), stored.Values(regressionKey(r)));
    for (int k = 0; k <= degree; ++k)
        results.SetValues(coefficientKey(n, k), stored.Values(coefficientKey(r, k)));
    results.SetValues(QStringLiteral("number_of_regression"), QString::number(n));
}
