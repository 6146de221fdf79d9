#pragma once
// One axis of a chart: its range (following the data or fixed), the step between its labels,
// the mask its labels are written with, its title and its grid.

#include "ChartFont.h"
#include "platform/rtl/SysUtils.h"

#include <QString>

class QCPAxis;

namespace chart {

class TChart;
class MaskTicker;

/// A range or step the axis cannot take; the message says which bound.
class EAxisError : public rtl::Exception
{
public:
    using Exception::Exception;
};

class TChartAxis
{
public:
    TChartAxis(TChart &chart, QCPAxis *axis);

    /// True while the range follows the data. Turning it off keeps the range that stands.
    bool Automatic() const { return m_automatic; }
    void SetAutomatic(bool automatic);

    /// The range as it stands: the data's while automatic, else the one set. A range of one
    /// value is drawn around it.
    double Minimum() const;
    double Maximum() const;
    /// The largest bound the axis draws (beyond it the width of the range is more than a drawing
    /// can take), and whether a bound lies within it.
    static constexpr double MaxBound = 1e249;
    static bool DrawableBound(double value) { return value >= -MaxBound && value <= MaxBound; }
    /// \throws EAxisError "Axis Minimum Value must be <= Maximum" when value > Maximum(), and
    /// when the value is not DrawableBound.
    void SetMinimum(double value);
    /// \throws EAxisError "Axis Maximum Value must be >= Minimum" when value < Minimum(), and
    /// when the value is not DrawableBound.
    void SetMaximum(double value);
    /// The step between labels; 0 lets the axis choose. \throws EAxisError when negative.
    double Increment() const { return m_increment; }
    void SetIncrement(double value);

    /// The labels' format mask (rtl::FormatFloat); any text is taken.
    QString AxisValuesFormat() const { return m_format; }
    void SetAxisValuesFormat(const QString &format);
    TChartFont LabelsFont() const { return m_labelsFont; }
    void SetLabelsFont(const TChartFont &font);

    QString TitleCaption() const { return m_title; }
    void SetTitleCaption(const QString &caption);
    TChartFont TitleFont() const { return m_titleFont; }
    void SetTitleFont(const TChartFont &font);

    bool GridVisible() const { return m_gridVisible; }
    void SetGridVisible(bool visible);

private:
    friend class TChart;
    /// Puts a fixed range on the drawing axis; nothing while automatic.
    void applyFixedRange() const;
    void changed() const;

    TChart &m_chart;
    QCPAxis *m_axis;
    MaskTicker *m_ticker;
    bool m_automatic = true;
    double m_minimum = 0;
    double m_maximum = 0;
    double m_increment = 0;
    QString m_format;
    TChartFont m_labelsFont;
    QString m_title;
    TChartFont m_titleFont;
    bool m_gridVisible = true;
};

} // namespace chart
