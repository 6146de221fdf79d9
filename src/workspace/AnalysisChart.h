#pragma once
// The analysis drawn in a chart: the distribution view (ordered values against their rank),
// the cases view (the values of each item above its index, with its class letters) and the
// horizontal line of a class limit.

#include <QColor>

class TAnalysis;
class QObject;

namespace chart {
class TChart;
class TLineSeries;
}

/// Adds the ordered values as one black dash series and hides the legend.
void DrawDistributionView(chart::TChart &chart, const TAnalysis &analysis);

/// Adds one black dash series per item in use that has values, titled with its identifier and
/// the class letters of its values, and shows the legend.
void DrawCasesView(chart::TChart &chart, const TAnalysis &analysis);

/// Which view a limit line spans.
enum class TLimitSpan { None, Distribution, Cases };

/// A new line at the middle of the gap of a differences row, named after the gap, from x = 0
/// to the last ordered position or the last item (a single point with no view). The caller
/// adds it to its chart.
chart::TLineSeries *NewLimitLine(QObject *owner, const TAnalysis &analysis, int row, TLimitSpan span, const QColor &color);

/// A light colour for a limit line, from three draws of the run-time random generator.
QColor RandomLimitColor();
