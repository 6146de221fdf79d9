#include "Detrend.h"

#include "statistics/Ustatistics.h"

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/VectorState.h"

#include <QFileInfo>

namespace {

void AddItemPoints(TStatistics &statistics, const TDataItem &item, int classIndex, double x)
{
    for (int j = 0; j < item.Count; ++j) {
        if (item.Classes[size_t(j)] == classIndex)
            statistics.AddPoint(x, item.Values[size_t(j)]);
    }
}

// Identifiers are mostly plain integers: read those directly (exactly, at most 15 digits),
// and leave every other text to the locale's conversion.
bool plainInteger(const QString &text, double &value)
{
    const qsizetype first = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    if (text.size() == first || text.size() - first > 15)
        return false;
    int64_t number = 0;
    for (qsizetype i = first; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        number = number * 10 + (c - u'0');
    }
    value = double(first ? -number : number);
    return true;
}

} // namespace

TPredictor PredictorFor(const QString &fileName)
{
    return QFileInfo(fileName).suffix().toUpper() == QLatin1String("TXT") ? TPredictor::Position
                                                                           : TPredictor::Identifier;
}

double PredictorOf(const TDataItem &item, int index, TPredictor predictor)
{
    if (predictor == TPredictor::Position)
        return double(index);
    double x = 0;
    return plainInteger(item.Id, x) ? x : rtl::StrToFloat(item.Id);
}

void AddClassPoints(TStatistics &statistics, const std::vector<TDataItem> &items, int classIndex, TPredictor predictor)
{
    for (int i = 0; i < int(items.size()); ++i) {
        const TDataItem &item = items[size_t(i)];
        if (item.Used)
            AddItemPoints(statistics, item, classIndex, PredictorOf(item, i, predictor));
    }
}

std::vector<double> Predictors(const std::vector<TDataItem> &items, TPredictor predictor)
{
    rtl::ClearUpperVectorState();
    std::vector<double> xs(items.size());
    for (int i = 0; i < int(items.size()); ++i) {
        if (items[size_t(i)].Count > 0)
            xs[size_t(i)] = PredictorOf(items[size_t(i)], i, predictor);
    }
    return xs;
}

void AddClassPoints(TStatistics &statistics, const std::vector<TDataItem> &items, int classIndex,
                    const std::vector<double> &xs)
{
    rtl::ClearUpperVectorState();
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].Used)
            AddItemPoints(statistics, items[i], classIndex, xs[i]);
    }
}

void SubtractCurve(std::vector<TDataItem> &items, const std::vector<double> &xs,
                   const std::function<double(double)> &curve)
{
    rtl::ClearUpperVectorState();
    for (size_t i = 0; i < items.size(); ++i) {
        TDataItem &item = items[i];
        if (item.Count == 0)
            continue;
        const double y = curve(xs[i]);
        for (int j = 0; j < item.Count; ++j) {
            item.Values[size_t(j)] -= y;
            item.Classes[size_t(j)] = 0;
        }
    }
}

void SubtractCurve(std::vector<TDataItem> &items, TPredictor predictor, const std::function<double(double)> &curve)
{
    // Every predictor is read before the first value changes: an identifier that is no number
    // leaves the data as they were, not half detrended.
    SubtractCurve(items, Predictors(items, predictor), curve);
}

double PolynomialValue(const std::vector<double> &coefficients, double x)
{
    if (coefficients.empty())
        return 0;
    double y = coefficients[0];
    double p = 1.0;
    for (size_t k = 1; k < coefficients.size(); ++k) {
        p = p * x;
        y = y + coefficients[k] * p;
    }
    return y;
}

QString TransformTextWithRegression(const QString &transformText, int degree)
{
    const QString start = transformText.isEmpty() ? QStringLiteral("Transformation: ") : transformText + QStringLiteral("; ");
    return start + QStringLiteral("y-REG(%1)").arg(degree);
}

QString RegressionTitleLine(const std::vector<double> &coefficients, const QString &idFieldName)
{
    QString line = QStringLiteral("y' = y - (");
    for (size_t k = 0; k < coefficients.size(); ++k) {
        if (k > 0 && coefficients[k] >= 0)
            line += QLatin1Char('+');
        line += rtl::FloatToStrF(coefficients[k], 4, 2);
        if (k > 0)
            line += QLatin1Char('*') + idFieldName + QLatin1Char('^') + QString::number(k);
    }
    return line + QLatin1Char(')');
}
