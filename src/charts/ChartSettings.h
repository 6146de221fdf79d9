#pragma once
// A chart's settings as a settings-file record, and a record applied to a chart.

#include "ChartSettingsFile.h"

namespace chart {
class TChart;
struct TChartFont;
} // namespace chart

TFontRec FontToRec(const chart::TChartFont &font);
/// The record's name, size, styles and colour on the font; other attributes stay.
void RecToFont(chart::TChartFont &font, const TFontRec &rec);

/// Every setting of the chart the record holds; axis ranges as they stand.
TChartSettingsRec StoreSettings(const chart::TChart &chart);
/// Applies a record DecodeChartSettings accepted: every field but the range of an automatic axis
/// (which follows the data), each bound set in an order the axis accepts; a bevel width of 0
/// removes the bevels, another one gives a raised outer bevel of that width.
void ApplySettings(chart::TChart &chart, const TChartSettingsRec &rec);
