#pragma once
// Drawing of a regression into a chart, on the forms' side of the statistics folder.

#include "Ustatistics.h"

namespace chart {
class TChart;
}

/// Adds to the chart a point series "Data" of the pairs (when ShowData) and a line series
/// "Regression (<degree>)" sampling the polynomial at Statistics.CurveXs(). Both series are owned
/// by the chart. Before any Compute it shows the warning "Regression was not calculated" instead
/// of the curve; without a polynomial it draws no curve.
void DrawRegressionToChart(const TStatistics &Statistics, chart::TChart &Chart, bool ShowData);
