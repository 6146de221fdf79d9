#pragma once
// Detrending by a polynomial of the item's predictor: the points of one class, the subtraction
// from every value, and the texts that record it.

#include "DataItem.h"

#include <QString>

#include <functional>
#include <vector>

class TStatistics;

/// What a data item's values are regressed on: its position in a ".TXT" file, its identifier
/// read as a number for every other source.
enum class TPredictor { Position, Identifier };

/// Position for a file whose upper-cased extension is ".TXT", else Identifier.
TPredictor PredictorFor(const QString &fileName);

/// The predictor x of item `index`. Throws rtl::EConvertError for an identifier that is no number.
double PredictorOf(const TDataItem &item, int index, TPredictor predictor);

/// The predictor of every item that has values (0 for the others), all read before the answer:
/// rtl::EConvertError for an identifier that is no number.
std::vector<double> Predictors(const std::vector<TDataItem> &items, TPredictor predictor);

/// Adds (xs[i], value) for every value of class `classIndex` of every item i in use, in array order.
void AddClassPoints(TStatistics &statistics, const std::vector<TDataItem> &items, int classIndex,
                    const std::vector<double> &xs);

/// value := value - curve(xs[i]) for every value of every item i, each class entry set to 0.
void SubtractCurve(std::vector<TDataItem> &items, const std::vector<double> &xs,
                   const std::function<double(double)> &curve);

/// Adds (x, value) for every value of class `classIndex` of every item in use, in array order.
void AddClassPoints(TStatistics &statistics, const std::vector<TDataItem> &items, int classIndex, TPredictor predictor);

/// value := value - curve(x) for every value of every item (in use or not), each class entry
/// set to 0. The predictor is read only for items that have values, and for all of them before
/// any value changes: rtl::EConvertError leaves every item as it was.
void SubtractCurve(std::vector<TDataItem> &items, TPredictor predictor, const std::function<double(double)> &curve);

/// c0 + c1·x + ... + cn·x^n in 64-bit arithmetic, powers built by repeated multiplication.
double PolynomialValue(const std::vector<double> &coefficients, double x);

/// The transformation text grown by "y-REG(<degree>)": joined by "; ", or started with
/// "Transformation: " when empty.
QString TransformTextWithRegression(const QString &transformText, int degree);

/// "y' = y - (c0+c1*ID^1...)" with every coefficient in general format of 4 significant digits.
QString RegressionTitleLine(const std::vector<double> &coefficients, const QString &idFieldName);
