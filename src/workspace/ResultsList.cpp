#include "ResultsList.h"

#include "statistics/Ustatistics.h"

#include "platform/rtl/SysUtils.h"

namespace {

// Class keys differ in letter case beyond 32 classes ("class_a" follows "class_`"), so they
// are matched exactly, not as the list's names are.
int indexOfKey(const rtl::TStringList &results, const QString &key)
{
    const QString prefix = key + QLatin1Char('=');
    for (int i = 0; i < results.Count(); ++i)
        if (results[i].startsWith(prefix))
            return i;
    return -1;
}

void setKey(rtl::TStringList &results, const QString &key, const QString &value)
{
    const int index = indexOfKey(results, key);
    if (index < 0)
        results.Add(key + QLatin1Char('=') + value);
    else
        results[index] = key + QLatin1Char('=') + value;
}

} // namespace

QChar ClassResultLetter(int c) { return QChar(char16_t(u'A' + c)); }

QString ClassResultKey(int c) { return QStringLiteral("class_") + ClassResultLetter(c); }

QString ResultValue(const rtl::TStringList &results, const QString &key)
{
    const int index = indexOfKey(results, key);
    return index < 0 ? QString() : results[index].mid(key.size() + 1);
}

QString ResultsText(const rtl::TStringList &results)
{
    QString text;
    for (const QString &line : results.Lines())
        text += line + QStringLiteral("\r\n");
    return text;
}

QString G6(double value) { return rtl::FloatToStrF(value, 6); }

QString ClassResultText(const TClassRec &cls)
{
    return QStringLiteral("(n %1; std %2; avg %3)").arg(cls.Last - cls.First + 1).arg(G6(cls.Std), G6(cls.Average));
}

void ResetResults(rtl::TStringList &results, bool logTransform)
{
    results.Clear();
    results.SetValues(QStringLiteral("log"), logTransform ? QStringLiteral("1") : QStringLiteral("0"));
}

void StoreClassResults(rtl::TStringList &results, const std::vector<TJudgedClass> &classes)
{
    for (int c = 0; c < int(classes.size()); ++c)
        setKey(results, ClassResultKey(c), ClassResultText(classes[size_t(c)]));
    for (int c = int(classes.size());; ++c) {
        const int index = indexOfKey(results, ClassResultKey(c));
        if (index < 0)
            break;
        results.Delete(index);
    }
}

void StoreRegression(rtl::TStringList &results, int number, const TStatistics &stat)
{
    const QString key = QStringLiteral("regression%1").arg(number);
    results.SetValues(QStringLiteral("number_of_regression"), QString::number(number));
    results.SetValues(key, QString::number(stat.FOrder));
    for (int k = 0; k <= stat.FOrder && k < int(stat.FCoefficients.size()); ++k)
        results.SetValues(key + QStringLiteral("_c%1").arg(k), rtl::FloatToStrF(stat.FCoefficients[size_t(k)], 15));
}
